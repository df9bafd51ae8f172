// Field-level checks: what each header line, name and text must be.
#include <map>
#include <string>

#include "tools/refdata/table_schema.h"
#include "tools/refdata/text_encoding.h"
#include "tools/refdata/validator_checks.h"

namespace refdata::checks {

namespace {

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

std::string KnownHeaderFields(const TTableSchema& table) {
  std::string names;
  for (const TFieldSchema& field : table.fields)
    if (field.source == TFieldSource::Header) names += (names.empty() ? "" : ", ") + std::string(field.name);
  for (std::string_view pseudo : table.pseudoFields) names += ", " + std::string(pseudo);
  return names;
}

// Why a table field cannot be a header line.
std::string NotAHeaderField(const TFieldSchema& field) {
  switch (field.source) {
    case TFieldSource::Memo: return "is the entry's text, not a header field";
    case TFieldSource::Automatic: return "is numbered by the engine and not written in the sources";
    case TFieldSource::Parent: return "is set by the builder from 'Eltern'";
    case TFieldSource::Picture: return "is loaded by the builder from the file named by 'Bild'";
    case TFieldSource::Unused: return "is always empty and not written in the sources";
    case TFieldSource::Header:
    case TFieldSource::Column: break;
  }
  return "is not a header field";
}

// A value stored in a fixed-length field: its characters must exist in
// Windows-1252 and its encoded length must fit.
void CheckFixedValue(const TFieldSchema& field, std::string_view value, const std::string& file, int line,
                     TProblems& problems) {
  const TWindows1252Result encoded = EncodeWindows1252(value);
  if (!encoded.ok) {
    problems.push_back({file, line, Quoted(field.name) + " holds " + DescribeCharacter(encoded.offending) +
                                        ", which Windows-1252 cannot store"});
    return;
  }
  if (encoded.bytes.size() > static_cast<size_t>(field.size))
    problems.push_back({file, line, Quoted(field.name) + " " + Quoted(value) + " has " + std::to_string(encoded.bytes.size()) +
                                        " characters; the field holds " + std::to_string(field.size)});
}

void CheckHeaderLines(const TTableSchema& table, const TSourceEntry& entry, TProblems& problems) {
  for (const THeaderField& header : entry.header) {
    if (!IsHeaderField(table, header.name)) {
      const TFieldSchema* field = FindField(table, header.name);
      problems.push_back({entry.file, header.line,
                          field ? Quoted(header.name) + " " + NotAHeaderField(*field)
                                : "unknown header field " + Quoted(header.name) + " for table " +
                                      std::string(table.tableName) + "; known: " + KnownHeaderFields(table)});
      continue;
    }
    const TFieldSchema* field = FindField(table, header.name);
    if (field && field->type == TFieldType::FixedChar) CheckFixedValue(*field, header.value, entry.file, header.line, problems);
  }
}

void CheckRequired(const TSourceEntry& entry, std::string_view name, TProblems& problems) {
  const THeaderField* header = entry.Field(name);
  if (!header)
    problems.push_back({entry.file, entry.line, "the required header field " + Quoted(name) + " is missing"});
  else if (header->value.empty())
    problems.push_back({entry.file, header->line, "the required header field " + Quoted(name) + " is empty"});
}

void CheckTexts(const TTableSchema& table, const TSourceEntry& entry, TProblems& problems) {
  const bool sections = table.memoFields.size() > 1;
  for (std::string_view field : table.memoFields) {
    const TMemoText* memo = entry.Memo(field);
    const std::string what = sections ? "the section '@@ " + std::string(field) + "'" : std::string("the entry's text");
    if (!memo)
      problems.push_back({entry.file, entry.line, "the entry has no section '@@ " + std::string(field) + "'"});
    else if (memo->text.empty())
      problems.push_back({entry.file, memo->line, what + " is empty"});
  }
}

void CheckTabRows(const TTableSource& source, TProblems& problems) {
  const std::string& file = source.files.empty() ? std::string(source.schema->sourcePath) : source.files.front();
  for (const TTabRow& row : source.rows) {
    for (size_t i = 0; i < row.cells.size(); ++i) {
      const TFieldSchema& field = source.schema->fields[i];
      if (row.cells[i].empty())
        problems.push_back({file, row.line, "the column " + Quoted(field.name) + " is empty"});
      else
        CheckFixedValue(field, row.cells[i], file, row.line, problems);
    }
  }
}

// The key under which a name must be unique.
std::string UniquenessKey(TNameUniqueness uniqueness, const std::string& name) {
  return uniqueness == TNameUniqueness::CaseInsensitive ? FoldCase(name) : name;
}

std::string UniquenessRule(const TTableSchema& table) {
  return table.nameUniqueness == TNameUniqueness::CaseInsensitive ? "names in " + std::string(table.tableName) + " must differ even ignoring letter case"
                                                                   : "names in " + std::string(table.tableName) + " must be unique";
}

}  // namespace

void CheckFields(const TSourceTree& tree, TProblems& problems) {
  for (const TTableSource& source : tree.tables) {
    const TTableSchema& table = *source.schema;
    if (table.form == TSourceForm::TabFile) {
      CheckTabRows(source, problems);
      continue;
    }
    for (const TSourceEntry& entry : source.entries) {
      CheckHeaderLines(table, entry, problems);
      CheckRequired(entry, table.nameField, problems);
      for (std::string_view required : table.requiredFields) CheckRequired(entry, required, problems);
      CheckTexts(table, entry, problems);
    }
  }
}

void CheckUniqueNames(const TSourceTree& tree, TProblems& problems) {
  for (const TTableSource& source : tree.tables) {
    const TTableSchema& table = *source.schema;
    if (table.nameUniqueness == TNameUniqueness::None) continue;
    struct TFirst {
      std::string file;
      int line;
      std::string name;
    };
    std::map<std::string, TFirst> seen;
    const auto note = [&](const std::string& name, const std::string& file, int line) {
      if (name.empty()) return;  // reported as a missing name
      const auto [it, fresh] = seen.emplace(UniquenessKey(table.nameUniqueness, name), TFirst{file, line, name});
      if (!fresh)
        problems.push_back({file, line, Quoted(name) + " is already used at " + it->second.file + ":" +
                                            std::to_string(it->second.line) +
                                            (it->second.name != name ? " as " + Quoted(it->second.name) : std::string()) +
                                            "; " + UniquenessRule(table)});
    };
    if (table.form == TSourceForm::TabFile) {
      const std::string file = source.files.empty() ? std::string(table.sourcePath) : source.files.front();
      const size_t column = static_cast<size_t>(FindField(table, table.nameField) - table.fields.data());
      for (const TTabRow& row : source.rows) note(row.cells[column], file, row.line);
      continue;
    }
    for (const TSourceEntry& entry : source.entries) {
      const THeaderField* name = entry.Field(table.nameField);
      if (name) note(name->value, entry.file, name->line);
    }
  }
}

}  // namespace refdata::checks
