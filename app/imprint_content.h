#pragma once
// The texts of the imprint dialog, taken from the imprint's source text
// (Markdown, built into the program): the title line "# …" with the
// edition in the paragraph under it, the publisher's line
// "**Herausgeber:** …", and the "## …" sections. The section "Rechte" is
// the rights notice; the others fill the dialog's two text blocks, the
// first section the first block, the rest the second.
#include <QString>
#include <QStringList>

namespace fendra {

struct TImprintContent {
  QString Title = QStringLiteral("Fendra");
  QString Edition;
  QString Publisher;
  QString Rights;
  QStringList Blocks;  // Markdown, each section under its heading
};

// A source without a title keeps the product name as title; a rights
// notice that names no year gets "© " and currentYear in front.
TImprintContent ParseImprint(const QString& markdown, int currentYear);

// The source built into the program; empty when it is missing.
QString ImprintSource();

}  // namespace fendra
