// The data-aware picture: PNG, JPEG and BMP values shown, anything else
// shown as nothing with a description saying so, scaled with its aspect
// ratio and never above its natural size unless stretched.
#include "app/data_controls/db_image.h"

#include <QBuffer>
#include <QImage>

#include "tests/app/data_controls/data_controls_fixture.h"

namespace fendra::testing {
namespace {

class DBImageTest : public DataControlsTest {
 protected:
  void SetUp() override {
    DataControlsTest::SetUp();
    Open({"Aconitum", "Belladonna"});
    image_ = std::make_unique<TDBImage>(nullptr, "DBImgMMBild");
    image_->setFrameShape(QFrame::NoFrame);
    image_->SetDataSource(&source_);
    image_->SetDataField("Picture");
    image_->resize(200, 200);
  }
  void TearDown() override {
    image_.reset();
    DataControlsTest::TearDown();
  }
  static QByteArray Encode(int width, int height, const char* format) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(qRgb(200, 40, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(picture.save(&buffer, format));
    return bytes;
  }
  void ExpectNothingShown() {
    EXPECT_TRUE(image_->Picture().isNull());
    EXPECT_TRUE(image_->PictureRect().isEmpty());
    EXPECT_EQ(image_->accessibleDescription(), TDBImage::CannotShowText());
  }
  std::unique_ptr<TDBImage> image_;
};

TEST_F(DBImageTest, PngJpegAndBmpValuesAreShown) {
  for (const char* format : {"PNG", "JPG", "BMP"}) {
    StoreBlob("Picture", Encode(30, 20, format));
    EXPECT_EQ(image_->Picture().size(), QSize(30, 20)) << format;
    EXPECT_EQ(image_->accessibleDescription(), "") << format;
  }
}

TEST_F(DBImageTest, ThePictureFollowsTheCurrentRecord) {
  StoreBlob("Picture", Encode(30, 20, "PNG"));
  dataSet_.Next();
  EXPECT_TRUE(image_->Picture().isNull());
  EXPECT_EQ(image_->accessibleDescription(), "");
  dataSet_.Prior();
  EXPECT_EQ(image_->Picture().size(), QSize(30, 20));
}

TEST_F(DBImageTest, AGarbageValueShowsNothing) {
  QByteArray garbage(5000, '\0');
  for (int i = 0; i < garbage.size(); ++i) garbage[i] = char((i * 31 + 7) & 0xFF);
  StoreBlob("Picture", garbage);
  ExpectNothingShown();
}

TEST_F(DBImageTest, ATruncatedPngShowsNothing) {
  const QByteArray png = Encode(64, 64, "PNG");
  StoreBlob("Picture", png.first(png.size() / 2));
  ExpectNothingShown();
}

TEST_F(DBImageTest, APictureSmallerThanTheControlKeepsItsNaturalSize) {
  StoreBlob("Picture", Encode(50, 20, "PNG"));
  EXPECT_EQ(image_->PictureRect().size(), QSize(50, 20));
  // Centred by default.
  EXPECT_EQ(image_->PictureRect().center(), image_->contentsRect().center());
  image_->SetCenter(false);
  EXPECT_EQ(image_->PictureRect().topLeft(), QPoint(0, 0));
}

TEST_F(DBImageTest, ALargerPictureIsScaledDownKeepingItsAspectRatio) {
  StoreBlob("Picture", Encode(800, 400, "PNG"));
  EXPECT_EQ(image_->PictureRect().size(), QSize(200, 100));
  image_->resize(100, 300);
  EXPECT_EQ(image_->PictureRect().size(), QSize(100, 50));
}

TEST_F(DBImageTest, StretchScalesUpKeepingItsAspectRatio) {
  StoreBlob("Picture", Encode(50, 20, "PNG"));
  image_->SetStretch(true);
  EXPECT_EQ(image_->PictureRect().size(), QSize(200, 80));
}

TEST_F(DBImageTest, LoadPictureStoresAPictureAndRefusesAnythingElse) {
  const QByteArray png = Encode(12, 8, "PNG");
  image_->LoadPicture(png);
  EXPECT_EQ(dataSet_.State(), dvx::dsEdit);
  dataSet_.Post();
  EXPECT_EQ(Blob("Picture"), png);
  EXPECT_EQ(image_->Picture().size(), QSize(12, 8));
  EXPECT_THROW(image_->LoadPicture("kein Bild"), std::exception);
  EXPECT_EQ(Blob("Picture"), png);
}

TEST_F(DBImageTest, PaintingAPictureOrNothingDoesNotFail) {
  image_->show();
  StoreBlob("Picture", Encode(300, 120, "JPG"));
  const QImage shown = image_->grab().toImage();
  const QPoint centre = image_->PictureRect().center();
  EXPECT_NEAR(qRed(shown.pixel(centre)), 200, 12);
  StoreBlob("Picture", "BM garbage");
  image_->grab();
  ExpectNothingShown();
}

}  // namespace
}  // namespace fendra::testing
