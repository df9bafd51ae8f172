#pragma once
// Native error codes of the SQL lexer and of expressions. Every raise site
// has its own code; many share a message, so the messages are kept here
// beside the codes that use them.
#include <cstdint>

namespace dvx {

// --- Messages shared by several codes -----------------------------------------
inline constexpr const char* kMsgUnexpectedEnd = "Unexpected end of SQL command found at line %d, column %d";
inline constexpr const char* kMsgBooleanExpected = "Boolean expression expected, but '%s' found at line %d, column %d";
inline constexpr const char* kMsgTokenExpected = "Token '%s' expected, but '%s' found at line %d, column %d";
inline constexpr const char* kMsgStringArgument =
    "String argument expected for function '%s', but '%s' found at line %d, column %d";
inline constexpr const char* kMsgArgumentExpected = "Argument expected for function '%s' at line %d, column %d";
inline constexpr const char* kMsgDateFormatExpected =
    "Const DateFormat string expected, but '%s' found at line %d, column %d";
inline constexpr const char* kMsgUnknownOperator = "Unknown operator: '%s'";
inline constexpr const char* kMsgFieldNotFound = "Field '%s' not found";
inline constexpr const char* kMsgNotNumeric = "Not numeric argument in numeric operator '%s'";
inline constexpr const char* kMsgAmbiguousField = "Ambiguous field reference to '%s'";

// --- Lexer --------------------------------------------------------------------
constexpr int32_t kErrMissingCloseParen = 30059;     // "Missing symbol ')' at line %d, column %d"
constexpr int32_t kErrUnexpectedCloseParen = 30060;  // "Unexpected symbol ')' found at line %d, column %d"
constexpr int32_t kErrUnterminatedString = 30061;    // "Unterminated string at line %d, column %d"
constexpr int32_t kErrInvalidNumericSymbol = 30062;  // "Invalid numeric symbol '%s' at line %d, column %d"
constexpr int32_t kErrUnexpectedEnd = 30161;         // kMsgUnexpectedEnd, the commands' token step
constexpr int32_t kErrParamNotFound = 30358;         // "Value for parameter '%s' not found"

// --- Expression syntax: conditions ---------------------------------------------
constexpr int32_t kErrTestExpected = 30066;          // kMsgBooleanExpected
constexpr int32_t kErrTruthWordExpected = 30067;     // kMsgTokenExpected, "TRUE, FALSE or UNKNOWN"
constexpr int32_t kErrNotOperand = 30068;            // kMsgBooleanExpected
constexpr int32_t kErrAndOperand = 30069;            // kMsgBooleanExpected
constexpr int32_t kErrOrOperand = 30070;             // kMsgBooleanExpected
constexpr int32_t kErrConditionEnd = 30118;          // kMsgUnexpectedEnd (ParseCondition)
constexpr int32_t kErrBlankCommand = 30119;          // "Blank SQL command"
constexpr int32_t kErrValueEnd = 30136;              // kMsgUnexpectedEnd (ParseValue)

// --- Expression syntax: values and functions ------------------------------------
constexpr int32_t kErrValueCloseParen = 30071;       // kMsgTokenExpected, ")"
constexpr int32_t kErrCountAllClose = 30073;         // kMsgTokenExpected, ")"
constexpr int32_t kErrAggregateOpen = 30074;         // kMsgTokenExpected, "("
constexpr int32_t kErrAggregateClose = 30075;        // kMsgTokenExpected, ")"
constexpr int32_t kErrAggregateArgument = 30102;     // kMsgArgumentExpected
constexpr int32_t kErrCastClose = 30076;             // kMsgTokenExpected, ")"
constexpr int32_t kErrCastType = 30077;              // "Cannot convert an expression to specified type: '%s'"
constexpr int32_t kErrPosOpen = 30078;
constexpr int32_t kErrPosFirstArgument = 30079;      // kMsgStringArgument
constexpr int32_t kErrPosSeparator = 30080;          // kMsgTokenExpected, ",' or 'IN"
constexpr int32_t kErrPosSecondArgument = 30081;     // kMsgStringArgument
constexpr int32_t kErrPosClose = 30082;
constexpr int32_t kErrLengthOpen = 30083;
constexpr int32_t kErrLengthClose = 30084;
constexpr int32_t kErrLengthArgument = 30085;        // kMsgStringArgument
constexpr int32_t kErrLastAutoIncOpen = 30086;
constexpr int32_t kErrLastAutoIncClose = 30089;
constexpr int32_t kErrLastAutoIncComma = 30334;
constexpr int32_t kErrStringFunctionOpen = 30090;
constexpr int32_t kErrStringFunctionClose = 30091;
constexpr int32_t kErrStringFunctionArgument = 30092;  // kMsgStringArgument
constexpr int32_t kErrToStringOpen = 30093;
constexpr int32_t kErrToStringArgument = 30094;      // kMsgArgumentExpected
constexpr int32_t kErrToStringComma = 30095;
constexpr int32_t kErrToStringFormat = 30096;        // kMsgDateFormatExpected
constexpr int32_t kErrToStringClose = 30097;
constexpr int32_t kErrSubstringOpen = 30098;
constexpr int32_t kErrSubstringArgument = 30099;     // kMsgStringArgument
constexpr int32_t kErrSubstringFrom = 30100;         // kMsgTokenExpected, ",' or 'from"
constexpr int32_t kErrSubstringStart = 30101;        // kMsgArgumentExpected
constexpr int32_t kErrSubstringFor = 30103;          // kMsgTokenExpected, ")' or ',' or 'FOR"
constexpr int32_t kErrSubstringClose = 30104;
constexpr int32_t kErrToDateOpen = 30105;
constexpr int32_t kErrToDateClose = 30106;
constexpr int32_t kErrToDateArgument = 30107;        // kMsgStringArgument
constexpr int32_t kErrToDateComma = 30108;
constexpr int32_t kErrToDateFormat = 30109;          // kMsgDateFormatExpected
constexpr int32_t kErrToBlobOpen = 11345;
constexpr int32_t kErrToBlobText = 11346;   // "Const BLOB value as quoted string expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrToBlobFormat = 11347; // "BLOB value format expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrToBlobClose = 11348;
constexpr int32_t kErrIsNullOpen = 11597;   // "'(' symbol expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrIsNullArgument = 11598;  // kMsgArgumentExpected
constexpr int32_t kErrIsNullClose = 11599;  // "Missing symbol ')' at line %d, column %d"
constexpr int32_t kErrPartOpen = 11601;
constexpr int32_t kErrExtractFrom = 11602;  // "FROM or ',' expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrExtractOpen = 11603;
constexpr int32_t kErrPartArgument = 11604;  // kMsgArgumentExpected
constexpr int32_t kErrPartClose = 11605;

// --- Evaluation -------------------------------------------------------------------
constexpr int32_t kErrIsTrueNoRoot = 30110;          // "Value is Null"
constexpr int32_t kErrLocateCount = 30112;   // "Count of FieldNames (%d) not equal counts of KeyValues (%d)"
constexpr int32_t kErrCursorFieldNotFound = 30115;   // kMsgFieldNotFound
constexpr int32_t kErrBooleanOperator = 30116;       // kMsgUnknownOperator
constexpr int32_t kErrComparisonOperator = 30117;
constexpr int32_t kErrLikeNotString = 30120;         // "Not string argument in function '%s'"
constexpr int32_t kErrArithmeticOperator = 30121;
constexpr int32_t kErrDateFunctionOperator = 30130;
constexpr int32_t kErrStringFunctionOperator = 30131;
constexpr int32_t kErrSumNotNumeric = 30132;         // kMsgNotNumeric, "SUM"
constexpr int32_t kErrAvgNotNumeric = 30133;         // kMsgNotNumeric, "AVG"
constexpr int32_t kErrAggregateOperator = 30134;
constexpr int32_t kErrFieldUnbound = 30196;          // "Dataset and AO not assigned"
constexpr int32_t kErrOperatorFieldNotFound = 30197; // kMsgFieldNotFound
constexpr int32_t kErrNotAField = 30198;             // "Node is not field"
constexpr int32_t kErrNoCursor = 30202;              // "Value is Null"
constexpr int32_t kErrUnknownExprType = 30283;       // "Cannot determine expression type"
constexpr int32_t kErrDateFunctionType = 30287;      // kMsgUnknownOperator
constexpr int32_t kErrLastAutoIncField = 30337;      // kMsgFieldNotFound
constexpr int32_t kErrSystemOperator = 30338;
constexpr int32_t kErrDistinctNoArgument = 11338;    // "Error - no children in expression node"
constexpr int32_t kErrBlobFunctionOperator = 11343;
constexpr int32_t kErrToBlobDecode = 11344;  // "Error - cannot convert BLOB value "%s", format = %d"
constexpr int32_t kErrIsNullTypes = 11600;   // "Types mismatches in SQL function %s: %d, %d"
constexpr int32_t kErrPartNoArgument = 11606;  // "Argument expected in SQL function %s"
constexpr int32_t kErrFirstFieldAmbiguous = 10404;   // kMsgAmbiguousField
constexpr int32_t kErrSecondFieldAmbiguous = 10405;
constexpr int32_t kErrSubQueryNoRows = 10848;        // "Subquery returns no rows"
constexpr int32_t kErrSubQueryManyRows = 10849;      // "Subquery returns multiple rows"
constexpr int32_t kErrSubQueryInNoValue = 10850;     // "Error parsing subquery with IN - no argumnet passed"

// --- Codes of our own where the message table has none --------------------------------
constexpr int32_t kErrFilterTrailing = 30930;        // "Unexpected '%s' found at line %d, column %d"
constexpr int32_t kErrConditionCloseParen = 30931;   // kMsgTokenExpected, ")"
constexpr int32_t kErrExpressionTooComplex = 30932;  // "Expression too complex at line %d, column %d"
constexpr int32_t kErrNoSubQueries = 30933;
constexpr int32_t kErrNoAutoIncTables = 30934;
constexpr int32_t kErrNoDistinctTables = 30935;
constexpr int32_t kErrBlobFieldUnreadable = 30936;
constexpr int32_t kErrLastAutoIncTable = 30937;      // kMsgTokenExpected, "table name"
constexpr int32_t kErrLastAutoIncFieldName = 30938;  // kMsgTokenExpected, "field name"
constexpr int32_t kErrSubstringCount = 30939;        // kMsgArgumentExpected
constexpr int32_t kErrCastArgument = 30940;          // kMsgArgumentExpected
constexpr int32_t kErrExtractPart = 30941;           // kMsgTokenExpected, "date part"
constexpr int32_t kErrIndexNoCursor = 30942;         // index conditions of an expression without cursor
constexpr int32_t kErrSubQueryUnclosed = 30943;      // kMsgTokenExpected, ")"
constexpr int32_t kErrCastOpen = 30944;              // kMsgTokenExpected, "("
constexpr int32_t kErrCastAs = 30945;                // kMsgTokenExpected, "AS"
constexpr int32_t kErrCastSize = 30946;              // kMsgTokenExpected, "size" or ")"

}  // namespace dvx
