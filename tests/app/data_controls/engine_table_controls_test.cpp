// The data-aware controls on a real table of a database file: the grid
// model over 10,000 records checked by Qt's model tester while it follows
// navigation and posts edits, a picture stored in a graphic field, and a
// formatted memo shown and written back, read again after the file was
// closed and reopened.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <filesystem>
#include <memory>
#include <string>

#include "app/data_controls/dataset_table_model.h"
#include "app/data_controls/db_image.h"
#include "app/data_controls/db_rich_edit.h"
#include "app/richtext/rtf_reader.h"
#include "engine/components/data_source.h"
#include "engine/components/database.h"
#include "engine/components/table.h"
#include "engine/core/platform/temp_files.h"
#include "engine/tables/local_session.h"

namespace fendra::testing {
namespace {

constexpr int kRecords = 10000;

// A database file with the table "Mittel" (Nr AUTOINC primary, Name
// FIXEDCHAR(30) with a case-insensitive index, Bild GRAPHIC, Text
// FMTMEMO), a database component on it and a table component in the
// order of the names.
class EngineTableControlsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string pattern = dvx::TempDirectory() + "fendra_controls_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern + "/";
    {
      dvx::TDVXDatabaseParams params;
      params.fileName = dir_ + "mittel.dvx";
      dvx::TDVXLocalSession session(params);
      session.CreateDatabase();
    }
    // The records are written once for the suite; the tests that change
    // them put back what they changed.
    dvx::TDVXDatabase database;
    database.SetDatabaseName("dbControlsFill");
    database.SetDatabaseFileName(dir_ + "mittel.dvx");
    dvx::TDVXTable table;
    table.SetDatabaseName("dbControlsFill");
    table.SetTableName("Mittel");
    table.FieldDefs().Add("Nr", dvx::ftAutoInc);
    table.FieldDefs().Add("Name", dvx::ftFixedChar, 30);
    table.FieldDefs().Add("Bild", dvx::ftGraphic);
    table.FieldDefs().Add("Text", dvx::ftFmtMemo);
    table.IndexDefs().Add("PK_Mittel", "Nr", {.primary = true, .unique = true});
    table.IndexDefs().Add("Idx_Name", "Name", {.unique = true, .caseInsensitive = true}).SetCaseInsFields("Name");
    table.CreateTable();
    table.SetIndexName("PK_Mittel");
    table.Open();
    database.StartTransaction();
    for (int i = 1; i <= kRecords; ++i) {
      table.Append();
      table.FieldByName("Name").SetAsString(Name(i));
      table.Post();
    }
    database.Commit();
    table.Close();
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }

  void SetUp() override { OpenTable(); }
  void TearDown() override {
    QApplication::processEvents();
    source_.reset();
    table_.reset();
    database_.reset();
  }

  void OpenTable() {
    database_ = std::make_unique<dvx::TDVXDatabase>();
    database_->SetDatabaseName("dbControls");
    database_->SetDatabaseFileName(dir_ + "mittel.dvx");
    table_ = std::make_unique<dvx::TDVXTable>();
    table_->SetDatabaseName("dbControls");
    table_->SetTableName("Mittel");
    table_->SetIndexName("Idx_Name");
    table_->Open();
    source_ = std::make_unique<dvx::TDataSource>();
    source_->SetDataSet(table_.get());
  }
  // Closes everything and opens the file again, so what follows is read
  // from the file, not from what the components kept.
  void Reopen() {
    source_.reset();
    table_.reset();
    database_.reset();
    OpenTable();
  }

  // Names that sort in their number's order: "Mittel 00001" ...
  static std::string Name(int i) {
    char text[32];
    std::snprintf(text, sizeof text, "Mittel %05d", i);
    return text;
  }
  QByteArray Blob(const char* field) {
    dvx::TField& f = table_->FieldByName(field);
    if (f.IsNull()) return {};
    auto stream = table_->CreateBlobStream(f, dvx::bmRead);
    QByteArray bytes(static_cast<qsizetype>(stream->Size()), '\0');
    stream->ReadBuffer(bytes.data(), static_cast<size_t>(bytes.size()), 1);
    return bytes;
  }
  void StoreBlob(const char* field, const QByteArray& bytes) {
    table_->Edit();
    {
      auto stream = table_->CreateBlobStream(table_->FieldByName(field), dvx::bmWrite);
      stream->WriteBuffer(bytes.data(), static_cast<size_t>(bytes.size()), 1);
    }
    table_->Post();
  }
  static void Settle() { QApplication::processEvents(); }

  static inline std::string dir_;
  std::unique_ptr<dvx::TDVXDatabase> database_;
  std::unique_ptr<dvx::TDVXTable> table_;
  std::unique_ptr<dvx::TDataSource> source_;
};

TEST_F(EngineTableControlsTest, TheGridModelFollowsTheTableBothWaysAndPassesTheModelTester) {
  TDataSetTableModel model;
  model.SetColumns({"Nr", "Name"});
  model.SetDataSource(source_.get());
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

  // Scrolled to the end in batches, every row in the index's order.
  while (model.canFetchMore({})) model.fetchMore({});
  ASSERT_EQ(model.rowCount(), kRecords);
  for (int row : {0, 1, 4999, kRecords - 1})
    EXPECT_EQ(model.index(row, 1).data().toString().toStdString(), Name(row + 1)) << row;

  // The table moves: the model's current row follows.
  table_->SeekNearest("mittel 07000");
  Settle();
  EXPECT_EQ(model.CurrentRow(), 6999);
  table_->Last();
  Settle();
  EXPECT_EQ(model.CurrentRow(), kRecords - 1);

  // A row is chosen: the table follows.
  model.MoveToRow(1234);
  EXPECT_EQ(table_->FieldByName("Name").AsString(), Name(1235));
}

TEST_F(EngineTableControlsTest, AnEditInTheGridIsPostedWhenTheRowIsLeftAndReachesTheFile) {
  {
    TDataSetTableModel model;
    model.SetColumns({"Nr", "Name"});
    model.SetDataSource(source_.get());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.fetchMore({});
    model.MoveToRow(2);
    ASSERT_TRUE(model.setData(model.index(2, 1), "Mittel 00003 neu"));
    EXPECT_EQ(table_->State(), dvx::dsEdit);
    model.MoveToRow(5);
    EXPECT_EQ(table_->State(), dvx::dsBrowse);
    EXPECT_EQ(model.index(2, 1).data().toString(), "Mittel 00003 neu");
  }
  Reopen();
  ASSERT_TRUE(table_->Locate("Nr", {[] {
                dvx::TDVXVariant v;
                v.SetAsSignedInt32(3);
                return v;
              }()}));
  EXPECT_EQ(table_->FieldByName("Name").AsString(), "Mittel 00003 neu");
  table_->Edit();
  table_->FieldByName("Name").SetAsString(Name(3));
  table_->Post();
}

TEST_F(EngineTableControlsTest, APictureInAGraphicFieldIsShown) {
  QImage picture(40, 25, QImage::Format_RGB32);
  picture.fill(qRgb(10, 120, 60));
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(picture.save(&buffer, "PNG"));
  table_->SeekNearest("Mittel 00010");
  StoreBlob("Bild", png);
  Reopen();
  table_->SeekNearest("Mittel 00010");

  TDBImage image(nullptr, "DBImgMMBild");
  image.SetDataSource(source_.get());
  image.SetDataField("Bild");
  EXPECT_EQ(image.Picture().size(), QSize(40, 25));
  EXPECT_EQ(image.Picture().pixel(3, 3), qRgb(10, 120, 60));
  // Another record has no picture: nothing is shown.
  table_->Next();
  EXPECT_TRUE(image.Picture().isNull());
}

TEST_F(EngineTableControlsTest, AFormattedMemoShowsItsRtfAndWritesBackWhatIsTyped) {
  table_->SeekNearest("Mittel 00020");
  StoreBlob("Text", "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 {\\b Wirkung} bei Fieber\\par}");
  {
    TDBRichEdit view(nullptr, "DbReMMHerk");
    view.SetDataSource(source_.get());
    view.SetDataField("Text");
    view.show();
    view.setFocus();
    Settle();
    EXPECT_EQ(view.toPlainText(), "Wirkung bei Fieber");
    view.moveCursor(QTextCursor::End);
    QTest::keyClicks(&view, " und Unruhe");
    EXPECT_EQ(table_->State(), dvx::dsEdit);
    table_->Post();
  }
  Reopen();
  table_->SeekNearest("Mittel 00020");
  const QByteArray stored = Blob("Text");
  ASSERT_TRUE(RtfReader::IsRtf(stored));
  QTextDocument document;
  RtfReader().Read(stored, &document);
  EXPECT_EQ(document.toPlainText(), "Wirkung bei Fieber und Unruhe");
  QTextCursor bold(&document);
  bold.setPosition(2);
  EXPECT_GE(bold.charFormat().fontWeight(), QFont::Bold);
}

}  // namespace
}  // namespace fendra::testing
