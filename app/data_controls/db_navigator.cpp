#include "app/data_controls/db_navigator.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QStyle>

#include "engine/components/data_link.h"
#include "engine/components/data_source.h"
#include "engine/components/dataset.h"

namespace fendra {

class TDBNavigator::TNavigatorLink : public dvx::TDataLink {
 public:
  explicit TNavigatorLink(TDBNavigator& navigator) : navigator_(navigator) {}

 protected:
  void ActiveChanged() override { navigator_.UpdateButtons(); }
  void EditingChanged() override { navigator_.UpdateButtons(); }
  void DataSetChanged() override { navigator_.UpdateButtons(); }
  void DataSetScrolled(int) override { navigator_.UpdateButtons(); }

 private:
  TDBNavigator& navigator_;
};

namespace {

struct TButtonLook {
  const char* suffix;
  QStyle::StandardPixmap glyph;
};

constexpr std::array<TButtonLook, TDBNavigator::kButtonCount> kLooks = {{
    {"First", QStyle::SP_MediaSkipBackward},
    {"Prior", QStyle::SP_MediaSeekBackward},
    {"Next", QStyle::SP_MediaSeekForward},
    {"Last", QStyle::SP_MediaSkipForward},
    {"Insert", QStyle::SP_FileDialogNewFolder},
    {"Delete", QStyle::SP_TrashIcon},
    {"Edit", QStyle::SP_FileDialogDetailedView},
    {"Post", QStyle::SP_DialogApplyButton},
    {"Cancel", QStyle::SP_DialogCancelButton},
    {"Refresh", QStyle::SP_BrowserReload},
}};

}  // namespace

QString TDBNavigator::DefaultHint(TNavigateBtn button) {
  switch (button) {
    case nbFirst: return QStringLiteral("Erster Datensatz");
    case nbPrior: return QStringLiteral("Vorheriger Datensatz");
    case nbNext: return QStringLiteral("Nächster Datensatz");
    case nbLast: return QStringLiteral("Letzter Datensatz");
    case nbInsert: return QStringLiteral("Datensatz einfügen");
    case nbDelete: return QStringLiteral("Datensatz löschen");
    case nbEdit: return QStringLiteral("Datensatz bearbeiten");
    case nbPost: return QStringLiteral("Änderungen speichern");
    case nbCancel: return QStringLiteral("Änderungen verwerfen");
    case nbRefresh: return QStringLiteral("Daten aktualisieren");
  }
  return {};
}

TDBNavigator::TDBNavigator(QWidget* parent, const char* name)
    : QFrame(parent), link_(std::make_unique<TNavigatorLink>(*this)) {
  setObjectName(name);
  setProperty("navigator", true);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  for (int i = 0; i < kButtonCount; ++i) {
    auto* button = new QToolButton(this);
    const auto which = static_cast<TNavigateBtn>(i);
    button->setObjectName(QString::fromLatin1(name) + QLatin1String(kLooks[i].suffix));
    button->setIcon(style()->standardIcon(kLooks[i].glyph));
    button->setAutoRaise(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->installEventFilter(this);
    button->setToolTip(DefaultHint(which));
    button->setVisible((visible_ & Bit(which)) != 0);
    connect(button, &QToolButton::clicked, this, [this, which] { BtnClick(which); });
    row->addWidget(button);
    buttons_[i] = button;
  }
  UpdateButtons();
}

// The link goes first: it may still tell the navigator while detaching.
TDBNavigator::~TDBNavigator() { link_.reset(); }

dvx::TDataSource* TDBNavigator::DataSource() const { return link_->DataSource(); }

void TDBNavigator::SetDataSource(dvx::TDataSource* source) {
  link_->SetDataSource(source);
  UpdateButtons();
}

void TDBNavigator::SetVisibleButtons(TButtonSet buttons) {
  visible_ = buttons & kAllButtons;
  for (int i = 0; i < kButtonCount; ++i) buttons_[i]->setVisible((visible_ & (1u << i)) != 0);
}

void TDBNavigator::SetHints(const QStringList& hints) {
  for (int i = 0; i < kButtonCount; ++i) {
    const bool given = i < hints.size() && !hints[i].isEmpty();
    buttons_[i]->setToolTip(given ? hints[i] : DefaultHint(static_cast<TNavigateBtn>(i)));
  }
}

bool TDBNavigator::eventFilter(QObject* watched, QEvent* event) {
  // Whoever sets a button's tool tip sets its hint: the status bar shows it too.
  if (event->type() == QEvent::ToolTipChange)
    if (auto* button = qobject_cast<QToolButton*>(watched)) button->setStatusTip(button->toolTip());
  return QFrame::eventFilter(watched, event);
}

void TDBNavigator::UpdateButtons() {
  std::array<bool, kButtonCount> enabled{};
  dvx::TDataSet* dataSet = link_ ? link_->DataSet() : nullptr;
  if (link_ && link_->Active() && dataSet != nullptr) {
    const bool bof = link_->Bof();
    const bool eof = link_->Eof();
    const bool editing = link_->Editing();
    const bool canModify = dataSet->CanModify() && !link_->ReadOnly();
    const bool empty = bof && eof && !editing;
    enabled[nbFirst] = enabled[nbPrior] = !bof;
    enabled[nbNext] = enabled[nbLast] = !eof;
    enabled[nbInsert] = canModify;
    enabled[nbDelete] = canModify && !empty;
    enabled[nbEdit] = canModify && !empty && !editing;
    enabled[nbPost] = enabled[nbCancel] = canModify && editing;
    enabled[nbRefresh] = !editing;
  }
  for (int i = 0; i < kButtonCount; ++i)
    if (buttons_[i] != nullptr) buttons_[i]->setEnabled(enabled[i]);
}

void TDBNavigator::BtnClick(TNavigateBtn button) {
  dvx::TDataSet* dataSet = link_->DataSet();
  if (!link_->Active() || dataSet == nullptr) return;
  switch (button) {
    case nbFirst: dataSet->First(); break;
    case nbPrior: dataSet->Prior(); break;
    case nbNext: dataSet->Next(); break;
    case nbLast: dataSet->Last(); break;
    case nbInsert: dataSet->Insert(); break;
    case nbDelete:
      if (confirmDelete_ &&
          QMessageBox::question(this, QStringLiteral("Bestätigung"), QStringLiteral("Datensatz löschen?"),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
      dataSet->Delete();
      break;
    case nbEdit: dataSet->Edit(); break;
    case nbPost: dataSet->Post(); break;
    case nbCancel: dataSet->Cancel(); break;
    case nbRefresh: dataSet->Refresh(); break;
  }
  emit Clicked(button);
}

}  // namespace fendra
