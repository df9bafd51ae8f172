#pragma once
// Which control shows which field: every data-aware control of the window
// is bound by its object name to a data source of the data module and,
// unless it is a navigator or a grid of all fields, to one field.
//
//   grid        the fields listed become its columns (none: every field)
//   navigator   the data source only
//   other       the one field (edit, label, rich text, picture)
//
// Binding happens once, after the sheets are built and before the data
// module activates, so the controls show their records as the tables open.
#include <string_view>
#include <vector>

class QWidget;

namespace fendra {

class TDataModule;

struct TControlBinding {
  std::string_view Control;     // object name
  std::string_view DataSource;  // dsTree, ...
  std::string_view Field;       // UTF-8; empty: navigator, or grid of all fields
};

// In the order the data sources are declared.
const std::vector<TControlBinding>& ControlBindings();

// Binds every control of ControlBindings() found under `window`. A control
// that is missing or of a kind that cannot show data throws
// std::logic_error: the window and the table have gone apart.
void BindDataControls(QWidget& window, const TDataModule& data);

}  // namespace fendra
