#pragma once
// TDVXTableMasterLink: the data link through which a detail table follows
// its master source. Every change of the master's current record (a
// scroll, a re-read of its window, its opening) makes the detail apply its
// master range again; a change of one field while the master is edited is
// no new master record and is left alone.
#include "engine/components/data_link.h"

namespace dvx {

class TDVXTable;

class TDVXTableMasterLink : public TDataLink {
 public:
  explicit TDVXTableMasterLink(TDVXTable& detail) : detail_(detail) {}
  ~TDVXTableMasterLink() override { SetDataSource(nullptr); }

  // A source and master fields are both set.
  bool Linked() const;

 protected:
  void ActiveChanged() override;
  void RecordChanged(TField* field) override;

 private:
  TDVXTable& detail_;
};

}  // namespace dvx
