#pragma once
// TDVXAOTable: access to one table through a cursor of its own. Conditions
// pushed down into it become the filter of a scan of the table, which
// narrows its walk by the indexes that serve the filter's comparisons (see
// engine/tables/table_scan.h); every record it yields has passed the whole
// filter, so the rows are the same with and without an index. Without a
// filter the table is walked in physical order.
//
// The operator can also hand its cursor over as a live result: the table
// read directly, with the filter as the cursor's condition.
#include <memory>
#include <string>
#include <vector>

#include "engine/query/ao.h"
#include "engine/storage/record_id.h"

namespace dvx {

class TDVXLocalCursor;
class TDVXLocalSession;

class TDVXAOTable : public TDVXAO {
 public:
  // Opens the table: 11505 for an in-memory table that does not exist,
  // 10303 for any other that does not.
  TDVXAOTable(TDVXLocalSession& session, const std::string& tableName, const std::string& alias, bool inMemory);
  ~TDVXAOTable() override;

  void Open() override;
  int64_t RecordCount() override;

  const std::string& TableName() const { return tableName_; }
  const std::string& Alias() const { return alias_; }
  TDVXLocalCursor& Cursor() { return *cursor_; }
  // Gives the cursor away for a live result, with the filter as its
  // condition; the operator is spent afterwards.
  std::unique_ptr<TDVXLocalCursor> TakeLiveCursor();

  // The name of an ascending index whose first column is the field, for
  // number and date fields; "" when there is none.
  std::string IndexOnField(int fieldNo) const;
  // From now on the operator walks that index over the records whose
  // first column equals `key` (a join's probe of one driving row), still
  // testing its filter. The walk starts at the next Rewind.
  void SetProbe(const std::string& indexName, int fieldNo, const TDVXVariant& key);

 protected:
  void DoRewind() override;
  bool DoNextRow() override;
  void DoGetValue(int fieldNo, TDVXVariant& value) override;
  std::unique_ptr<TDVXAOReadScope> ReadingScope() override;

 private:
  // A walk of one index between two bounds of its first column.
  struct TIndexWalk {
    bool active = false;
    std::string indexName;
    int fieldNo = -1;
    bool hasLow = false, lowInclusive = true;
    bool hasHigh = false, highInclusive = true;
    TDVXVariant low, high;
    bool started = false;
  };
  // Both bounds of a field served by an index in the filter: then the walk
  // over them beats a scan that can use only one.
  bool PlanRangeWalk();
  bool StepIndexWalk();
  bool PastHigh();

  std::unique_ptr<TDVXLocalCursor> cursor_;
  TIndexWalk walk_;
  std::string tableName_;
  std::string alias_;
  bool scanned_ = false;
  std::vector<TDVXRecordID> ids_;
  size_t next_ = 0;
};

}  // namespace dvx
