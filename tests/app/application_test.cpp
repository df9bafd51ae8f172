// Start-up, the imprint dialog, the children's tab switches and the
// application's default error handling.
#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QLayout>
#include <QTextEdit>
#include <QTimer>

#include "app/imprint_content.h"
#include "app/impressum_dialog.h"
#include "engine/core/exception.h"
#include "main_window_fixture.h"

namespace fendra::testing {
namespace {

class ImprintTest : public MainWindowTest {};

TEST_F(ImprintTest, ExistsHiddenFromStartAndShowsModallyUntilClosed) {
  auto* dialog = window_->findChild<TfrmImpressum*>("frmImpressum");
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle(), "frmImpressum");
  auto* close = dialog->findChild<QPushButton*>("BtImpressum");
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->text(), "  Schließen  ");
  bool wasModal = false;
  QTimer::singleShot(0, dialog, [&] {
    wasModal = dialog->isVisible() && dialog->isModal() &&
               QApplication::activeModalWidget() == dialog;
    close->click();
  });
  Action("MuImpress")->trigger();  // returns when the dialog is closed
  EXPECT_TRUE(wasModal);
  EXPECT_FALSE(dialog->isVisible());
}

// The dialog shows what the built-in imprint text holds, whatever its
// wording: title, edition, publisher, the two blocks and the rights.
TEST_F(ImprintTest, ShowsTheImprintTextBuiltIntoTheProgram) {
  QFile source(QString::fromLatin1(FENDRA_SOURCE_DIR) + "/data/impressum.md");
  ASSERT_TRUE(source.open(QIODevice::ReadOnly));
  ASSERT_EQ(ImprintSource(), QString::fromUtf8(source.readAll())) << "the program carries the current text";
  const TImprintContent content = ParseImprint(ImprintSource(), QDate::currentDate().year());
  auto* dialog = window_->findChild<TfrmImpressum*>("frmImpressum");
  ASSERT_NE(dialog, nullptr);
  const auto label = [&](const char* name) { return dialog->findChild<QLabel*>(name); };
  EXPECT_EQ(label("LaImpressTitel")->text(), content.Title);
  EXPECT_FALSE(content.Title.isEmpty());
  EXPECT_EQ(label("LaImpressAusgabe")->text(), content.Edition);
  EXPECT_EQ(label("LaImpressVerlag")->text(), content.Publisher);
  EXPECT_TRUE(content.Publisher.startsWith("Herausgeber")) << content.Publisher.toStdString();
  EXPECT_TRUE(label("LaImpressVerlag")->font().bold());
  EXPECT_EQ(label("LaImpressVerlag")->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0x80));
  EXPECT_EQ(label("LaImpressRechte")->text(), content.Rights);
  EXPECT_TRUE(content.Rights.contains(QRegularExpression("\\d{4}"))) << content.Rights.toStdString();
  ASSERT_EQ(content.Blocks.size(), 2);
  for (const char* name : {"ReImpressText1", "ReImpressText2"}) {
    auto* block = dialog->findChild<QTextEdit*>(name);
    ASSERT_NE(block, nullptr) << name;
    EXPECT_TRUE(block->isReadOnly());
    EXPECT_EQ(block->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(block->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(block->toPlainText().isEmpty());
  }
  EXPECT_TRUE(dialog->findChild<QTextEdit*>("ReImpressText1")->toPlainText().startsWith(
      content.Blocks[0].section('\n', 0, 0).remove("**")));
}

TEST(ImprintContentTest, TitleEditionPublisherBlocksAndRightsFromTheirLines) {
  const TImprintContent c = ParseImprint(QStringLiteral(
      "# Fendra Ausgabe 3\n\nEin Nachschlagewerk\n\n**Herausgeber:** Muster & Söhne\n\n"
      "## Anschrift\n\nWeg 1\n12345 Ort\n\n## Kontakt\n\npost@example.org\n\n"
      "## Hinweis\n\nKein **Ersatz** für den Arzt.\n\n## Rechte\n\n© 2025 Muster. Alle Rechte vorbehalten.\n"), 2031);
  EXPECT_EQ(c.Title, "Fendra Ausgabe 3");
  EXPECT_EQ(c.Edition, "Ein Nachschlagewerk");
  EXPECT_EQ(c.Publisher, "Herausgeber: Muster & Söhne");
  EXPECT_EQ(c.Rights, "© 2025 Muster. Alle Rechte vorbehalten.");
  ASSERT_EQ(c.Blocks.size(), 2);
  EXPECT_EQ(c.Blocks[0], "**Anschrift**\n\nWeg 1\n12345 Ort");
  EXPECT_TRUE(c.Blocks[1].startsWith("**Kontakt**\n\npost@example.org"));
  EXPECT_TRUE(c.Blocks[1].contains("**Hinweis**\n\nKein **Ersatz** für den Arzt."));
}

TEST(ImprintContentTest, MissingPartsFallBackAndARightsNoticeGetsTheYear) {
  const TImprintContent empty = ParseImprint(QString(), 2031);
  EXPECT_EQ(empty.Title, "Fendra");
  EXPECT_TRUE(empty.Blocks.isEmpty());
  EXPECT_EQ(empty.Rights, "© 2031");
  const TImprintContent noYear = ParseImprint(QStringLiteral("# T\n\n## Rechte\n\nAlle Rechte vorbehalten.\n"), 2031);
  EXPECT_EQ(noYear.Rights, "© 2031 Alle Rechte vorbehalten.");
  EXPECT_TRUE(noYear.Edition.isEmpty());
}

TEST_F(ImprintTest, Is434By291WithEveryPartInsideAndNoTextCut) {
  auto* dialog = window_->findChild<TfrmImpressum*>("frmImpressum");
  ASSERT_NE(dialog, nullptr);
  bool checked = false;
  QTimer::singleShot(0, dialog, [&] {
    EXPECT_EQ(dialog->size(), QSize(434, 291));
    const QSize needs = dialog->layout()->totalMinimumSize();
    EXPECT_LE(needs.width(), 434);
    EXPECT_LE(needs.height(), 291);
    for (QWidget* part : dialog->findChildren<QWidget*>()) {
      if (!part->isVisible()) continue;
      const QRect rect(part->mapTo(dialog, QPoint(0, 0)), part->size());
      EXPECT_TRUE(dialog->rect().contains(rect)) << qPrintable(part->objectName());
      if (auto* label = qobject_cast<QLabel*>(part)) {
        const int needed = label->wordWrap() ? label->heightForWidth(label->width())
                                             : label->sizeHint().height();
        EXPECT_GE(label->height(), needed) << qPrintable(label->objectName());
        if (!label->wordWrap()) {
          EXPECT_GE(label->width(), label->sizeHint().width()) << qPrintable(label->objectName());
        }
      }
    }
    checked = true;
    dialog->findChild<QPushButton*>("BtImpressum")->click();
  });
  Action("MuImpress")->trigger();
  EXPECT_TRUE(checked);
  EXPECT_EQ(dialog->font().family(), "Tahoma");
  EXPECT_EQ(dialog->font().pixelSize(), 11);
}

class ChildrenTabTest : public MainWindowTest {};

TEST_F(ChildrenTabTest, ButtonsSwitchBetweenFinderAndIndications) {
  PickTab("TsKinder");
  EXPECT_EQ(Find<QPushButton>("PaPtKindNaviKonst")->text(), " Konstitutionsmittel");
  EXPECT_EQ(Find<QPushButton>("PaPtKindNaviIndik")->text(), "   Indikationen       ");
  Click("PaPtKindNaviIndik");
  EXPECT_TRUE(Shown("PaKindLagIndik"));
  EXPECT_FALSE(Shown("PaKindKM"));
  EXPECT_EQ(Panel(1), "Bewährte Indikationen");
  Click("PaPtKindNaviKonst");
  EXPECT_TRUE(Shown("PaKindKM"));
  EXPECT_FALSE(Shown("PaKindLagIndik"));
  EXPECT_EQ(Panel(1), "Konstitutionsmittel");
}

class BasicsTabTest : public MainWindowTest {};

TEST_F(BasicsTabTest, TwelveTopicButtonsWithExactCaptionsAreReady) {
  const std::pair<const char*, const char*> topics[] = {
      {"PaBtGrunfNaviMeth", "  Definition           "}, {"PaBtGrunfNaviMen", "  Menschenbild    "},
      {"PaBtGrunfNaviKon", "  Konstitution       "},   {"PaBtGrunfNaviAMB", " Arzneimittelbild "},
      {"PaBtGrunfNaviMod", " Modalität           "},   {"PaBtGrunfNaviChro", " Chronizität        "},
      {"PaBtGrunfNaviArzf", " Arzneiformen   "},        {"PaBtGrunfNaviAnam", "Anamnese          "},
      {"PaBtGrunfNaviRep", "Repertorisation  "},        {"PaBtGrunfNaviDos", "Dosierung          "},
      {"PaBtGrunfNaviGab", "Gabenhäufigkeit"},          {"PaBtGrunfNaviHinw", "Reaktionen        "}};
  for (const auto& [name, caption] : topics) {
    auto* button = Find<QPushButton>(name);
    EXPECT_EQ(button->text(), QString::fromUtf8(caption)) << name;
    EXPECT_TRUE(button->isEnabled()) << name;
  }
}

// An object whose event handling fails the way a data component does.
class FailingReceiver : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw dvx::EDVXException(10001, "Dataset is not opened");
    return QObject::event(e);
  }
};

class ErrorHandlingTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    app().SetErrorPresenterForTesting([this](const QString& text) { shown_ << text; });
  }
  void TearDown() override { app().SetErrorPresenterForTesting(nullptr); }
  static TFendraApplication& app() {
    return static_cast<TFendraApplication&>(*QApplication::instance());
  }
  QStringList shown_;
};

TEST_F(ErrorHandlingTest, HandlerErrorIsShownWithItsTextAndTheWindowStaysUsable) {
  FailingReceiver receiver;
  QEvent failing(QEvent::User);
  EXPECT_FALSE(QApplication::sendEvent(&receiver, &failing));
  ASSERT_EQ(shown_.size(), 1);
  EXPECT_EQ(shown_[0], "Dataset is not opened - Native error: 10001");
  QApplication::postEvent(&receiver, new QEvent(QEvent::User));
  QApplication::processEvents();
  EXPECT_EQ(shown_.size(), 2);
  Click("SbSuchAbidZ");
  EXPECT_EQ(PageName(), "TsIndikAZ");
}

TEST_F(ErrorHandlingTest, StartUpReturnsTheWindowWithItsImprintDialog) {
  // One window at a time holds the databases' names in the session.
  window_.reset();
  std::unique_ptr<TfrmMain> second = StartFendra(app(), std::make_unique<TDataModule>(BuiltDatabases()));
  ASSERT_TRUE(second);
  EXPECT_NE(second->findChild<TfrmImpressum*>("frmImpressum"), nullptr);
  EXPECT_TRUE(shown_.isEmpty());
  EXPECT_EQ(second->Data().Components().Activated().size(),
            TDataModule::kDatabaseCount + TDataModule::kTableCount + TDataModule::kQueryCount);
}

}  // namespace
}  // namespace fendra::testing
