#include "tools/refdata/build_table_file.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/components/database.h"
#include "engine/components/database_error.h"
#include "engine/components/field.h"
#include "engine/components/table.h"
#include "engine/core/exception.h"
#include "engine/tables/local_session.h"
#include "tools/refdata/build_host_schema.h"

namespace refdata {

namespace {

using TKind = TBuildValue::TKind;

constexpr int32_t kLockRetryCount = 10;
constexpr int32_t kLockDelayMs = 500;
constexpr int kRandomSearchRetryCount = 10;

std::string ErrorText(const std::exception& error) {
  if (const auto* db = dynamic_cast<const dvx::EDatabaseError*>(&error)) return db->Message();
  return error.what();
}

// The database component for `path`, set up as the application's are.
void Configure(dvx::TDVXDatabase& database, const TTableSchema& schema, const std::filesystem::path& path) {
  database.SetDatabaseName(std::string(schema.databaseName));
  database.SetDatabaseFileName(path.string());
  // The builder is the file's only user while it writes.
  database.SetExclusive(true);
  database.Options().SetPageSize(kReferencePageSize);
  database.Options().SetExtentPageCount(kReferenceExtentPageCount);
  database.Options().SetMaxSessionCount(ReferenceMaxSessionCount(schema.databaseName));
  database.Options().SetRandomSearchRetryCount(kRandomSearchRetryCount);
  database.LockParams().SetRetryCount(kLockRetryCount);
  database.LockParams().SetDelay(kLockDelayMs);
  database.CryptoParams().SetCryptoAlgorithm(dvx::craNone);
}

class TRecordWriter {
 public:
  TRecordWriter(dvx::TDVXTable& table, const TTableSchema& schema) : table_(table), schema_(schema) {
    for (size_t f = 0; f < schema.fields.size(); ++f)
      if (schema.fields[f].type == TFieldType::AutoInc) autoIncField_ = static_cast<int>(f);
    for (const TFieldSchema& field : schema.fields) names_.push_back(std::string(field.name));
  }

  void Write(const TBuildRecord& record) {
    table_.Append();
    for (size_t f = 0; f < schema_.fields.size(); ++f) Assign(table_.FieldByName(names_[f]), record.values[f]);
    table_.Post();
    // A child stores its parent's number, so the numbers are read back
    // rather than assumed to run from 1.
    ids_.push_back(autoIncField_ >= 0 ? table_.FieldByName(names_[static_cast<size_t>(autoIncField_)]).AsLargeInt() : 0);
    Verify(record);
  }

 private:
  void Assign(dvx::TField& field, const TBuildValue& value) {
    switch (value.kind) {
      case TKind::Null:
      case TKind::Automatic: return;
      case TKind::Text:
      case TKind::Bytes: field.SetAsString(value.data); return;  // BLOB fields store the bytes unchanged
      case TKind::Integer: field.SetAsLargeInt(value.integer); return;
      case TKind::ParentId:
        if (value.parent < 0 || static_cast<size_t>(value.parent) >= ids_.size())
          throw std::runtime_error("the parent record is not written yet");
        field.SetAsLargeInt(ids_[static_cast<size_t>(value.parent)]);
        return;
    }
  }

  // What the table holds now must be what was planned: no text cut, no
  // value dropped on the way through the component.
  void Verify(const TBuildRecord& record) {
    for (size_t f = 0; f < schema_.fields.size(); ++f) {
      const TBuildValue& value = record.values[f];
      if (value.kind != TKind::Text && value.kind != TKind::Bytes) continue;
      const dvx::TField& field = table_.FieldByName(names_[f]);
      const std::string stored = field.AsString();
      if (stored != value.data)
        throw std::runtime_error("field '" + std::string(schema_.fields[f].name) + "' holds " +
                                 std::to_string(stored.size()) + " bytes after posting instead of the " +
                                 std::to_string(value.data.size()) + " written");
    }
  }

  dvx::TDVXTable& table_;
  const TTableSchema& schema_;
  std::vector<std::string> names_;  // the fields' engine names
  int autoIncField_ = -1;
  std::vector<int64_t> ids_;
};

}  // namespace

int32_t ReferenceMaxSessionCount(std::string_view databaseName) { return databaseName == "dbHomTab" ? 1 : 2; }

int WriteTableFile(const std::filesystem::path& path, const TBuildTable& plan) {
  const TTableSchema& schema = *plan.schema;
  const std::string where = path.filename().string() + ", table " + std::string(schema.tableName);
  dvx::TDVXDatabase database;
  dvx::TDVXTable table;
  try {
    Configure(database, schema, path);
    {
      dvx::TDVXLocalSession creator(database.HandleParams());
      creator.CreateDatabase();
    }
    database.Open();
    table.SetDatabaseName(database.DatabaseName());
    table.SetTableName(std::string(schema.tableName));
    AddHostDefinitions(schema, table.FieldDefs(), table.IndexDefs());
    table.CreateTable();
    table.Open();
  } catch (const std::exception& error) {
    throw std::runtime_error(where + ": " + ErrorText(error));
  }
  TRecordWriter writer(table, schema);
  try {
    // One transaction per file: the pages are written once at the commit
    // instead of after every record.
    database.StartTransaction();
  } catch (const std::exception& error) {
    throw std::runtime_error(where + ": " + ErrorText(error));
  }
  for (const TBuildRecord& record : plan.records) {
    try {
      writer.Write(record);
    } catch (const std::exception& error) {
      throw std::runtime_error(record.file + ":" + std::to_string(record.line) + ": " + where + ": " + ErrorText(error));
    }
  }
  try {
    database.Commit();
    table.Close();
    database.Close();
  } catch (const std::exception& error) {
    throw std::runtime_error(where + ": " + ErrorText(error));
  }
  return static_cast<int>(plan.records.size());
}

}  // namespace refdata
