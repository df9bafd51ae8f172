// Conditions and values come from SQL statements and from users' filter
// texts: parsing, binding, evaluating and taking them apart must end in a
// result or in the engine's own exception, never in a crash, a hang or a
// leak. Errors whose message names a place must name one inside the text.
//
// Input: one byte of mode (bit 0: value instead of condition, bit 1: a
// cursor filter, bit 2: ignore case, bit 3: partial matches), then the text.
// The text sees a row with fields Ebene INTEGER, Name VARCHAR(10), Preis
// DOUBLE, Datum DATE and Notiz MEMO, and parameters "zuid", "name", "flag"
// and "leer".
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/schema/index_def.h"
#include "engine/schema/record_buffer.h"
#include "engine/sql/expression.h"
#include "engine/values/day_number.h"
#include "engine/values/field_types.h"
#include "engine/values/value_slot.h"
#include "fuzz/message_position.h"

namespace {

using namespace dvx;

class FuzzCursor : public TDVXExprCursor {
 public:
  FuzzCursor() {
    defs_.Add("Ebene", aftInteger);
    defs_.Add("Name", aftVarchar, 10);
    defs_.Add("Preis", aftDouble);
    defs_.Add("Datum", aftDate);
    defs_.Add("Notiz", aftMemo);
    row_.assign(static_cast<size_t>(defs_.RecordSize()), 0);
    for (int i = 0; i < defs_.Count(); ++i) SetNull(true, i, row_.data());
  }
  void Set(int field, const TDVXVariant& value) {
    const TDVXFieldDef& f = *defs_.Items(field);
    SetNull(!WriteFieldSlot(value, f.BaseFieldType(), row_.data() + f.MemoryOffset(), f.MemoryDataSize()), field,
            row_.data());
  }
  const TDVXFieldDefs& RowFieldDefs() const override { return defs_; }
  const uint8_t* RowBuffer() const override { return row_.data(); }

 private:
  TDVXFieldDefs defs_;
  std::vector<uint8_t> row_;
};

// A table operator over the same fields, for push-down and binding.
class FuzzOperator : public TDVXExprOperator {
 public:
  explicit FuzzOperator(FuzzCursor& cursor) : cursor_(cursor) {}
  std::vector<int> FindExprFields(std::string_view qualifier, std::string_view name) override {
    std::vector<int> found;
    if (!qualifier.empty() && qualifier != "t") return found;
    const TDVXFieldDefs& defs = cursor_.RowFieldDefs();
    for (int i = 0; i < defs.Count(); ++i)
      if (defs.Items(i)->ObjectName() == name) found.push_back(i);
    return found;
  }
  int ExprFieldType(int no) override { return cursor_.RowFieldDefs().Items(no)->AdvancedFieldType(); }
  int32_t ExprFieldSize(int no) override { return cursor_.RowFieldDefs().Items(no)->FieldSize(); }
  void GetExprFieldValue(int no, TDVXVariant& value) override { value.Clear(cursor_.RowFieldDefs().Items(no)->BaseFieldType()); }
  std::vector<TDVXExprOperator*> ConditionInputs() override { return {}; }
  TDVXExpression* Filter() override { return filter_.get(); }
  void SetFilter(std::unique_ptr<TDVXExpression> filter) override { filter_ = std::move(filter); }

 private:
  FuzzCursor& cursor_;
  std::unique_ptr<TDVXExpression> filter_;
};

// Subqueries give one row; DISTINCT keeps nothing (every value is new).
class FuzzServices : public TDVXExprServices {
 public:
  std::unique_ptr<TDVXSubQueryResult> RunSubQuery(const std::string&, const TDVXExprEnvironment&) override {
    struct One : TDVXSubQueryResult {
      bool IsEmpty() override { return false; }
      bool HasMoreThanOneRow() override { return false; }
      void GetFirstValue(TDVXVariant& value) override {
        value.Clear(bftSignedInt32);
        value.SetAsSignedInt32(1);
      }
      bool LocateInFirstColumn(const TDVXVariant& value) override { return !value.IsNull(); }
    };
    return std::make_unique<One>();
  }
  std::unique_ptr<TDVXDistinctValues> CreateDistinctValues(int, int32_t) override {
    struct All : TDVXDistinctValues {
      bool AddIfNew(const TDVXVariant&) override { return true; }
    };
    return std::make_unique<All>();
  }
};

const TDVXSQLParams& Params() {
  static const TDVXSQLParams* params = [] {
    auto* list = new TDVXSQLParams();
    TDVXSQLParam& zuid = list->Add();
    zuid.SetName("zuid");
    zuid.SetAsSignedInt32(0);
    TDVXSQLParam& name = list->Add();
    name.SetName("name");
    name.SetAsString("Arnica");
    TDVXSQLParam& flag = list->Add();
    flag.SetName("flag");
    flag.SetAsLogical(true);
    list->Add().SetName("leer");
    return list;
  }();
  return *params;
}


// Everything an expression offers, each step on its own: a failing step
// must leave the expression usable for the next one.
void Exercise(TDVXExpression& e, FuzzCursor& cursor, FuzzOperator& op) {
  auto step = [](auto&& f) {
    try {
      f();
    } catch (const EDVXException&) {
    }
  };
  step([&] { e.GetValue(true); });
  step([&] { e.IsTrue(); });
  step([&] { e.GetDataType(); });
  step([&] { e.GetDataSize(); });
  step([&] {
    e.ResetAggregates();
    e.AccumulateAggregates();
    e.AccumulateAggregates();
    e.GetValue(true);
  });
  step([&] {
    TDVXIndexDefs indexes;
    indexes.Add("ByEbene")->AddColumn("Ebene");
    indexes.Add("ByName")->AddColumn("Name", true, false);
    TDVXScanSearchConditionArray conditions;
    e.ExtractIndexConditions(indexes, conditions);
  });
  step([&] { e.IsNeverTrue(); });
  step([&] {
    e.BindToOperator(op);
    e.GetValue(true);
  });
  step([&] {
    e.PushDownConditions(op);
    if (op.Filter()) {
      op.Filter()->BindToOperator(op);
      op.Filter()->GetValue(true);
    }
  });
  (void)cursor;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int mode = data[0];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  static FuzzServices services;
  FuzzCursor cursor;
  cursor.Set(0, [] { TDVXVariant v(bftSignedInt32); v.SetAsSignedInt32(2); return v; }());
  cursor.Set(1, [] { TDVXVariant v(bftString); v.SetAsString("Arnica"); return v; }());
  cursor.Set(3, [] { TDVXVariant v(bftDate); v.SetAsDate(731645); return v; }());
  FuzzOperator op(cursor);
  try {
    TDVXExpression e;
    e.SetServices(&services);
    if (mode & 2) {
      e.ParseFilter(&cursor, text, mode & 8, mode & 4);
    } else {
      TDVXLexer lexer(text, &Params());
      if (!lexer.NextStatement()) return 0;
      e.SetCursor(&cursor);
      e.SetCaseInsensitive(mode & 4);
      e.SetPartialAllowed(mode & 8);
      if (mode & 1)
        e.ParseValue(lexer);
      else
        e.ParseCondition(lexer);
    }
    Exercise(e, cursor, op);
  } catch (const EDVXException& error) {
    fuzzsupport::CheckMessagePosition(error.Message(), text, false);
  }
  return 0;
}
