#pragma once
// The eight reference tables as the application declares them, and where the
// source files put each field. The validator checks the sources against these
// constants and the database builder creates the tables from them, so both
// read one description.
#include <span>
#include <string_view>

namespace refdata {

enum class TFieldType { AutoInc, FixedChar, Integer, FmtMemo, Graphic };

// Where a field's value comes from in the sources.
enum class TFieldSource {
  Header,     // a header line "Field: value"
  Memo,       // the entry's text, or its "@@ Field" section
  Automatic,  // numbered by the engine on insert
  Parent,     // the Baum_ID of the entry named by the pseudo-field Eltern
  Picture,    // the file named by the pseudo-field Bild
  Column,     // a column of a tab-separated file
  Unused,     // the one-character Dummy fields, always empty
};

struct TFieldSchema {
  std::string_view name;
  TFieldType type;
  int size;  // characters of a FixedChar field, 0 otherwise
  TFieldSource source;
};

struct TIndexSchema {
  std::string_view name;
  std::string_view fields;                // key fields separated by ";"
  std::string_view caseInsensitiveFields;  // same form; empty when none
  bool primary;
  bool unique;
};

// How the names in a table's name field must differ from each other.
enum class TNameUniqueness { None, CaseSensitive, CaseInsensitive };

enum class TSourceForm {
  EntryFiles,  // a folder of .md files with +++ headers
  TabFile,     // one tab-separated file with a header line
};

struct TTableSchema {
  std::string_view tableName;
  std::string_view databaseName;
  std::string_view fileName;
  std::string_view sourcePath;  // folder (entry files) or file, relative to data/
  TSourceForm form;
  std::span<const TFieldSchema> fields;
  std::span<const TIndexSchema> indexes;
  // The field that names an entry: required, non-empty, and unique as
  // nameUniqueness says.
  std::string_view nameField;
  TNameUniqueness nameUniqueness;
  // Further header fields that must be present and non-empty.
  std::span<const std::string_view> requiredFields;
  // Header lines that steer the builder and are not stored as such.
  std::span<const std::string_view> pseudoFields;
  // The memo fields the entry text fills, in declared order. A table with
  // more than one divides its text into "@@ Field" sections.
  std::span<const std::string_view> memoFields;
};

// The eight tables, in the order the application opens their databases.
std::span<const TTableSchema> ReferenceTables();

// The table of that name, or nullptr.
const TTableSchema* FindTable(std::string_view tableName);

// The field of that name, or nullptr.
const TFieldSchema* FindField(const TTableSchema& table, std::string_view fieldName);

// True when a header line may name this field: a Header field or a pseudo-field.
bool IsHeaderField(const TTableSchema& table, std::string_view fieldName);

// Names of the tables and pseudo-fields the checks refer to.
inline constexpr std::string_view kBasicsTable = "tblGrdlgn";
inline constexpr std::string_view kTreeTable = "Baum";
inline constexpr std::string_view kIndicationTable = "IndList";
inline constexpr std::string_view kRemedyTable = "TABHOM";
inline constexpr std::string_view kEmergencyTable = "Emerg";
inline constexpr std::string_view kChildIndicationTable = "KindInd";
inline constexpr std::string_view kChildRemedyTable = "KindKM";
inline constexpr std::string_view kCrossReferenceTable = "Verweise";
inline constexpr std::string_view kParentPseudoField = "Eltern";
inline constexpr std::string_view kPicturePseudoField = "Bild";
inline constexpr std::string_view kTreeSortField = "Ls";

}  // namespace refdata
