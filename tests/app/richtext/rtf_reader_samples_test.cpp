// RTF as word processors and rich-edit controls write it, read to the text
// and formats they show.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QTextBlock>

#include "tests/app/richtext/rtf_test_support.h"

namespace fendra::testing {
namespace {

class RtfReaderSampleTest : public ::testing::Test {
 protected:
  std::vector<TParagraphShape> Read(const QByteArray& rtf) {
    RtfReader::TStatus status;
    document_ = ReadRtf(rtf, &status);
    EXPECT_EQ(status, RtfReader::TStatus::Ok);
    return DescribeDocument(*document_);
  }

  // The run of a paragraph with exactly this text.
  static TRunShape RunWith(const TParagraphShape& paragraph, const QString& text) {
    for (const TRunShape& run : paragraph.runs) {
      if (run.text == text) return run;
    }
    ADD_FAILURE() << "no run \"" << text.toStdString() << "\"";
    return {};
  }

  static QString Text(const TParagraphShape& paragraph) {
    QString text;
    for (const TRunShape& run : paragraph.runs) text += run.text;
    return text;
  }

  static QByteArray PngHex(QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toHex();
  }

  std::unique_ptr<QTextDocument> document_;
};

// A word processor: panose and alternate font names, style sheet with
// heading styles, list table and overrides with \listtext markers, math and
// namespace groups, info, header, section words, a table and a picture given
// twice (\shppict and a metafile under \nonshppict).
TEST_F(RtfReaderSampleTest, WordProcessorDocument) {
  QByteArray rtf = R"rtf({\rtf1\adeflang1025\ansi\ansicpg1252\uc1\adeff0\deff0\stshfdbch0\deflang1031\themelang1031
{\fonttbl{\f0\fbidi \froman\fcharset0\fprq2{\*\panose 02020603050405020304}Times New Roman;}
{\f1\fbidi \fswiss\fcharset0\fprq2{\*\panose 020b0604020202020204}Arial{\*\falt Helvetica};}
{\f2\fbidi \fmodern\fcharset0\fprq1 Courier New;}{\f3\fbidi \froman\fcharset2\fprq2 Symbol;}}
{\colortbl;\red0\green0\blue0;\red0\green0\blue255;\red255\green0\blue0;}
{\*\defchp \fs24\lang1031 }{\*\defpap \ql \li0\ri0\sa160\sl259\slmult1 }
{\stylesheet{\ql \li0\ri0\sa160\widctlpar\rin0\lin0\itap0 \fs22\lang1031 \snext0 \sqformat \spriority0 Normal;}
{\s1\ql \li0\ri0\sb240\keepn\outlinelevel0 \b\fs32 \sbasedon0 \snext0 \slink15 heading 1;}
{\*\cs10 \additive \ssemihidden Default Paragraph Font;}}
{\*\listtable{\list\listtemplateid-1\listhybrid
{\listlevel\levelnfc23\levelnfcn23\leveljc0\leveljcn0\levelfollow0\levelstartat1{\leveltext\leveltemplateid67567617\'01\u-3913 ?;}{\levelnumbers;}\f3\fbias0 \fi-360\li720\lin720 }
{\listlevel\levelnfc23\levelnfcn23\leveljc0\leveljcn0\levelfollow0\levelstartat1\lvltentative{\leveltext\leveltemplateid67567619\'01o;}{\levelnumbers;}\f2\fbias0 \fi-360\li1440\lin1440 }
{\listname ;}\listid1434977577}
{\list\listtemplateid1010\listhybrid{\listlevel\levelnfc0\levelnfcn0\leveljc0\leveljcn0\levelfollow0\levelstartat1{\leveltext\'02\'00.;}{\levelnumbers\'01;}\fi-360\li720\lin720 }{\listname ;}\listid2000}}
{\*\listoverridetable{\listoverride\listid1434977577\listoverridecount0\ls1}{\listoverride\listid2000\listoverridecount0\ls2}}
{\*\rsidtbl \rsid1076\rsid2210}{\mmathPr\mmathFont34\mbrkBin0\mbrkBinSub0}
{\info{\title Notfall}{\author Anna}{\operator Anna}{\creatim\yr2024\mo3\dy1\hr10\min5}{\version2}}
{\*\xmlnstbl {\xmlns1 http://schemas.example.org/wordml}}
\paperw11906\paperh16838\margl1417\margr1417\margt1417\margb1134
\sectd \linex0\headery708\footery708\colsx708\endnhere\sectlinegrid360\sectdefaultcl\sftnbj
{\header \pard\plain \ql Kopfzeile\par}
{\*\pnseclvl1\pnucrm\pnstart1\pnindent720\pnhang {\pntxta .}}
\pard\plain \s1\ql \li0\ri0\sb240\keepn\outlinelevel0 \rtlch\fcs1 \ab\af1\afs32 \ltrch\fcs0 \b\f1\fs32 Erste Hilfe bei Fieber\par
\pard\plain \ql \li0\ri0\sa160 \f1\fs22 Bei {\b hohem} Fieber {\i rasch} handeln: \ldblquote Belladonna\rdblquote  oder {\cf3 Aconitum}.\par
{\listtext\pard\plain \f3\fs22 \loch\af3\hich\af3\dbch\af0\insrsid1076 \loch\f3 \'b7\tab}\pard\plain \ql \fi-360\li720\ri0\sa160\ls1\ilvl0 \f1\fs22 pl\'f6tzlicher Beginn\par
{\listtext\pard\plain \f2\fs22 o\tab}\pard\plain \ql \fi-360\li1440\ri0\sa160\ls1\ilvl1 \f1\fs22 hochroter Kopf\par
{\listtext\pard\plain \f1\fs22 1.\tab}\pard\plain \ql \fi-360\li720\ri0\sa160\ls2\ilvl0 \f1\fs22 Ruhe\par
{\listtext\pard\plain \f1\fs22 2.\tab}\pard\plain \ql \fi-360\li720\ri0\sa160\ls2\ilvl0 \f1\fs22 Wadenwickel\par
\trowd \irow0\irowband0\ts11\trgaph108\trleft-108 \cellx4536\cellx9072\pard\plain \ql \intbl \f1\fs22 Mittel\cell Potenz\cell \pard\plain \intbl\row
\trowd \irow1\irowband1\lastrow \ts11\trgaph108\trleft-108 \cellx4536\cellx9072\pard\plain \ql \intbl \f1\fs22 Belladonna\cell C30\cell \pard \intbl \row
\pard\plain \qc \f1\fs22 {\*\shppict{\pict{\*\picprop\shplid1025{\sp{\sn shapeType}{\sv 75}}}\picscalex100\picscaley100\piccropl0\piccropr0\picw53\pich53\picwgoal30\pichgoal45\pngblip\bliptag-1{\*\blipuid 0123456789abcdef}
PNGHEX}}{\nonshppict{\pict\picscalex100\picscaley100\picw53\pich53\picwgoal30\pichgoal45\wmetafile8\bliptag-1 010009000003}}\par
\pard\plain \qj \f1\fs22 Ende mit \u8364\'80 und {\field{\*\fldinst {HYPERLINK "https://example.org/fieber" \\o "Tipp"}}{\fldrslt {\ul\cf2 Quelle}}}.\par
})rtf";
  rtf.replace("PNGHEX", PngHex(QSize(4, 6), QColor(0, 128, 0)));
  const std::vector<TParagraphShape> paragraphs = Read(rtf);

  EXPECT_EQ(ParagraphTexts(*document_),
            (QStringList{"Erste Hilfe bei Fieber",
                         QString::fromUtf8("Bei hohem Fieber rasch handeln: “Belladonna” oder Aconitum."),
                         QString::fromUtf8("plötzlicher Beginn"), "hochroter Kopf", "Ruhe", "Wadenwickel",
                         "Mittel\tPotenz", "Belladonna\tC30", QString(QChar::ObjectReplacementCharacter),
                         QString::fromUtf8("Ende mit € und Quelle.")}));
  ASSERT_EQ(paragraphs.size(), 10u);
  EXPECT_EQ(paragraphs[0].heading, 1);
  EXPECT_EQ(paragraphs[0].top, 16.0);
  const TRunShape heading = RunWith(paragraphs[0], "Erste Hilfe bei Fieber");
  EXPECT_TRUE(heading.bold);
  EXPECT_EQ(heading.points, 16.0);
  EXPECT_EQ(heading.family, "Arial");

  EXPECT_EQ(paragraphs[1].bottom, 10.7);
  EXPECT_TRUE(RunWith(paragraphs[1], "hohem").bold);
  EXPECT_TRUE(RunWith(paragraphs[1], "rasch").italic);
  EXPECT_EQ(RunWith(paragraphs[1], "Aconitum").foreground, "#ff0000");
  EXPECT_EQ(RunWith(paragraphs[1], "Bei ").points, 11.0);

  EXPECT_EQ(paragraphs[2].listStyle, QTextListFormat::ListDisc);
  EXPECT_EQ(paragraphs[2].listIndent, 1);
  EXPECT_EQ(paragraphs[3].listStyle, QTextListFormat::ListCircle);
  EXPECT_EQ(paragraphs[3].listIndent, 2);
  EXPECT_EQ(paragraphs[4].listStyle, QTextListFormat::ListDecimal);
  EXPECT_EQ(paragraphs[4].list, paragraphs[5].list);
  EXPECT_NE(paragraphs[4].list, paragraphs[2].list);
  EXPECT_EQ(paragraphs[6].list, 0);

  EXPECT_EQ(paragraphs[8].alignment, 'C');
  EXPECT_EQ(paragraphs[8].runs.at(0).image, "2x3");
  const QTextFragment picture = document_->findBlockByNumber(8).begin().fragment();
  const QImage image = document_->resource(QTextDocument::ImageResource, QUrl(picture.charFormat().toImageFormat().name()))
                           .value<QImage>();
  EXPECT_EQ(image.size(), QSize(4, 6));
  EXPECT_EQ(image.pixelColor(1, 1), QColor(0, 128, 0));

  EXPECT_EQ(paragraphs[9].alignment, 'J');
  const TRunShape link = RunWith(paragraphs[9], "Quelle");
  EXPECT_EQ(link.link, "https://example.org/fieber");
  EXPECT_EQ(link.underline, QTextCharFormat::SingleUnderline);
  EXPECT_EQ(link.foreground, "#0000ff");
}

// A rich-edit control: old-style paragraph numbering with \pntext markers,
// highlighting, a field without quotes, Unicode with one fallback byte.
TEST_F(RtfReaderSampleTest, RichEditControlDocument) {
  const QByteArray rtf = R"rtf({\rtf1\ansi\ansicpg1252\deff0\nouicompat\deflang1031{\fonttbl{\f0\fnil\fcharset0 Calibri;}{\f1\fnil\fcharset2 Symbol;}}
{\colortbl ;\red255\green255\blue0;\red0\green0\blue255;}
{\*\generator Riched20 10.0.19041}\viewkind4\uc1
\pard\sa200\sl276\slmult1\f0\fs22\lang7 Arnica bei \highlight1 Prellungen\highlight0  und Schock.\par

{\pntext\f1\'B7\tab}{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'B7}}\fi-360\li720\sa200\sl276\slmult1 Sturz\par
{\pntext\f1\'B7\tab}Verstauchung\par

\pard{\pntext\f0 1.\tab}{\*\pn\pnlvlbody\pnf0\pnindent0\pnstart1\pndec{\pntxta.}}
\fi-360\li720\sa200\sl276\slmult1 zuerst\par
{\pntext\f0 2.\tab}danach\par

\pard\sa200\sl276\slmult1\qc\b\i Gr\'fc\'dfe\b0\i0 \u8776?\u8364?\par
\pard\sa200\sl276\slmult1 {\field{\*\fldinst{HYPERLINK https://example.org }}{\fldrslt{\ul\cf2\ul https://example.org}}}\f0\fs22\par
}
)rtf";
  const std::vector<TParagraphShape> paragraphs = Read(rtf);
  EXPECT_EQ(ParagraphTexts(*document_),
            (QStringList{"Arnica bei Prellungen und Schock.", "Sturz", "Verstauchung", "zuerst", "danach",
                         QString::fromUtf8("Grüße≈€"), "https://example.org"}));
  ASSERT_EQ(paragraphs.size(), 7u);
  EXPECT_EQ(RunWith(paragraphs[0], "Prellungen").background, "#ffff00");
  EXPECT_EQ(RunWith(paragraphs[0], "Arnica bei ").family, "Calibri");
  EXPECT_EQ(paragraphs[0].bottom, 13.3);
  EXPECT_EQ(paragraphs[1].listStyle, QTextListFormat::ListDisc);
  EXPECT_EQ(paragraphs[1].list, paragraphs[2].list);
  EXPECT_EQ(paragraphs[1].left, 0.0) << "a list item's indent comes from its list";
  EXPECT_EQ(paragraphs[3].listStyle, QTextListFormat::ListDecimal);
  EXPECT_EQ(paragraphs[3].list, paragraphs[4].list);
  EXPECT_NE(paragraphs[3].list, paragraphs[1].list);
  EXPECT_EQ(paragraphs[5].alignment, 'C');
  EXPECT_TRUE(RunWith(paragraphs[5], QString::fromUtf8("Grüße")).bold);
  EXPECT_TRUE(RunWith(paragraphs[5], QString::fromUtf8("Grüße")).italic);
  EXPECT_FALSE(RunWith(paragraphs[5], QString::fromUtf8("≈€")).bold);
  EXPECT_EQ(RunWith(paragraphs[6], "https://example.org").link, "https://example.org");
}

// An office suite: \deff pointing at a later font, fonts in Cyrillic and
// Japanese charsets, \uc2 with two fallback bytes, a footnote, page and
// footnote separator groups.
TEST_F(RtfReaderSampleTest, OfficeSuiteDocument) {
  const QByteArray rtf = R"rtf({\rtf1\ansi\deff4\adeflang1025
{\fonttbl{\f0\froman\fprq2\fcharset0 Times New Roman;}{\f4\fswiss\fprq2\fcharset0 Liberation Sans;}{\f5\fswiss\fprq2\fcharset204 Arial Cyr;}{\f6\fnil\fprq2\fcharset128 MS Mincho;}}
{\colortbl;\red0\green0\blue0;\red128\green128\blue128;}
{\stylesheet{\s0\snext0\ql\widctlpar\hyphpar0\ltrpar\cf0\kerning1\dbch\af5\langfe2052\dbch\af6\afs24\alang1081\loch\f4\hich\af4\fs24\lang1031 Normal;}
{\s2\sbasedon0\snext0\ql\keepn\sb240\sa120\b\fs28 \'dcberschrift 2;}}
{\*\generator LibreOffice/7.4$Linux_X86_64 LibreOffice_project/4}{\info{\creatim\yr2024\mo1\dy1\hr0\min0}{\revtim\yr0\mo0\dy0\hr0\min0}}{\*\userprops}\deftab709
\hyphauto1\viewscale100\formshade\paperh16838\paperw11906\margl1134\margr1134\sectd\sbknone\pgndec\ftnbj\ftnstart1\ftnrstcont\ftnnar\aenddoc
{\*\ftnsep\chftnsep}\pgndec\pard\plain \s2\outlinelevel1\rtlch\af5\afs28\ab \ltrch\hich\af4\loch\sb240\sa120\keepn\f4\fs28\b{\loch Kapitel 2}
\par \pard\plain \s0\ql\rtlch\af5\afs24\alang1081 \ltrch\lang1031\loch\f4\fs24{\cf2\loch \u8222\'84Zitat\u8220\'93}{\loch  {\f5\'cf\'f0\'e8\'e2\'e5\'f2} }{\f6\uc2 \u12354\'82\'a0}{\loch  mit Fu\u223\'dfnote}{\super\chftn{\footnote\pard\plain\s0 Fussnote}}{\loch  Ende}
\par \pard\plain {\f6 \'82\'a0}\par }
)rtf";
  const std::vector<TParagraphShape> paragraphs = Read(rtf);
  EXPECT_EQ(ParagraphTexts(*document_),
            (QStringList{"Kapitel 2", QString::fromUtf8("„Zitat“ Привет あ mit Fußnote Ende"), QString::fromUtf8("あ")}));
  ASSERT_EQ(paragraphs.size(), 3u);
  EXPECT_EQ(paragraphs[0].heading, 2);
  EXPECT_EQ(paragraphs[0].top, 16.0);
  EXPECT_EQ(paragraphs[0].bottom, 8.0);
  EXPECT_TRUE(RunWith(paragraphs[0], "Kapitel 2").bold);
  EXPECT_EQ(RunWith(paragraphs[0], "Kapitel 2").family, "Liberation Sans");
  EXPECT_EQ(RunWith(paragraphs[1], QString::fromUtf8("„Zitat“")).foreground, "#808080");
  EXPECT_EQ(RunWith(paragraphs[1], QString::fromUtf8("Привет")).family, "Arial Cyr");
}

TEST_F(RtfReaderSampleTest, PictureDataMayBeBinary) {
  const QByteArray png = QByteArray::fromHex(PngHex(QSize(3, 3), QColor(255, 0, 0)));
  Read("{\\rtf1 a{\\pict\\jpegblip\\picscalex50 ffd8ff}{\\pict\\pngblip\\picscalex200\\picscaley50\\bin" +
       QByteArray::number(png.size()) + " " + png + "}b}");
  const std::vector<TParagraphShape> paragraphs = DescribeDocument(*document_);
  EXPECT_EQ(document_->toPlainText(), QStringLiteral("a") + QChar(QChar::ObjectReplacementCharacter) + "b")
      << "a JPEG that does not decode is left out";
  ASSERT_EQ(paragraphs.at(0).runs.size(), 3u);
  EXPECT_EQ(paragraphs[0].runs[1].image, "6x2") << "the scales apply to the picture's own size";
}

TEST_F(RtfReaderSampleTest, DocumentCodePagesDecodeEscapes) {
  const std::pair<const char*, const char*> samples[] = {
      {R"({\rtf1\ansi\ansicpg1252 Gr\'fc\'dfe \'80\'84\'93})", "Grüße €„“"},
      {R"({\rtf1\ansi\ansicpg1250 \'b3\'f3d\'9f})", "łódź"},
      {R"({\rtf1\ansi\ansicpg1251 \'cc\'e8\'f0})", "Мир"},
      {R"({\rtf1\mac \'8a\'9a})", "äö"},
      {R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0\fcharset161 Greek;}}\f0 \'e1\'e2})", "αβ"},
  };
  for (const auto& [rtf, text] : samples) {
    Read(rtf);
    EXPECT_EQ(document_->toPlainText(), QString::fromUtf8(text)) << rtf;
  }
}

TEST_F(RtfReaderSampleTest, TextThatIsNotRtfIsPlainText) {
  Read(QByteArray("Gr\xc3\xbc\xc3\x9f" "e\nZeile {2} \\par"));
  EXPECT_EQ(ParagraphTexts(*document_), (QStringList{QString::fromUtf8("Grüße"), "Zeile {2} \\par"}));
  Read(QByteArray("Gr\xfc\xdf" "e \x80"));
  EXPECT_EQ(document_->toPlainText(), QString::fromUtf8("Grüße €")) << "not UTF-8: Windows-1252";
}

TEST_F(RtfReaderSampleTest, UnknownGroupsAreTextUnlessMarkedIgnorable) {
  Read(R"({\rtf1 a{\*\neuesziel versteckt {\b auch}}b{\neuesziel sichtbar}c{\*\fldinst x}d})");
  EXPECT_EQ(document_->toPlainText(), "absichtbarcd");
}

TEST_F(RtfReaderSampleTest, SpecialCharactersAndSymbols) {
  Read(R"({\rtf1 a\~b\-c\_d\emdash\endash\bullet\lquote\rquote\line e\tab f\{\}\\ \page g})");
  EXPECT_EQ(ParagraphTexts(*document_),
            (QStringList{QString::fromUtf8("a\u00A0b\u00ADc\u2011d—–•‘’\u2028e\tf{}\\ "), "g"}));
  EXPECT_TRUE(DescribeDocument(*document_).at(1).pageBreak);
}

}  // namespace
}  // namespace fendra::testing
