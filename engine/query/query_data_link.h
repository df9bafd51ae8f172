#pragma once
// TDVXQueryDataLink: the link through which a query follows its master
// data source (TDVXQuery::SetDataSource). When the master opens or moves to
// another record (a change of one field while it is edited is none), an
// open query is closed and opened again, its unbound parameters taking the
// values of the master's fields of the same names; the controls are
// disabled meanwhile. Nothing happens while the master fills a key.
#include "engine/components/data_link.h"

namespace dvx {

class TDVXQuery;

class TDVXQueryDataLink : public TDataLink {
 public:
  explicit TDVXQueryDataLink(TDVXQuery& query) : query_(query) {}
  ~TDVXQueryDataLink() override { SetDataSource(nullptr); }

 protected:
  void ActiveChanged() override { Refresh(); }
  void RecordChanged(TField* field) override {
    if (field == nullptr) Refresh();
  }
  void CheckBrowseMode() override;

 private:
  void Refresh();
  TDVXQuery& query_;
};

}  // namespace dvx
