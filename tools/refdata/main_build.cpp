// fendra-data build SRC OUT: builds the eight reference database files from
// the data folder SRC into the folder OUT (build_database_set.h). Problems
// of the sources are printed as "file:line: message" and nothing is
// written. Exit status 0 when the set was built, 1 when the sources have
// problems or the build failed, 2 for a wrong command line.
#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "tools/refdata/build_database_set.h"
#include "tools/refdata/memo_rtf.h"

namespace {

constexpr const char* kUsage =
    "usage: fendra-data build SRC OUT\n"
    "  builds the reference databases from the data folder SRC into the folder OUT\n";

int Usage(const char* message) {
  if (message) std::cerr << "fendra-data: " << message << '\n';
  std::cerr << kUsage;
  return 2;
}

void PrintProgress(const refdata::TBuiltFile& file, int number, int total) {
  std::printf("  [%d/%d] %-16s %-10s %5d %s\n", number, total, file.fileName.c_str(), file.tableName.c_str(),
              file.records, file.records == 1 ? "record" : "records");
  std::fflush(stdout);
}

int Build(const std::filesystem::path& source, const std::filesystem::path& out) {
  if (!std::filesystem::is_directory(source)) {
    std::cerr << "fendra-data: " << source.string() << " is not a folder\n";
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  std::printf("Building the reference databases from %s into %s\n", source.string().c_str(), out.string().c_str());
  std::fflush(stdout);
  const refdata::TBuildResult result = refdata::BuildDatabaseSet(
      source, out, refdata::DefaultContentRules(), refdata::RenderMemoRtf, PrintProgress);
  if (!result.problems.empty()) {
    for (const refdata::TProblem& problem : result.problems) std::cerr << refdata::FormatProblem(problem) << '\n';
    std::cerr << "fendra-data: " << result.problems.size()
              << (result.problems.size() == 1 ? " problem" : " problems") << " in the sources; nothing was written\n";
    return 1;
  }
  int records = 0;
  for (const refdata::TBuiltFile& file : result.files) records += file.records;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("Built %zu databases with %d records in %.1f s\n", result.files.size(), records, seconds);
  return 0;
}

// Qt's note that the offscreen platform found no runtime folder says
// nothing about the build; everything else Qt reports goes to stderr.
void QtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (message.startsWith(QStringLiteral("QStandardPaths:"))) return;
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  std::cerr << "fendra-data: " << message.toStdString() << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if (argc < 2 || std::string_view(argv[1]) != "build") return Usage(argc < 2 ? nullptr : "unknown command");
  if (argc != 4) return Usage("build needs SRC and OUT");
  // The text documents need a GUI application object, but no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QtMessage);
  int qtArgc = 1;
  QGuiApplication application(qtArgc, argv);
  try {
    return Build(argv[2], argv[3]);
  } catch (const std::exception& error) {
    std::cerr << "fendra-data: " << error.what() << "\nfendra-data: nothing was written\n";
    return 1;
  }
}
