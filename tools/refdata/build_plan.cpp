#include "tools/refdata/build_plan.h"

#include <fstream>
#include <iterator>

#include "tools/refdata/build_tree_keys.h"
#include "tools/refdata/source_validator.h"
#include "tools/refdata/text_encoding.h"
#include "tools/refdata/tree_shape.h"

namespace refdata {

namespace {

namespace fs = std::filesystem;
using TKind = TBuildValue::TKind;

TBuildValue TextValue(std::string text, int line) {
  TBuildValue value;
  value.line = line;
  if (!text.empty()) {
    value.kind = TKind::Text;
    value.data = std::move(text);
  }
  return value;
}

TBuildValue BytesValue(std::string bytes) {
  TBuildValue value;
  if (!bytes.empty()) {
    value.kind = TKind::Bytes;
    value.data = std::move(bytes);
  }
  return value;
}

class TPlanner {
 public:
  TPlanner(const TSourceTree& tree, std::string_view rootName, const TMemoRenderer& renderMemo,
           std::vector<TProblem>& problems)
      : tree_(tree), rootName_(rootName), renderMemo_(renderMemo), problems_(problems) {}

  TBuildTable Table(const TTableSource& source) {
    TBuildTable table;
    table.schema = source.schema;
    if (source.schema->form == TSourceForm::TabFile) {
      const std::string file = source.files.empty() ? std::string(source.schema->sourcePath) : source.files.front();
      for (const TTabRow& row : source.rows) table.records.push_back(FromRow(*source.schema, file, row));
    } else {
      const bool tree = source.schema->tableName == kTreeTable;
      TTreeShape shape;
      TTreeKeys keys;
      if (tree) {
        shape = AnalyseTree(source.entries, rootName_);
        keys = AssignTreeKeys(source.entries, shape);
        problems_.insert(problems_.end(), keys.problems.begin(), keys.problems.end());
      }
      for (size_t i = 0; i < source.entries.size(); ++i) {
        TBuildRecord record = FromEntry(*source.schema, source.entries[i]);
        if (tree) SetTreeValues(*source.schema, shape, keys, i, record);
        table.records.push_back(std::move(record));
      }
    }
    for (const TBuildRecord& record : table.records) CheckRecord(*source.schema, record);
    return table;
  }

 private:
  TBuildRecord FromEntry(const TTableSchema& schema, const TSourceEntry& entry) {
    TBuildRecord record{entry.file, entry.line, {}};
    for (const TFieldSchema& field : schema.fields) {
      switch (field.source) {
        case TFieldSource::Header: {
          const THeaderField* header = entry.Field(field.name);
          record.values.push_back(header ? TextValue(header->value, header->line) : TBuildValue{});
          break;
        }
        case TFieldSource::Memo: {
          const TMemoText* memo = entry.Memo(field.name);
          record.values.push_back(memo && !memo->text.empty() ? BytesValue(renderMemo_(memo->text)) : TBuildValue{});
          break;
        }
        case TFieldSource::Picture: record.values.push_back(Picture(entry)); break;
        case TFieldSource::Automatic: {
          TBuildValue automatic;
          automatic.kind = TKind::Automatic;
          record.values.push_back(automatic);
          break;
        }
        case TFieldSource::Parent:  // set with the tree's values
        case TFieldSource::Column:
        case TFieldSource::Unused: record.values.push_back({}); break;
      }
    }
    return record;
  }

  TBuildRecord FromRow(const TTableSchema& schema, const std::string& file, const TTabRow& row) {
    TBuildRecord record{file, row.line, {}};
    for (size_t i = 0; i < schema.fields.size(); ++i)
      record.values.push_back(i < row.cells.size() ? TextValue(row.cells[i], row.line) : TBuildValue{});
    return record;
  }

  // Ls from the entry's place; Ebene the parent's Baum_ID, 0 for the root.
  void SetTreeValues(const TTableSchema& schema, const TTreeShape& shape, const TTreeKeys& keys, size_t entry,
                     TBuildRecord& record) {
    for (size_t f = 0; f < schema.fields.size(); ++f) {
      const TFieldSchema& field = schema.fields[f];
      if (field.name == kTreeSortField) {
        // At the source's Ls line when it has one.
        record.values[f] = TextValue(keys.keys[entry], record.values[f].line ? record.values[f].line : record.line);
      } else if (field.source == TFieldSource::Parent) {
        if (static_cast<int>(entry) == shape.root) {
          record.values[f].kind = TKind::Integer;
          record.values[f].integer = 0;
        } else {
          record.values[f].kind = TKind::ParentId;
          record.values[f].parent = shape.parent[entry];
        }
      }
    }
  }

  TBuildValue Picture(const TSourceEntry& entry) {
    const THeaderField* bild = entry.Field(kPicturePseudoField);
    if (!bild || bild->value.empty()) return {};
    const fs::path path = tree_.root / tree_.Table(kRemedyTable).schema->sourcePath / fs::path(bild->value);
    std::ifstream in(path, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    if (!in.good() && !in.eof()) {
      problems_.push_back({entry.file, bild->line, "picture '" + bild->value + "': the file cannot be read"});
      return {};
    }
    return BytesValue(std::move(bytes));
  }

  // What the engine would refuse or cut: texts too long for their fields
  // and missing primary key values.
  void CheckRecord(const TTableSchema& schema, const TBuildRecord& record) {
    for (size_t f = 0; f < schema.fields.size(); ++f) {
      const TFieldSchema& field = schema.fields[f];
      const TBuildValue& value = record.values[f];
      if (field.type != TFieldType::FixedChar || value.kind != TKind::Text) continue;
      const TWindows1252Result encoded = EncodeWindows1252(value.data);
      if (!encoded.ok)
        Problem(record, value, "'" + std::string(field.name) + "' holds " + DescribeCharacter(encoded.offending) +
                            ", which Windows-1252 cannot store");
      else if (encoded.bytes.size() > static_cast<size_t>(field.size))
        Problem(record, value, "'" + std::string(field.name) + "' '" + value.data + "' has " +
                            std::to_string(encoded.bytes.size()) + " characters; the field holds " +
                            std::to_string(field.size));
    }
    for (const TIndexSchema& index : schema.indexes) {
      if (!index.primary) continue;
      for (size_t f = 0; f < schema.fields.size(); ++f) {
        const TFieldSchema& field = schema.fields[f];
        if (!KeyHasField(index.fields, field.name)) continue;
        const TKind kind = record.values[f].kind;
        if (kind == TKind::Null)
          Problem(record, record.values[f], "'" + std::string(field.name) + "' is part of the primary key '" + std::string(index.name) +
                              "' and must not be empty");
      }
    }
  }

  static bool KeyHasField(std::string_view fields, std::string_view name) {
    while (!fields.empty()) {
      const size_t end = fields.find(';');
      if (fields.substr(0, end) == name) return true;
      if (end == std::string_view::npos) break;
      fields.remove_prefix(end + 1);
    }
    return false;
  }

  void Problem(const TBuildRecord& record, const TBuildValue& value, std::string message) {
    problems_.push_back({record.file, value.line ? value.line : record.line, std::move(message)});
  }

  const TSourceTree& tree_;
  std::string_view rootName_;
  const TMemoRenderer& renderMemo_;
  std::vector<TProblem>& problems_;
};

}  // namespace

TBuildPlan PlanBuild(const TSourceTree& tree, const TContentRules& rules, const TMemoRenderer& renderMemo) {
  TBuildPlan plan;
  plan.problems = ValidateSourceTree(tree, rules);
  if (!plan.problems.empty()) return plan;
  TPlanner planner(tree, rules.treeRootName, renderMemo, plan.problems);
  for (const TTableSource& source : tree.tables) plan.tables.push_back(planner.Table(source));
  if (!plan.problems.empty()) {
    plan.tables.clear();
    SortProblems(plan.problems);
  }
  return plan;
}

}  // namespace refdata
