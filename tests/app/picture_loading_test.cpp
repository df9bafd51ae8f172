// Loading a remedy's picture with "Bilden laden": the chosen file's bytes
// are stored in `Grfik2` as they are and shown after a restart; a picture
// over 200 × 200 pixels is stored only when the user confirms; a file that
// is no readable picture is refused with a message naming it; cancelling
// the dialog changes nothing.
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>

#include "app/data_controls/db_image.h"
#include "tests/app/entry_editing_fixture.h"

namespace fendra::testing {
namespace {

QByteArray Encode(QSize size, const char* format) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.fillRect(QRect(QPoint(0, 0), size / 2), QColor(200, 30, 40));
  painter.end();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format));
  return bytes;
}

class PictureLoadingTest : public EntryEditingTest {
 protected:
  void SetUp() override {
    EntryEditingTest::SetUp();
    PickTab("TsAML");
    ASSERT_TRUE(Shown("SbMMBildLaden"));
    // The second remedy, away from where a restart starts.
    Click("DbNaMMNext");
    remedy_ = CurrentText(Table("TblAML"), "Hom Bezeichnung");
    original_ = Stored();
    window_->SetPictureFileChooser([this] { return chosen_; });
  }
  QString WriteFile(const char* name, const QByteArray& bytes) {
    const QString path = QString::fromStdString((folder_ / name).string());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QByteArray Stored() { return ReadBlobBytes(Table("TblAML").FieldByName("Grfik2"), 64 << 20).bytes; }
  void Load(const QString& path) {
    chosen_ = path;
    Click("SbMMBildLaden");
  }
  void RestartOnTheRemedy() {
    Restart();
    ASSERT_TRUE(Holds("TblAML", "Hom Bezeichnung", remedy_));
    window_->SetPictureFileChooser([this] { return chosen_; });
  }

  QString remedy_;
  QByteArray original_;
  QString chosen_;
};

TEST_F(PictureLoadingTest, PngAndJpegAreStoredByteForByteAndShownAfterARestart) {
  for (auto [format, size] : {std::pair{"PNG", QSize(120, 80)}, std::pair{"JPEG", QSize(200, 150)}}) {
    SCOPED_TRACE(format);
    const QByteArray bytes = Encode(size, format);
    ASSERT_NE(bytes, original_);
    Load(WriteFile(format, bytes));
    EXPECT_TRUE(boxes_.Texts().isEmpty());
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    EXPECT_EQ(Table("TblAML").State(), dvx::dsBrowse) << "the picture is stored at once";
    EXPECT_EQ(Stored(), bytes);
    EXPECT_EQ(Find<TDBImage>("DBImgMMBild")->Picture().size(), size);
    RestartOnTheRemedy();
    EXPECT_EQ(Stored(), bytes);
    EXPECT_EQ(Find<TDBImage>("DBImgMMBild")->Picture().size(), size);
  }
  Stop();
  ExpectFilesCheckClean();
}

TEST_F(PictureLoadingTest, BmpIsStoredAsItIs) {
  const QByteArray bytes = Encode(QSize(40, 30), "BMP");
  Load(WriteFile("bild.bmp", bytes));
  EXPECT_EQ(Stored(), bytes);
}

TEST_F(PictureLoadingTest, LargerThan200PixelsAsksAndIsStoredOnlyWhenConfirmed) {
  const QByteArray wide = Encode(QSize(201, 100), "PNG");
  const QString path = WriteFile("breit.png", wide);
  boxes_.Queue(QMessageBox::No);
  Load(path);
  ASSERT_EQ(boxes_.Texts().size(), 1);
  EXPECT_TRUE(boxes_.Texts()[0].contains("201 X 100")) << boxes_.Texts()[0].toStdString();
  EXPECT_TRUE(boxes_.Texts()[0].contains("200 X 200")) << boxes_.Texts()[0].toStdString();
  EXPECT_EQ(Stored(), original_);
  EXPECT_EQ(Table("TblAML").State(), dvx::dsBrowse);

  boxes_.Queue(QMessageBox::Yes);
  Load(path);
  EXPECT_EQ(Stored(), wide);
  // Exactly 200 × 200 is within the limit.
  const QByteArray square = Encode(QSize(200, 200), "PNG");
  Load(WriteFile("quadrat.png", square));
  EXPECT_EQ(boxes_.Texts().size(), 2);
  EXPECT_EQ(Stored(), square);
}

TEST_F(PictureLoadingTest, DamagedOrForeignFilesAreRefusedWithAMessageNamingThem) {
  QByteArray truncated = Encode(QSize(60, 60), "PNG");
  truncated.chop(truncated.size() / 2);
  QByteArray text("Das ist kein Bild, nur Text.");
  QByteArray badCrc = Encode(QSize(20, 20), "PNG");
  badCrc[30] = static_cast<char>(badCrc[30] ^ 0x55);  // inside IHDR: its CRC no longer fits
  for (auto [file, bytes] : {std::pair{"halb.png", truncated}, std::pair{"text.jpg", text},
                             std::pair{"crc.png", badCrc}}) {
    SCOPED_TRACE(file);
    boxes_.Queue(QMessageBox::Ok);
    Load(WriteFile(file, bytes));
    ASSERT_EQ(boxes_.Texts().size(), 1);
    EXPECT_TRUE(boxes_.Texts()[0].contains(QString::fromLatin1(file))) << boxes_.Texts()[0].toStdString();
    EXPECT_TRUE(boxes_.Texts()[0].contains("kein lesbares Bild")) << boxes_.Texts()[0].toStdString();
    EXPECT_EQ(Stored(), original_);
    EXPECT_EQ(Table("TblAML").State(), dvx::dsBrowse);
    boxes_.Clear();
  }
  // A file too large for any picture of a remedy is not read at all.
  {
    const QString path = WriteFile("riesig.png", Encode(QSize(10, 10), "PNG"));
    QFile file(path);
    ASSERT_TRUE(file.resize(qint64(17) << 20));
    boxes_.Queue(QMessageBox::Ok);
    Load(path);
    ASSERT_EQ(boxes_.Texts().size(), 1);
    EXPECT_TRUE(boxes_.Texts()[0].contains("riesig.png")) << boxes_.Texts()[0].toStdString();
    EXPECT_TRUE(boxes_.Texts()[0].contains("zu groß")) << boxes_.Texts()[0].toStdString();
    EXPECT_EQ(Stored(), original_);
    boxes_.Clear();
  }
  // A file that cannot be read at all.
  boxes_.Queue(QMessageBox::Ok);
  Load(QString::fromStdString((folder_ / "fehlt.png").string()));
  ASSERT_EQ(boxes_.Texts().size(), 1);
  EXPECT_TRUE(boxes_.Texts()[0].contains("fehlt.png"));
  EXPECT_EQ(Stored(), original_);
}

TEST_F(PictureLoadingTest, CancellingTheDialogChangesNothing) {
  Load(QString());
  EXPECT_TRUE(boxes_.Texts().isEmpty());
  EXPECT_EQ(Table("TblAML").State(), dvx::dsBrowse);
  Stop();
  EXPECT_EQ(ReadAllTables(folder_), ReadAllTables(BuiltDatabases()));
}

}  // namespace
}  // namespace fendra::testing
