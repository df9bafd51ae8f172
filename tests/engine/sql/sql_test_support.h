#pragma once
// Helpers of the expression tests: a cursor over rows of record buffers, a
// relational operator over named fields, scripted expression services, and
// short ways to parse and show values.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/locale.h"
#include "engine/schema/field_def.h"
#include "engine/schema/record_buffer.h"
#include "engine/sql/expr_row_access.h"
#include "engine/sql/expr_services.h"
#include "engine/sql/expression.h"
#include "engine/values/field_types.h"
#include "engine/values/value_codec.h"
#include "engine/values/value_slot.h"

namespace dvx::testing {

// --- Values -------------------------------------------------------------------------------

inline TDVXVariant Int(int32_t v) {
  TDVXVariant x(bftSignedInt32);
  x.SetAsSignedInt32(v);
  return x;
}
inline TDVXVariant Big(int64_t v) {
  TDVXVariant x(bftSignedInt64);
  x.SetAsSignedInt64(v);
  return x;
}
inline TDVXVariant Real(double v) {
  TDVXVariant x(bftFloat);
  x.SetAsDouble(v);
  return x;
}
inline TDVXVariant Str(const std::string& v) {
  TDVXVariant x(bftString);
  x.SetAsString(v);
  return x;
}
inline TDVXVariant WStr(const std::u16string& v) {
  TDVXVariant x(bftWideString);
  x.SetAsWideString(v);
  return x;
}
inline TDVXVariant Bool(bool v) {
  TDVXVariant x(bftLogical);
  x.SetAsLogical(v);
  return x;
}
inline TDVXVariant DateOf(int year, int month, int day) {
  int32_t number = 0;
  EncodeDayNumber(year, month, day, number);
  TDVXVariant x(bftDate);
  x.SetAsDate(number);
  return x;
}
inline TDVXVariant Null(uint8_t type = bftSignedInt32) { return TDVXVariant(type); }

// "NULL", "true"/"false", or the type name and the value as text:
// "SIGNEDINT64 10", "STRING abcd", "FLOAT 1.5".
inline std::string Show(const TDVXVariant& v) {
  if (v.IsNull()) return "NULL";
  if (v.DataType() == bftLogical) return v.GetAsLogical() ? "true" : "false";
  if (v.DataType() == bftBlob) return std::string("BLOB ") + v.GetAsString();
  return std::string(BaseFieldTypeName(v.DataType())) + " " + v.GetAsString();
}

// --- A cursor over record buffers ----------------------------------------------------------

class TTestCursor : public TDVXExprCursor {
 public:
  TTestCursor& Field(const std::string& name, int advancedType, int32_t size = 0) {
    defs_.Add(name, advancedType, size);
    return *this;
  }
  // Starts a new row with every field NULL and makes it current.
  void NewRow() {
    rows_.emplace_back(static_cast<size_t>(defs_.RecordSize()), 0);
    for (int i = 0; i < defs_.Count(); ++i) SetNull(true, i, rows_.back().data());
    current_ = rows_.size() - 1;
  }
  void Set(const std::string& name, const TDVXVariant& value) { SetIn(Row(current_), name, value); }
  void SetIn(std::vector<uint8_t>& row, const std::string& name, const TDVXVariant& value) {
    int no = FieldNo(name);
    const TDVXFieldDef& f = *defs_.Items(no);
    if (IsBlobType(f.BaseFieldType())) {
      blobs_[{row.data(), no}].Assign(value, true);
      SetNull(value.IsNull(), no, row.data());
      return;
    }
    bool written = WriteFieldSlot(value, f.BaseFieldType(), row.data() + f.MemoryOffset(), f.MemoryDataSize());
    SetNull(!written, no, row.data());
  }
  int FieldNo(const std::string& name) const {
    for (int i = 0; i < defs_.Count(); ++i)
      if (SameName(defs_.Items(i)->ObjectName(), name)) return i;
    ADD_FAILURE() << "no field " << name;
    return 0;
  }
  void Select(size_t row) { current_ = row; }
  size_t RowCount() const { return rows_.size(); }
  std::vector<uint8_t>& Row(size_t row) { return rows_.at(row); }
  void AddAlias(const std::string& alias, const std::string& field) { aliases_[AnsiUpperCase(alias)] = FieldNo(field); }

  const TDVXFieldDefs& RowFieldDefs() const override { return defs_; }
  const uint8_t* RowBuffer() const override { return rows_.empty() ? nullptr : rows_[current_].data(); }
  int FindSecondaryFieldName(std::string_view name) const override {
    auto it = aliases_.find(AnsiUpperCase(name));
    return it == aliases_.end() ? -1 : it->second;
  }
  void ReadBlobFieldValue(int fieldNo, const uint8_t* buffer, TDVXVariant& value) const override {
    auto it = blobs_.find({buffer, fieldNo});
    if (it == blobs_.end())
      value.Clear(defs_.Items(fieldNo)->BaseFieldType());
    else
      value.Assign(it->second, true);
  }

 private:
  TDVXFieldDefs defs_;
  std::vector<std::vector<uint8_t>> rows_;
  size_t current_ = 0;
  std::map<std::string, int> aliases_;
  std::map<std::pair<const uint8_t*, int>, TDVXVariant> blobs_;
};

// --- A relational operator -----------------------------------------------------------------

// A table operator (name, alias, fields with values of the current row) or
// a join of two of them. A join's fields are its left input's followed by
// its right input's.
class TTestOperator : public TDVXExprOperator {
 public:
  enum TJoin { jNone, jInner, jLeft, jRight, jFull };

  TTestOperator(std::string table, std::string alias = {}) : table_(std::move(table)), alias_(std::move(alias)) {}
  TTestOperator(TJoin join, TTestOperator& left, TTestOperator& right) : join_(join), left_(&left), right_(&right) {}

  TTestOperator& Field(const std::string& name, int type, int32_t size = 0) {
    fields_.push_back({name, type, size, TDVXVariant(AdvancedToBaseType(type))});
    return *this;
  }
  void Set(const std::string& name, const TDVXVariant& value) {
    for (auto& f : fields_)
      if (SameName(f.name, name)) f.value.Assign(value, true);
  }

  std::vector<int> FindExprFields(std::string_view qualifier, std::string_view name) override {
    std::vector<int> found;
    if (join_ != jNone) {
      for (int n : left_->FindExprFields(qualifier, name)) found.push_back(n);
      int offset = left_->Count();
      for (int n : right_->FindExprFields(qualifier, name)) found.push_back(offset + n);
      return found;
    }
    if (!qualifier.empty() && !SameName(qualifier, table_) && !SameName(qualifier, alias_)) return found;
    for (int i = 0; i < static_cast<int>(fields_.size()); ++i)
      if (SameName(fields_[i].name, name)) found.push_back(i);
    return found;
  }
  int ExprFieldType(int no) override { return Resolve(no).type; }
  int32_t ExprFieldSize(int no) override { return Resolve(no).size; }
  void GetExprFieldValue(int no, TDVXVariant& value) override { value.Assign(Resolve(no).value, false); }
  std::vector<TDVXExprOperator*> ConditionInputs() override {
    switch (join_) {
      case jNone: return {};
      case jInner: return {left_, right_};
      case jLeft: return {left_};
      case jRight: return {right_};
      default: return {};
    }
  }
  TDVXExpression* Filter() override { return filter_.get(); }
  void SetFilter(std::unique_ptr<TDVXExpression> filter) override { filter_ = std::move(filter); }

  int Count() const {
    return join_ == jNone ? static_cast<int>(fields_.size()) : left_->Count() + right_->Count();
  }

 private:
  struct TField {
    std::string name;
    int type;
    int32_t size;
    TDVXVariant value;
  };
  TField& Resolve(int no) {
    if (join_ == jNone) return fields_.at(static_cast<size_t>(no));
    return no < left_->Count() ? left_->Resolve(no) : right_->Resolve(no - left_->Count());
  }

  std::string table_, alias_;
  TJoin join_ = jNone;
  TTestOperator* left_ = nullptr;
  TTestOperator* right_ = nullptr;
  std::vector<TField> fields_;
  std::unique_ptr<TDVXExpression> filter_;
};

// --- Scripted services ---------------------------------------------------------------------------

// Subqueries answer with the first-column values given for their text;
// LASTAUTOINC tables and DISTINCT sets live in memory.
class TTestServices : public TDVXExprServices {
 public:
  std::map<std::string, std::vector<TDVXVariant>> subqueries;
  std::vector<std::string> ranSubqueries;
  std::map<std::string, std::pair<int, int64_t>> autoinc;  // "TABLE.FIELD" -> type, last value
  std::vector<std::string> openedTables;
  int distinctSetsCreated = 0;

  std::unique_ptr<TDVXSubQueryResult> RunSubQuery(const std::string& sql, const TDVXExprEnvironment&) override {
    ranSubqueries.push_back(sql);
    auto it = subqueries.find(sql);
    if (it == subqueries.end()) {
      ADD_FAILURE() << "unexpected subquery: " << sql;
      return nullptr;
    }
    return std::make_unique<TRows>(it->second);
  }
  std::unique_ptr<TDVXAutoIncTable> OpenAutoIncTable(const std::string& table, const TDVXExprEnvironment& env) override {
    openedTables.push_back((env.inMemory ? "MEMORY " : "") + table);
    return std::make_unique<TAutoInc>(*this, table);
  }
  std::unique_ptr<TDVXDistinctValues> CreateDistinctValues(int, int32_t) override {
    ++distinctSetsCreated;
    return std::make_unique<TDistinct>();
  }

 private:
  struct TRows : TDVXSubQueryResult {
    explicit TRows(std::vector<TDVXVariant> v) : values(std::move(v)) {}
    bool IsEmpty() override { return values.empty(); }
    bool HasMoreThanOneRow() override { return values.size() > 1; }
    void GetFirstValue(TDVXVariant& value) override { value.Assign(values.at(0), true); }
    bool LocateInFirstColumn(const TDVXVariant& value) override {
      for (const auto& v : values)
        if (v.Compare(value) == 0) return true;
      return false;
    }
    std::vector<TDVXVariant> values;
  };
  struct TAutoInc : TDVXAutoIncTable {
    TAutoInc(TTestServices& s, std::string t) : services(s), table(std::move(t)) {}
    int FieldType(const std::string& field) override {
      auto it = services.autoinc.find(AnsiUpperCase(table + "." + field));
      return it == services.autoinc.end() ? 0 : it->second.first;
    }
    int64_t LastAutoIncValue(const std::string& field) override {
      return services.autoinc.at(AnsiUpperCase(table + "." + field)).second;
    }
    TTestServices& services;
    std::string table;
  };
  struct TDistinct : TDVXDistinctValues {
    bool AddIfNew(const TDVXVariant& value) override {
      for (const auto& v : seen)
        if (v.Compare(value) == 0) return false;
      seen.push_back(value);
      return true;
    }
    std::vector<TDVXVariant> seen;
  };
};

// --- Parsing -----------------------------------------------------------------------------------

// An expression parsed from the first statement of `sql`; the lexer is
// kept so tests can look at where parsing stopped.
struct TParsed {
  std::unique_ptr<TDVXLexer> lexer;
  std::unique_ptr<TDVXExpression> expression;
};

inline TParsed ParseConditionText(const std::string& sql, TDVXExprCursor* cursor = nullptr,
                                  const TDVXSQLParams* params = nullptr, TDVXExprServices* services = nullptr) {
  TParsed parsed{std::make_unique<TDVXLexer>(sql, params), std::make_unique<TDVXExpression>()};
  parsed.expression->SetCursor(cursor);
  parsed.expression->SetServices(services);
  parsed.lexer->NextStatement();
  parsed.expression->ParseCondition(*parsed.lexer);
  return parsed;
}

inline TParsed ParseValueText(const std::string& sql, TDVXExprCursor* cursor = nullptr,
                              const TDVXSQLParams* params = nullptr, TDVXExprServices* services = nullptr) {
  TParsed parsed{std::make_unique<TDVXLexer>(sql, params), std::make_unique<TDVXExpression>()};
  parsed.expression->SetCursor(cursor);
  parsed.expression->SetServices(services);
  parsed.lexer->NextStatement();
  parsed.expression->ParseValue(*parsed.lexer);
  return parsed;
}

}  // namespace dvx::testing
