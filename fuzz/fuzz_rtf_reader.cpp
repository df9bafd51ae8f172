// Fuzz target of the RTF reader. Any bytes must read without a crash, a hang
// or unbounded memory; and whatever was read must survive the writer and the
// reader again with the same text, or one of the two lost something.
#include <QByteArray>
#include <QGuiApplication>
#include <QTextDocument>
#include <cstdint>
#include <cstdlib>

#include "app/richtext/rtf_reader.h"
#include "app/richtext/rtf_writer.h"

namespace {

// Text documents, fonts and images need an application object; one
// offscreen application serves every input.
void EnsureApplication() {
  if (QGuiApplication::instance()) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "fuzz_rtf_reader";
  static char* argv[] = {name, nullptr};
  static QGuiApplication application(argc, argv);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EnsureApplication();
  const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
  QTextDocument document;
  fendra::RtfReader reader;
  if (reader.Read(input, &document) == fendra::RtfReader::TStatus::Rejected) return 0;

  const QByteArray rtf = fendra::RtfWriter().Write(document);
  QTextDocument again;
  if (fendra::RtfReader().Read(rtf, &again) != fendra::RtfReader::TStatus::Ok) std::abort();
  if (again.toPlainText() != document.toPlainText()) std::abort();
  return 0;
}
