#pragma once
// The RTF a formatted memo of the reference databases stores: the source
// text read as Markdown with the {{remedy}} and [[indication]] references
// (app/richtext/source_markup.h), written by the RTF writer. The document's
// default font is fixed (Arial at 15 pixels, the body font the rich-text
// views show), so the bytes depend on the text alone and not on the fonts of
// the machine that builds them.
//
// Needs a QGuiApplication (the offscreen platform will do).
#include <string>
#include <string_view>

namespace refdata {

std::string RenderMemoRtf(std::string_view sourceText);

}  // namespace refdata
