#include "engine/sql/keywords.h"

#include <string>
#include <unordered_map>

namespace dvx {

namespace {

// In the order of TSQLKeyword; the position of each word is its identity.
constexpr std::string_view kKeywordTexts[kKeywordCount] = {
     "ABSOLUTE", "ACTION", "ADD", "ALL", "ALLOCATE", "ALTER", "AND", "ANY", "ARE", "AS", "ASC", "ASSERTION",
     "AT", "AUTHORIZATION", "AVG", "BEGIN", "BETWEEN", "BIT", "BIT_LENGTH", "BOTH", "BY", "CASCADE",
     "CASCADED", "CASE", "CAST", "CATALOG", "CHAR", "CHARACTER", "CHAR_LENGTH", "CHARACTER_LENGTH", "CHECK",
     "CLOSE", "COALESCE", "COLLATE", "COLLATION", "COLUMN", "COMMIT", "CONNECT", "CONNECTION", "CONSTRAINT",
     "CONSTRAINTS", "CONTINUE", "CONVERT", "CORRESPONDING", "COUNT", "CREATE", "CROSS", "CURRENT",
     "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP", "CURRENT_USER", "CURSOR", "DATE", "DAY",
     "DEALLOCATE", "DEC", "DECIMAL", "DECLARE", "DEFAULT", "DEFERRABLE", "DEFERRED", "DELETE", "DESC",
     "DESCRIBE", "DESCRIPTOR", "DIAGNOSTICS", "DISCONNECT", "DISTINCT", "DOMAIN", "DOUBLE", "DROP", "ELSE",
     "END", "END-EXEC", "ESCAPE", "EXCEPT", "EXCEPTION", "EXEC", "EXECUTE", "EXISTS", "EXTERNAL", "EXTRACT",
     "FALSE", "FETCH", "FIRST", "FLOAT", "FOR", "FOREIGN", "FOUND", "FROM", "FULL", "GET", "GLOBAL", "GO",
     "GOTO", "GRANT", "GROUP", "HEX", "HAVING", "HOUR", "IDENTITY", "IF", "IMMEDIATE", "IN", "INDICATOR",
     "INITIALLY", "INNER", "INPUT", "INSENSITIVE", "INSERT", "INT", "INTEGER", "INTERSECT", "INTERVAL", "INTO",
     "IS", "ISNULL", "ISOLATION", "JOIN", "KEY", "LANGUAGE", "LAST", "LEADING", "LEFT", "LEVEL", "LIKE",
     "LOCAL", "LOWER", "MATCH", "MAX", "MEMORY", "MIME64", "MIN", "MINUS", "MINUTE", "MODULE", "MONTH",
     "NAMES", "NATIONAL", "NATURAL", "NCHAR", "NEXT", "NO", "NOFLUSH", "NOT", "NULL", "NULLIF", "NUMERIC",
     "OCTET_LENGTH", "OF", "ON", "ONLY", "OPEN", "OPTION", "OR", "ORDER", "OUTER", "OUTPUT", "OVERLAPS", "PAD",
     "PARTIAL", "POSITION", "PRECISION", "PREPARE", "PRESERVE", "PRIMARY", "PRIOR", "PRIVILEGES", "PROCEDURE",
     "PUBLIC", "READ", "REAL", "REFERENCES", "RELATIVE", "RESTRICT", "REVOKE", "RIGHT", "ROLLBACK", "ROWS",
     "SCHEMA", "SCROLL", "SECOND", "SECTION", "SELECT", "SESSION", "SESSION_USER", "SET", "SIZE", "SMALLINT",
     "SOME", "SPACE", "SQL", "SQLCODE", "SQLERROR", "SQLSTATE", "START", "SUBSTRING", "SUM", "SYSTEM_USER",
     "TABLE", "TEMPORARY", "THEN", "TIME", "TIMESTAMP", "TIMEZONE_HOUR", "TIMEZONE_MINUTE", "TO", "TOP",
     "TRAILING", "TRANSACTION", "TRANSLATE", "TRANSLATION", "TRIM", "TRUE", "UNION", "UNIQUE", "UNKNOWN",
     "UPDATE", "UPPER", "USAGE", "USER", "USING", "VALUE", "VALUES", "VARCHAR", "VARYING", "VIEW", "WHEN",
     "WHENEVER", "WHERE", "WITH", "WORK", "WRITE", "YEAR", "ZONE", "PASSWORD", "BLOBBLOCKSIZE",
     "BLOBCOMPRESSIONMODE", "BLOBCOMPRESSIONALGORITHM", "LASTAUTOINC", "MODIFY", "NEW", "INDEX", "NOCASE",
     "LTRIM", "RTRIM", "POS", "LENGTH", "SYSDATE", "NOW", "TOBLOB", "TODATE", "TOSTRING", "AUTOINDEXES",
     "NOAUTOINDEXES", "INCREMENT", "LASTVALUE", "MAXVALUE", "MINVALUE", "CYCLED", "NOMAXVALUE", "NOMINVALUE",
     "NOCYCLED", "INITIALVALUE", "RENAME", "QUARTER", "WEEKDAY", "DAYOFWEEK", "DAYNAME", "MONTHNAME",
     "MSECOND",};

const std::unordered_map<std::string_view, TSQLKeyword>& KeywordIndex() {
  static const auto* index = [] {
    auto* map = new std::unordered_map<std::string_view, TSQLKeyword>();
    // From 1: ABSOLUTE is in the table but never recognised.
    for (int i = 1; i < kKeywordCount; ++i) map->emplace(kKeywordTexts[i], static_cast<TSQLKeyword>(i));
    return map;
  }();
  return *index;
}

}  // namespace

std::string_view KeywordText(TSQLKeyword keyword) {
  return keyword < kKeywordCount ? kKeywordTexts[keyword] : std::string_view{};
}

TSQLKeyword FindKeyword(std::string_view upperCaseWord) {
  const auto& index = KeywordIndex();
  auto it = index.find(upperCaseWord);
  return it == index.end() ? kwNone : it->second;
}

}  // namespace dvx
