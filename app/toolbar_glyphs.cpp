#include "app/toolbar_glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace fendra {

namespace {

constexpr int kSize = 40;  // drawn at twice the shown size for crisp scaling
const QColor kInk(0x1f, 0x3a, 0x68);
const QColor kAccent(0xc0, 0x39, 0x2b);
const QColor kLeaf(0x2e, 0x7d, 0x32);

QPen Pen(const QColor& color, qreal width = 3.0) {
  return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Letters(QPainter& p, const QString& text, const QColor& color, bool bold,
             bool italic, bool underline, int pixelSize, const QRectF& box) {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setItalic(italic);
  font.setUnderline(underline);
  p.setFont(font);
  p.setPen(color);
  p.drawText(box, Qt::AlignCenter, text);
}

void Lines(QPainter& p, const int (*spans)[2], int count, int top) {
  p.setPen(Pen(kInk));
  for (int i = 0; i < count; ++i) p.drawLine(spans[i][0], top + i * 8, spans[i][1], top + i * 8);
}

void Page(QPainter& p, const QRectF& r) {
  p.setPen(Pen(kInk, 2.5));
  p.setBrush(Qt::white);
  p.drawRoundedRect(r, 2, 2);
  p.setBrush(Qt::NoBrush);
}

void Cross(QPainter& p, const QPointF& c, qreal arm) {
  p.setPen(Qt::NoPen);
  p.setBrush(kAccent);
  p.drawRect(QRectF(c.x() - arm, c.y() - arm / 3, 2 * arm, 2 * arm / 3));
  p.drawRect(QRectF(c.x() - arm / 3, c.y() - arm, 2 * arm / 3, 2 * arm));
  p.setBrush(Qt::NoBrush);
}

void Draw(QPainter& p, TToolbarGlyph glyph) {
  switch (glyph) {
    case TToolbarGlyph::Exit:
      p.setPen(Pen(kAccent, 4));
      p.drawArc(QRectF(8, 9, 24, 24), 120 * 16, -300 * 16);
      p.drawLine(20, 5, 20, 20);
      break;
    case TToolbarGlyph::Tree:
      p.setPen(Pen(kInk, 2.5));
      p.drawLine(10, 10, 10, 30);
      p.drawLine(10, 20, 24, 20);
      p.drawLine(10, 30, 24, 30);
      p.setPen(Qt::NoPen);
      p.setBrush(kLeaf);
      p.drawEllipse(QPointF(10, 9), 5, 5);
      p.drawEllipse(QPointF(28, 20), 5, 5);
      p.drawEllipse(QPointF(28, 30), 5, 5);
      break;
    case TToolbarGlyph::AtoZ:
      Letters(p, QStringLiteral("A"), kInk, true, false, false, 20, QRectF(2, 2, 22, 22));
      Letters(p, QStringLiteral("Z"), kLeaf, true, false, false, 20, QRectF(16, 16, 22, 22));
      break;
    case TToolbarGlyph::ChildSymptoms: {
      Page(p, QRectF(6, 4, 28, 32));
      p.setPen(Pen(kLeaf, 3));
      p.drawPolyline(QPolygonF({QPointF(11, 14), QPointF(14, 17), QPointF(19, 11)}));
      p.drawPolyline(QPolygonF({QPointF(11, 26), QPointF(14, 29), QPointF(19, 23)}));
      p.setPen(Pen(kInk));
      p.drawLine(23, 14, 29, 14);
      p.drawLine(23, 26, 29, 26);
      break;
    }
    case TToolbarGlyph::ChildIndications: {
      p.setPen(Pen(kInk, 2.5));
      p.setBrush(QColor(0xfd, 0xe3, 0xa7));
      p.drawEllipse(QPointF(20, 12), 7, 7);
      p.drawRoundedRect(QRectF(9, 21, 22, 15), 7, 7);
      p.setBrush(Qt::NoBrush);
      break;
    }
    case TToolbarGlyph::EmergencyIndications: {
      Page(p, QRectF(4, 4, 32, 32));
      Cross(p, QPointF(20, 20), 10);
      break;
    }
    case TToolbarGlyph::EmergencyModalities: {
      Cross(p, QPointF(14, 14), 9);
      p.setPen(Pen(kLeaf, 4));
      p.drawPolyline(QPolygonF({QPointF(20, 28), QPointF(25, 33), QPointF(35, 20)}));
      break;
    }
    case TToolbarGlyph::MateriaMedica: {
      p.setPen(Pen(kInk, 2.5));
      p.setBrush(QColor(0xe8, 0xee, 0xf7));
      p.drawRoundedRect(QRectF(8, 5, 24, 30), 2, 2);
      p.setBrush(kInk);
      p.drawRect(QRectF(8, 5, 5, 30));
      p.setBrush(Qt::NoBrush);
      p.setPen(Pen(kLeaf, 2.5));
      p.drawEllipse(QPointF(23, 16), 4, 6);
      p.drawLine(23, 22, 23, 29);
      break;
    }
    case TToolbarGlyph::Save: {
      p.setPen(Pen(kInk, 2.5));
      p.setBrush(QColor(0xd6, 0xe0, 0xee));
      p.drawRoundedRect(QRectF(6, 6, 28, 28), 3, 3);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(12, 6, 16, 10));
      p.drawRect(QRectF(11, 22, 18, 12));
      p.setBrush(Qt::NoBrush);
      break;
    }
    case TToolbarGlyph::Print: {
      p.setPen(Pen(kInk, 2.5));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(12, 5, 16, 10));
      p.setBrush(QColor(0xd6, 0xe0, 0xee));
      p.drawRoundedRect(QRectF(5, 14, 30, 14), 3, 3);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(12, 24, 16, 11));
      p.setBrush(Qt::NoBrush);
      break;
    }
    case TToolbarGlyph::Picture: {
      p.setPen(Pen(kInk, 2.5));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(5, 8, 30, 24));
      p.setPen(Qt::NoPen);
      p.setBrush(kLeaf);
      p.drawPolygon(QPolygonF({QPointF(7, 30), QPointF(17, 17), QPointF(25, 30)}));
      p.setBrush(QColor(0xf2, 0xb1, 0x34));
      p.drawEllipse(QPointF(27, 15), 3.5, 3.5);
      p.setBrush(Qt::NoBrush);
      break;
    }
    case TToolbarGlyph::Cut: {
      p.setPen(Pen(kInk, 2.5));
      p.drawLine(14, 6, 24, 26);
      p.drawLine(26, 6, 16, 26);
      p.drawEllipse(QPointF(13, 30), 5, 5);
      p.drawEllipse(QPointF(27, 30), 5, 5);
      break;
    }
    case TToolbarGlyph::Copy:
      Page(p, QRectF(6, 5, 18, 22));
      Page(p, QRectF(16, 13, 18, 22));
      break;
    case TToolbarGlyph::Paste: {
      p.setPen(Pen(kInk, 2.5));
      p.setBrush(QColor(0xe0, 0xc8, 0x9a));
      p.drawRoundedRect(QRectF(7, 7, 24, 29), 3, 3);
      p.setBrush(kInk);
      p.drawRoundedRect(QRectF(13, 4, 12, 6), 2, 2);
      p.setBrush(Qt::NoBrush);
      Page(p, QRectF(17, 16, 17, 20));
      break;
    }
    case TToolbarGlyph::Bold:
      Letters(p, QStringLiteral("F"), kInk, true, false, false, 30, QRectF(0, 0, kSize, kSize));
      break;
    case TToolbarGlyph::Italic:
      Letters(p, QStringLiteral("K"), kInk, false, true, false, 30, QRectF(0, 0, kSize, kSize));
      break;
    case TToolbarGlyph::Underline:
      Letters(p, QStringLiteral("U"), kInk, false, false, true, 30, QRectF(0, 0, kSize, kSize));
      break;
    case TToolbarGlyph::AlignLeft: {
      static const int spans[4][2] = {{6, 34}, {6, 24}, {6, 34}, {6, 20}};
      Lines(p, spans, 4, 8);
      break;
    }
    case TToolbarGlyph::AlignCenter: {
      static const int spans[4][2] = {{6, 34}, {11, 29}, {6, 34}, {13, 27}};
      Lines(p, spans, 4, 8);
      break;
    }
    case TToolbarGlyph::AlignRight: {
      static const int spans[4][2] = {{6, 34}, {16, 34}, {6, 34}, {20, 34}};
      Lines(p, spans, 4, 8);
      break;
    }
    case TToolbarGlyph::Magnifier:
      p.setPen(Pen(kInk, 3.5));
      p.drawEllipse(QPointF(17, 17), 10, 10);
      p.drawLine(QPointF(24.5, 24.5), QPointF(34, 34));
      break;
  }
}

}  // namespace

QIcon ToolbarGlyph(TToolbarGlyph glyph) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  {
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    Draw(p, glyph);
  }
  QIcon icon(pixmap);
  // A disabled command must look disabled: a washed-out copy.
  QPixmap faded(kSize, kSize);
  faded.fill(Qt::transparent);
  {
    QPainter p(&faded);
    p.setOpacity(0.3);
    p.drawPixmap(0, 0, pixmap);
  }
  icon.addPixmap(faded, QIcon::Disabled);
  return icon;
}

}  // namespace fendra
