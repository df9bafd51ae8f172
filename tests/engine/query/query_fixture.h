#pragma once
// A database file on the in-memory file system, tables made through the
// table layer, and a way to run SQL through the processor and read the
// result as text: one string per row, values separated by tabs, NULL as
// "NULL", integers in decimal, reals with up to 10 significant digits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/platform/memory_file.h"
#include "engine/query/query_errors.h"
#include "engine/query/query_sessions.h"
#include "engine/query/sql_processor.h"
#include "engine/schema/constraint_defs.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"
#include "engine/schema/record_buffer.h"
#include "engine/tables/disk_database_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/values/field_types.h"
#include "engine/values/value_slot.h"

namespace dvx::test {

// "NULL", or the value as text.
inline std::string ValueText(const TDVXVariant& v) {
  if (v.IsNull()) return "NULL";
  switch (v.DataType()) {
    case bftSignedInt8:
    case bftSignedInt16:
    case bftSignedInt32:
    case bftSignedInt64:
    case bftUnsignedInt8:
    case bftUnsignedInt16:
    case bftUnsignedInt32: return std::to_string(v.GetAsSignedInt64());
    case bftSingle:
    case bftFloat:
    case bftExtended:
    case bftCurrency: {
      double d = v.GetAsDouble();
      if (d == 0) d = 0;  // no "-0"
      char text[64];
      std::snprintf(text, sizeof text, "%.10g", d);
      return text;
    }
    case bftLogical: return v.GetAsLogical() ? "true" : "false";
    default: {
      std::string s = v.GetAsString();
      while (!s.empty() && s.back() == '\0') s.pop_back();
      return s;
    }
  }
}

struct TQueryResult {
  bool hasCursor = false;
  std::vector<std::string> columns;
  std::vector<std::string> rows;
  bool readOnly = true;
  int64_t rowsAffected = 0;
};

class TQueryFixture : public ::testing::Test {
 protected:
  static constexpr const char* kFile = "query.dvx";
  static constexpr const char* kDatabase = "dbQuery";

  void SetUp() override {
    db_ = std::make_unique<TDVXDiskDatabaseData>(kFile, TDVXLockParams{3, 1}, fs_);
    db_->CreateDatabase(4096, 8, 4);
    TDVXCryptoInfo crypto;
    db_->OpenDatabase(false, true, crypto);
    session_ = std::make_unique<TDVXLocalSession>(*db_);
    sessions_ = std::make_unique<TDVXLocalQuerySessions>(session_.get(), kDatabase);
  }
  void TearDown() override {
    processor_.reset();
    sessions_.reset();
    session_.reset();
    db_->CloseDatabase();
  }

  // "name TYPE[(size)]" items; types by their SQL names.
  void CreateTable(const std::string& name, const std::vector<std::string>& columns) {
    TDVXFieldDefs fields;
    for (const std::string& column : columns) {
      std::istringstream in(column);
      std::string field, type;
      in >> field >> type;
      int32_t size = 0;
      if (auto open = type.find('('); open != std::string::npos) {
        size = std::stoi(type.substr(open + 1));
        type = type.substr(0, open);
      }
      const TSQLFieldType* sqlType = FindSQLFieldType(type);
      ASSERT_NE(sqlType, nullptr) << type;
      fields.Add(field, sqlType->advancedType, size);
    }
    db_->CreateTable(*session_, name, fields, TDVXIndexDefs(), TDVXConstraintDefs());
  }
  void AddIndex(const std::string& table, const std::string& name, const std::vector<std::string>& columns,
                bool unique = false) {
    TDVXIndexDef index;
    index.SetObjectName(name);
    for (const std::string& c : columns) index.AddColumn(c);
    index.SetUnique(unique);
    TDVXLocalCursor cursor(*session_, table, true);
    cursor.AddIndex(index);
  }
  void DropIndex(const std::string& table, const std::string& name) {
    TDVXLocalCursor cursor(*session_, table, true);
    cursor.DeleteIndex(name);
  }
  // Values as text ("NULL" for NULL), converted to each field's type.
  void Insert(const std::string& table, const std::vector<std::vector<std::string>>& rows) {
    TDVXLocalCursor cursor(*session_, table);
    cursor.Open();
    const TDVXFieldDefs& defs = cursor.Fields();
    for (const auto& row : rows) {
      cursor.NewRecord();
      for (int i = 0; i < defs.Count() && i < static_cast<int>(row.size()); ++i) {
        const TDVXFieldDef& def = *defs.Items(i);
        if (row[static_cast<size_t>(i)] == "NULL") {
          SetNull(true, i, cursor.Record());
          continue;
        }
        TDVXVariant value(bftString);
        value.SetAsString(row[static_cast<size_t>(i)]);
        value.ConvertTo(static_cast<uint8_t>(def.BaseFieldType()));
        bool written = WriteFieldSlot(value, def.BaseFieldType(), cursor.Record() + def.MemoryOffset(),
                                      def.MemoryDataSize());
        SetNull(!written, i, cursor.Record());
      }
      TDVXCursorResult result = cursor.InsertRecord();
      ASSERT_TRUE(result.ok()) << result.message;
    }
  }

  TDVXLocalSQLProcessor& Processor(bool requestLive = false) {
    TDVXSQLSettings settings;
    settings.databaseName = kDatabase;
    settings.requestLive = requestLive;
    processor_ = std::make_unique<TDVXLocalSQLProcessor>(*sessions_, settings);
    return *processor_;
  }

  static TQueryResult Read(TDVXLocalSQLProcessor& processor, TDVXLocalCursor* cursor) {
    TQueryResult result;
    result.readOnly = processor.ReadOnlyResult();
    result.rowsAffected = processor.RowsAffected();
    if (!cursor) return result;
    result.hasCursor = true;
    const int count = cursor->VisibleFieldCount();
    for (int i = 0; i < count; ++i) result.columns.push_back(cursor->VisibleFieldName(i));
    cursor->First();
    TDVXVariant value;
    while (cursor->GetRecord(grmNext) == grrDone) {
      std::string line;
      for (int i = 0; i < count; ++i) {
        if (i) line += '\t';
        cursor->GetFieldValue(i, value);
        line += ValueText(value);
      }
      result.rows.push_back(line);
    }
    return result;
  }

  TQueryResult Run(const std::string& sql, bool requestLive = false) {
    TDVXLocalSQLProcessor& processor = Processor(requestLive);
    processor.SetSQL(sql);
    TDVXLocalCursor* cursor = processor.Execute();
    return Read(processor, cursor);
  }
  std::vector<std::string> Rows(const std::string& sql) { return Run(sql).rows; }
  // The native code of the error the text raises; 0 when it runs.
  int32_t ErrorOf(const std::string& sql, std::string* message = nullptr) {
    try {
      Run(sql);
    } catch (const EDVXException& e) {
      if (message) *message = e.Message();
      return e.NativeError();
    }
    return 0;
  }

  TDVXMemoryFileSystem fs_;
  std::unique_ptr<TDVXDiskDatabaseData> db_;
  std::unique_ptr<TDVXLocalSession> session_;
  std::unique_ptr<TDVXLocalQuerySessions> sessions_;
  std::unique_ptr<TDVXLocalSQLProcessor> processor_;
};

}  // namespace dvx::test
