#include "engine/query/query_data_link.h"

#include "engine/components/dataset.h"
#include "engine/query/query.h"

namespace dvx {

void TDVXQueryDataLink::Refresh() {
  TDataSet* master = DataSet();
  if (!query_.Active() || !master || !master->Active() || master->State() == dsSetKey) return;
  query_.DisableControls();
  try {
    query_.Close();
    query_.Open();
  } catch (...) {
    query_.EnableControls();
    throw;
  }
  query_.EnableControls();
}

void TDVXQueryDataLink::CheckBrowseMode() {
  // The master leaves its record: a change pending in the query is posted
  // first, as the query's own leaving of the record would.
  if (query_.Active()) query_.CheckBrowseMode();
}

}  // namespace dvx
