#include "app/control_bindings.h"

#include <QWidget>
#include <stdexcept>
#include <string>

#include "app/data_controls/db_edit.h"
#include "app/data_controls/db_grid.h"
#include "app/data_controls/db_image.h"
#include "app/data_controls/db_navigator.h"
#include "app/data_controls/db_rich_edit.h"
#include "app/data_controls/db_text.h"
#include "app/data_module.h"
#include "app/engine_names.h"

namespace fendra {

const std::vector<TControlBinding>& ControlBindings() {
  static const std::vector<TControlBinding> bindings{
      {"DbReBaum", "dsTree", "Detail"},
      {"DbReBaumNeu", "dsTree", "Detail"},
      {"DbEdBaumNeuEb1Eing", "dsTree", "BezTree"},
      {"DbEdBaumNeuEb2Eing", "dsTree", "BezTree"},
      {"DbEdBaumNeuEb3Eing", "dsTree", "BezTree"},
      {"dbedID1", "dsTree", "Baum_ID"},
      {"dbedMaxID", "dsTree", "Baum_ID"},
      {"DBEdit4", "dsTree", "Baum_ID"},
      {"dbedID2", "dsTree", "Baum_ID"},
      {"dbedID3", "dsTree", "Baum_ID"},
      {"dbEdit3", "dsTree", "Baum_ID"},
      {"dbedEb1", "dsTree", "Ebene"},
      {"dbedE2Z", "dsTree", "Ebene"},
      {"dbedE3Z", "dsTree", "Ebene"},
      {"DbEdTreeDummy", "dsTree", "Dummy"},

      {"GrIndAZ", "dsIndList", ""},
      {"NaIndAZ", "dsIndList", ""},
      {"DbReIndAZ", "dsIndList", "Detail"},
      {"DbEdIndAZNew", "dsIndList", "Indikationen"},
      {"DbEdIndDummy", "dsIndList", "DummyIndik"},

      {"GrKindSuN", "dsKinderS", "Indikation"},
      {"NaKindSuN", "dsKinderS", ""},
      {"DbReKindSuN", "dsKinderS", "Inhalt"},

      {"DbTxtKindKMHeadl", "dsKindKM", "Bez"},
      {"reKindKM", "dsKindKM", "Inhalt"},
      {"NaKindKM", "dsKindKM", ""},
      {"GrKindKM", "dsKindKM", "Bez"},

      {"GrNotfInd", "dsNotfall", "Indikation"},
      {"NaNotfInd", "dsNotfall", ""},
      {"DbEdNotfallNew", "dsNotfall", "Indikation"},
      {"DbReNotfInd", "dsNotfall", "Detail"},
      {"DbEdNotfDummy", "dsNotfall", "DummyNotfall"},

      {"DbGrMM", "dsAML", "Hom Bezeichnung"},
      {"DbNaMM", "dsAML", ""},
      {"DBTxMMHeadl", "dsAML", "Hom Bezeichnung"},
      {"DBTeMMHeadLInd", "dsAML", "Hom Bezeichnung"},
      {"DBEdMMBez", "dsAML", "Hom Bezeichnung"},
      {"DbEdMMNew", "dsAML", "Hom Bezeichnung"},
      {"DBEdMMBezDt", "dsAML", "Dt Bezeichnung"},
      {"DBEdMMTeile", "dsAML", "VerwTeile"},
      {"DBEdMMAkk", "dsAML", "Abkürzung"},
      {"DbEdBezGrf", "dsAML", "GrafBez"},
      {"DBImgMMBild", "dsAML", "Grfik2"},
      {"DbReMMHerk", "dsAML", "Vorkommen"},
      {"DbReMMIndik", "dsAML", "Indikationen"},
      {"DbReMMGesBild", "dsAML", "AMB"},
      {"DbEdMMDummy", "dsAML", "Dummy"},

      {"DbReGrundl", "dsGrdlg", "Inhalt"},
  };
  return bindings;
}

namespace {

// Sets source and field on a control of one of the field-showing kinds;
// false when the control is none of them.
template <typename Control, typename... Others>
bool BindField(QWidget* widget, dvx::TDataSource& source, const std::string& field) {
  if (auto* control = qobject_cast<Control*>(widget)) {
    control->SetDataSource(&source);
    control->SetDataField(field);
    return true;
  }
  if constexpr (sizeof...(Others) > 0) return BindField<Others...>(widget, source, field);
  return false;
}

}  // namespace

void BindDataControls(QWidget& window, const TDataModule& data) {
  for (const TControlBinding& binding : ControlBindings()) {
    const QString name = QString::fromUtf8(binding.Control.data(), static_cast<qsizetype>(binding.Control.size()));
    QWidget* widget = window.findChild<QWidget*>(name);
    if (widget == nullptr) throw std::logic_error("the window has no control " + name.toStdString());
    dvx::TDataSource& source = data.DataSource(binding.DataSource);
    const std::string field = EngineName(binding.Field);
    if (auto* grid = qobject_cast<TDBGrid*>(widget)) {
      if (!field.empty()) grid->SetColumns({field});
      grid->SetDataSource(&source);
    } else if (auto* navigator = qobject_cast<TDBNavigator*>(widget)) {
      navigator->SetDataSource(&source);
    } else if (field.empty() || !BindField<TDBRichEdit, TDBEdit, TDBText, TDBImage>(widget, source, field)) {
      throw std::logic_error("the control " + name.toStdString() + " cannot show " + std::string(binding.Field));
    }
  }
}

}  // namespace fendra
