#pragma once
// Native error codes of the SELECT statement, its operators and the SQL
// processor. Messages shared by several codes are kept beside them.
#include <cstdint>

namespace dvx {

// --- Messages shared by several codes -----------------------------------------
inline constexpr const char* kMsgSQLTokenExpected = "SQL token expected, but '%s' found at line %d, column %d";
inline constexpr const char* kMsgQueryTokenExpected = "Token '%s' expected, but '%s' found at line %d, column %d";
inline constexpr const char* kMsgIntegerExpected = "Integer expected, but '%s' found at line %d, column %d";
inline constexpr const char* kMsgFieldNameExpected = "Field name expected, but '%s' found at line %d, column %d";
inline constexpr const char* kMsgTableNameExpected = "Table name expected, but '%s' found at line %d, column %d";
inline constexpr const char* kMsgUnexpectedToken = "Unexpected token '%s' found at line %d, column %d";
inline constexpr const char* kMsgSortExpected = "Sort specification expected, but '%s' found at line %d, column %d";
inline constexpr const char* kMsgObjectTypeExpected = "Object type keyword expected, but '%s' found at line %d, column %d";
inline constexpr const char* kMsgInvalidJoinField =
    "Invalid field for join operation. Table name = '%s', FieldName = '%s', i = %d, FieldExists = %d";
inline constexpr const char* kMsgEmptyFieldList = "Empty field list, item count = %d";

// --- Statement dispatch ---------------------------------------------------------
constexpr int32_t kErrObjectTypeCreate = 30147;
constexpr int32_t kErrEndAfterCreate = 30148;
constexpr int32_t kErrObjectTypeDrop = 30149;
constexpr int32_t kErrEndAfterDrop = 30150;
constexpr int32_t kErrObjectTypeAlter = 30151;
constexpr int32_t kErrEndAfterAlter = 30152;
constexpr int32_t kErrEndAfterRename = 30353;
constexpr int32_t kErrStatementKeyword = 30153;  // kMsgSQLTokenExpected
constexpr int32_t kErrStatementToken = 30154;    // kMsgSQLTokenExpected
// Our own: a statement the processor recognises but does not run yet.
constexpr int32_t kErrStatementNotSupported = 31100;  // "Statement '%s' is not supported yet"

// --- SELECT grammar ----------------------------------------------------------------
constexpr int32_t kErrSelectExpected = 30156;      // kMsgSQLTokenExpected
constexpr int32_t kErrTopCount = 30158;            // kMsgIntegerExpected
constexpr int32_t kErrTopStart = 30159;            // kMsgIntegerExpected
constexpr int32_t kErrItemExpression = 30160;      // "Expression expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrAliasExpected = 30162;       // "Field pseudonym expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrItemAfterComma = 30163;      // kMsgFieldNameExpected
constexpr int32_t kErrFieldListExpected = 30164;   // "Field list expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrIntoTable = 30165;           // kMsgTableNameExpected
constexpr int32_t kErrIntoTableAfterPoint = 30166; // kMsgTableNameExpected
constexpr int32_t kErrUsingOpen = 30167;           // kMsgQueryTokenExpected, "("
constexpr int32_t kErrJoinWord = 30168;            // kMsgUnexpectedToken (30168 .. 30174)
constexpr int32_t kErrJoinExpected = 30175;        // kMsgQueryTokenExpected, "JOIN"
constexpr int32_t kErrJoinTable = 30176;           // kMsgTableNameExpected
constexpr int32_t kErrTableAlias = 30177;          // "Table alias expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrPasswordExpected = 30178;
constexpr int32_t kErrInnerReference = 30179;      // kMsgTableNameExpected
constexpr int32_t kErrTableName = 30180;           // kMsgTableNameExpected (30180 .. 30183)
constexpr int32_t kErrTableNameAfterPoint = 30181;
constexpr int32_t kErrFromExpected = 30184;        // kMsgQueryTokenExpected, "FROM"
constexpr int32_t kErrGroupBy = 30185;             // kMsgQueryTokenExpected, "BY"
constexpr int32_t kErrSortAfterPoint = 30186;      // kMsgFieldNameExpected
constexpr int32_t kErrSortFieldName = 30187;       // kMsgFieldNameExpected
constexpr int32_t kErrOrderBy = 30188;             // kMsgQueryTokenExpected, "BY"
constexpr int32_t kErrSortExpected = 30189;        // kMsgSortExpected
constexpr int32_t kErrCorrespondingOpen = 30193;   // kMsgQueryTokenExpected, "("
constexpr int32_t kErrPrimaryExpected = 30194;     // kMsgQueryTokenExpected, "SELECT"
constexpr int32_t kErrOrderColumnNotFound = 30195; // "Column '%s' from ORDER BY clause not found"
constexpr int32_t kErrConditionNotApplicable = 30144;  // "Search condition is not applicable"
constexpr int32_t kErrGroupFieldExpected = 10409;  // kMsgFieldNameExpected (10409, 10411, 10412)
constexpr int32_t kErrGroupSeparator = 10410;      // kMsgUnexpectedToken
constexpr int32_t kErrOrderIndexName = 11244;      // kMsgTableNameExpected-like: index name
constexpr int32_t kErrIntoAfterFrom = 11337;       // "INTO clause should be before FROM, line %d, column %d"
constexpr int32_t kErrOrderColumnNumber = 11395;   // "Invalid column number in ORDER BY clause = %d"
// Our own codes.
constexpr int32_t kErrTrailingTokens = 31101;      // kMsgUnexpectedToken
constexpr int32_t kErrNestingTooDeep = 31102;      // "Query nested too deeply at line %d, column %d"
constexpr int32_t kErrJoinCondition = 31103;       // kMsgQueryTokenExpected, "ON' or 'USING"
constexpr int32_t kErrCorrespondingClose = 31104;  // kMsgQueryTokenExpected, ")"
constexpr int32_t kErrPrimaryClose = 31105;        // kMsgQueryTokenExpected, ")"
constexpr int32_t kErrReferenceClose = 31106;      // kMsgQueryTokenExpected, ")"
constexpr int32_t kErrUsingClose = 31107;          // kMsgQueryTokenExpected, ")"
constexpr int32_t kErrQueryRunTwice = 31114;       // "A parsed query runs once"
constexpr int32_t kErrJoinSameTable = 31115;       // "Both join fields are from the same table. ..."
constexpr int32_t kErrSubQueryTooDeep = 31108;     // "Subqueries nested too deeply"
constexpr int32_t kErrOrderIndexMissing = 31109;   // "Index '%s' not found"

// --- Operators -------------------------------------------------------------------------
constexpr int32_t kErrProjectionField = 10305;     // "Cannot find field %s"
constexpr int32_t kErrTableOpen = 10303;           // "Cannot open table %s, InMemory = %d"
constexpr int32_t kErrJoinListLength = 10330;      // "Error - different lists length. L1 = %d, L2 = %d"
constexpr int32_t kErrJoinFieldLeft = 10331;       // kMsgInvalidJoinField
constexpr int32_t kErrJoinFieldRight = 10332;      // kMsgInvalidJoinField
constexpr int32_t kErrJoinEmpty = 10333;           // kMsgEmptyFieldList
constexpr int32_t kErrUnionByEmpty = 10337;        // kMsgEmptyFieldList
constexpr int32_t kErrUnionPairs = 10338;          // kMsgEmptyFieldList
constexpr int32_t kErrUnionNoPairs = 10339;        // kMsgEmptyFieldList
constexpr int32_t kErrGroupFieldMissing = 10341;   // "Cannot find field %s in table %s"
constexpr int32_t kErrNotInGroupBy = 10342;
constexpr int32_t kErrGroupFieldInvalid = 10343;   // kMsgInvalidJoinField
constexpr int32_t kErrIntoCopy = 10403;            // "Error importing table. Cannot copy data due to error: %s\r\n"
constexpr int32_t kErrMemoryTableMissing = 11505;  // "Table '%s' does not exist"
// Our own codes.
constexpr int32_t kErrUnionColumnCount = 31110;    // "Set operation of selects with %d and %d columns"
constexpr int32_t kErrIntoExists = 31111;          // "Cannot create table '%s': it already exists"
constexpr int32_t kErrResultWrite = 31112;         // "Error - cannot copy records, error log: %s" (10851)
constexpr int32_t kErrCopyRecords = 10851;

// --- Data-changing statements ------------------------------------------------------
inline constexpr const char* kMsgQuotedPassword =
    "Quoted password expected (for PASSWORD \"passwordData\"), but '%s' found at line %d, column %d";
inline constexpr const char* kMsgCloseOrComma = "')' or ',' symbol expected, but '%s' found at line %d, column %d";
inline constexpr const char* kMsgOpenExpected = "'(' symbol expected, but '%s' found at line %d, column %d";
constexpr int32_t kErrInsertEnd = 30205;            // kMsgUnexpectedEnd
constexpr int32_t kErrInsertInto = 30206;           // kMsgQueryTokenExpected, "INTO"
constexpr int32_t kErrInsertTable = 30207;          // kMsgTableNameExpected
constexpr int32_t kErrInsertMemoryTable = 30208;    // kMsgTableNameExpected
constexpr int32_t kErrInsertAfterTable = 30209;     // kMsgUnexpectedEnd
constexpr int32_t kErrInsertPassword = 30210;       // kMsgQuotedPassword
constexpr int32_t kErrInsertAfterPassword = 30211;  // kMsgUnexpectedEnd
constexpr int32_t kErrInsertColumn = 2156;          // kMsgFieldNameExpected
constexpr int32_t kErrInsertColumnSeparator = 30212;  // kMsgCloseOrComma
constexpr int32_t kErrInsertAfterColumns = 30213;   // kMsgUnexpectedEnd
constexpr int32_t kErrInsertValuesOpen = 30214;     // kMsgOpenExpected
constexpr int32_t kErrInsertValueEnd = 30203;       // kMsgUnexpectedEnd
constexpr int32_t kErrInsertValueParse = 30357;     // "Error parsing parameter '%s' at line %d, column %d"
constexpr int32_t kErrInsertSelect = 11350;         // "Error - INSERT from SELECT failed, table name = %s, error log: %s"
constexpr int32_t kErrValueUndefined = 30356;       // "Parameter Value undefined (FieldName='%s', Type='%s')"
constexpr int32_t kErrValueIsNull = 30359;          // "Value is Null"
constexpr int32_t kErrUpdateTable = 30217;          // kMsgTableNameExpected
constexpr int32_t kErrUpdateMemoryTable = 30218;    // kMsgTableNameExpected
constexpr int32_t kErrUpdatePassword = 30219;       // kMsgQuotedPassword
constexpr int32_t kErrUpdateSet = 30220;            // kMsgQueryTokenExpected, "SET"
constexpr int32_t kErrUpdateEquals = 30221;         // kMsgQueryTokenExpected, "="
constexpr int32_t kErrUpdateSeparator = 30222;      // kMsgQueryTokenExpected, ","
constexpr int32_t kErrUpdateAfterComma = 30223;     // kMsgUnexpectedEnd
constexpr int32_t kErrUpdateField = 11590;          // "Cannot find field %s in table %s"
constexpr int32_t kErrUpdateReadOnly = 11464;       // "Dataset is in read only mode"
constexpr int32_t kErrUpdateLock = 10677;
constexpr int32_t kErrUpdateUnlock = 10678;
constexpr int32_t kErrDeleteEnd = 30224;            // kMsgUnexpectedEnd
constexpr int32_t kErrDeleteReadOnly = 11305;       // "Dataset is in read only mode"
constexpr int32_t kErrDeleteLock = 10679;
constexpr int32_t kErrDeleteUnlock = 10680;
constexpr int32_t kErrStartEnd = 10845;             // kMsgUnexpectedEnd
constexpr int32_t kErrStartTransaction = 10846;     // kMsgSQLTokenExpected
// Our own codes.
constexpr int32_t kErrInsertSource = 31116;         // kMsgQueryTokenExpected, "VALUES' or 'SELECT"
constexpr int32_t kErrInsertValueCount = 31117;     // "Column count %d differs from value count %d"
constexpr int32_t kErrInsertSelectCount = 31118;    // "Column count %d differs from the SELECT's column count %d"
constexpr int32_t kErrInsertTooManyValues = 31119;  // "Table '%s' has %d fields, but %d values are given"
constexpr int32_t kErrInsertColumnTwice = 31120;    // "Column '%s' named twice"
constexpr int32_t kErrInsertColumnMissing = 31121;  // "Field '%s' not found"
constexpr int32_t kErrSetValueExpected = 31122;     // "Expression expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrInsertValueSeparator = 31123; // kMsgCloseOrComma
constexpr int32_t kErrUpdateColumnTwice = 31124;    // "Column '%s' named twice"

// --- Definition statements ---------------------------------------------------------
inline constexpr const char* kMsgBlankCommand = "Blank SQL command";
constexpr int32_t kErrCreateBlank = 30249;          // kMsgBlankCommand
constexpr int32_t kErrDdlTableName = 30230;         // kMsgTableNameExpected
constexpr int32_t kErrDdlMemoryTableName = 30231;   // kMsgTableNameExpected
constexpr int32_t kErrElementsOpen = 30226;         // kMsgQueryTokenExpected, "("
constexpr int32_t kErrColumnName = 30227;           // kMsgFieldNameExpected
constexpr int32_t kErrColumnType = 30228;           // "Field type expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrUnknownColumnType = 30232;    // "Unknown field type '%s' at line %d, column %d"
constexpr int32_t kErrSizeOpen = 30233;             // kMsgOpenExpected
constexpr int32_t kErrSizeNumber = 30235;           // "Decimal constant expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrSizeClose = 30236;            // kMsgCloseOrComma
constexpr int32_t kErrOptionSeparator = 30229;      // kMsgCloseOrComma
constexpr int32_t kErrNotKeyword = 30237;           // "'NULL' expected (for NOT NULL), but '%s' found at line %d, column %d"
constexpr int32_t kErrNotNull = 2011;               // "'NULL' expected (for NOT NULL), but '%s' found at line %d, column %d"
constexpr int32_t kErrDefaultTwice = 30299;         // "default value for column '%s' declared twice"
constexpr int32_t kErrAutoincEnd = 30290;           // kMsgUnexpectedEnd
constexpr int32_t kErrIntegerTooBig = 30291;        // kMsgIntegerExpected
constexpr int32_t kErrIntegerOperand = 30292;       // kMsgIntegerExpected
constexpr int32_t kErrAutoincToken = 30294;         // kMsgUnexpectedToken
constexpr int32_t kErrAutoincType = 30295;          // "Unsupported Autoinc DataType (%s) found at line %d, column %d"
constexpr int32_t kErrPrimaryOpen = 30327;          // kMsgOpenExpected
constexpr int32_t kErrPrimaryColumn = 30244;        // kMsgFieldNameExpected
constexpr int32_t kErrPrimarySeparator = 30245;     // kMsgCloseOrComma
constexpr int32_t kErrForeignKeyWord = 11467;       // kMsgQueryTokenExpected, "KEY"
constexpr int32_t kErrForeignOpen = 11468;          // kMsgOpenExpected
constexpr int32_t kErrForeignColumn = 11469;        // kMsgFieldNameExpected
constexpr int32_t kErrForeignSeparator = 11470;     // kMsgCloseOrComma
constexpr int32_t kErrForeignMatch = 11471;         // kMsgQueryTokenExpected, "FULL or PARTIAL"
constexpr int32_t kErrForeignOn = 11472;            // kMsgQueryTokenExpected, "UPDATE or DELETE"
constexpr int32_t kErrForeignSecondOn = 11473;      // kMsgQueryTokenExpected, "UPDATE or DELETE"
constexpr int32_t kErrForeignSet = 11474;           // kMsgQueryTokenExpected, "NULL or DEFAULT"
constexpr int32_t kErrForeignNo = 11475;            // kMsgQueryTokenExpected, "ACTION"
constexpr int32_t kErrForeignAction = 11476;        // kMsgQueryTokenExpected, "CASCADE or SET or NO"
constexpr int32_t kErrForeignReferences = 11477;    // kMsgQueryTokenExpected, "REFERENCES"
constexpr int32_t kErrForeignTable = 11478;         // kMsgTableNameExpected
constexpr int32_t kErrDdlTrailing = 30246;          // kMsgUnexpectedToken
constexpr int32_t kErrCreateExists = 30247;         // "Cannot create table. Table '%s' already exists"
constexpr int32_t kErrCreateFailed = 30248;         // "Error creating table: '%s'"
constexpr int32_t kErrDropBlank = 30251;            // kMsgBlankCommand
constexpr int32_t kErrDropFailed = 30250;           // "Error dropping table: '%s'"
constexpr int32_t kErrAlterBlank = 30261;           // kMsgBlankCommand
constexpr int32_t kErrAlterAction = 30253;          // "ADD, DROP or ALTER keyword expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrAlterActionWord = 30252;      // same message
constexpr int32_t kErrDropColumnName = 10408;       // kMsgFieldNameExpected
constexpr int32_t kErrDropColumnToken = 10406;      // kMsgUnexpectedToken
constexpr int32_t kErrConstraintName = 11495;       // "Constraint name expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrConstraintMode = 11496;       // kMsgQueryTokenExpected, "CASCADE or RESTRICT"
constexpr int32_t kErrRenameColumnTo = 30352;       // kMsgQueryTokenExpected, "TO"
constexpr int32_t kErrRenameBlank = 30354;          // kMsgBlankCommand
constexpr int32_t kErrRenameTo = 30355;             // kMsgQueryTokenExpected, "TO"
constexpr int32_t kErrAddColumnExists = 30351;      // "Field by name '%s' already exists"
constexpr int32_t kErrDropColumnMissing = 30349;    // "Field '%s' not found"
constexpr int32_t kErrAlterColumnMissing = 30259;   // "Field '%s' not found"
constexpr int32_t kErrRestructure = 30347;          // "Restructure table error: '%s'"
constexpr int32_t kErrAlterFailed = 30265;          // "Error altering teble: '%s'"
constexpr int32_t kErrIndexKeyword = 30267;         // "'INDEX' keyword expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrIndexWord = 30268;            // same message
constexpr int32_t kErrIfNotWord = 11236;            // "'NOT' keyword expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrIfNotKeyword = 11237;
constexpr int32_t kErrIfNotExistsWord = 11238;      // "'EXISTS' keyword expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrIfNotExistsKeyword = 11239;
constexpr int32_t kErrIndexName = 30269;            // "index name expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrIndexOnWord = 30270;          // "'ON' keyword expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrIndexOnKeyword = 30271;
constexpr int32_t kErrIndexTable = 30272;           // kMsgTableNameExpected
constexpr int32_t kErrIndexMemoryTable = 11301;     // kMsgTableNameExpected
constexpr int32_t kErrIndexOpen = 30273;            // kMsgOpenExpected
constexpr int32_t kErrIndexColumn = 30274;          // kMsgFieldNameExpected
constexpr int32_t kErrIndexPassword = 30275;        // kMsgQuotedPassword
constexpr int32_t kErrIndexSeparator = 30276;       // kMsgCloseOrComma
constexpr int32_t kErrDropIndexEnd = 30278;         // kMsgUnexpectedEnd
constexpr int32_t kErrIfExistsWord = 11241;         // "'EXISTS' keyword expected, but '%s' found at line %d, column %d"
constexpr int32_t kErrIfExistsKeyword = 11242;
constexpr int32_t kErrIfExistsEnd = 11243;          // kMsgUnexpectedEnd
constexpr int32_t kErrDropIndexMemory = 11302;      // kMsgTableNameExpected
constexpr int32_t kErrDropIndexAfterTable = 30279;  // kMsgUnexpectedEnd
constexpr int32_t kErrDropIndexPoint = 30280;       // kMsgQueryTokenExpected, "."
constexpr int32_t kErrDropIndexAfterPoint = 30281;  // kMsgUnexpectedEnd
constexpr int32_t kErrDropIndexPassword = 30282;    // kMsgQuotedPassword
// Our own codes.
constexpr int32_t kErrRebuildForeignKey = 31126;   // "Foreign key '%s' of table '%s' needs field '%s'"
constexpr int32_t kErrOptionRange = 31125;          // "%s must lie in %d to %d, but %d found at line %d, column %d"

}  // namespace dvx
