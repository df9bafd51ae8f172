// Shared helpers of the reference-source tests: a fresh temporary data
// folder holding a small tree that passes every check under relaxed content
// rules, so each test breaks exactly one thing, and matchers for problems.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "tools/refdata/content_rules.h"
#include "tools/refdata/source_problem.h"
#include "tools/refdata/source_validator.h"

namespace refdata {

// Problems print as the tool prints them.
inline void PrintTo(const TProblem& problem, std::ostream* out) { *out << FormatProblem(problem); }

}  // namespace refdata

namespace refdatatest {

namespace fs = std::filesystem;

// The 24 bytes a PNG reader needs: signature and the IHDR chunk's start.
inline std::vector<uint8_t> PngHeader(uint32_t width, uint32_t height) {
  std::vector<uint8_t> bytes{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
  return bytes;
}

// Rules small enough for hand-written trees.
struct TSmallRules {
  std::vector<std::string_view> keys{"Methode", "Anamnese"};
  std::vector<std::string> childNames{refdata::CutToCharacters("Phosphoricum acid", 15), "Sulfur"};
  refdata::TContentRules rules;

  TSmallRules() {
    rules.treeRootName = "Indikationen mit Schlüssel";
    rules.minTreeLevel1 = 1;
    rules.minTreeLevel2 = 1;
    rules.minTreeLevel3 = 1;
    rules.minIndications = 2;
    rules.minChildIndications = 1;
    rules.minEmergencies = 1;
    rules.maxRemedies = 2;
    rules.maxPictureSide = 200;
    rules.basicsKeys = keys;
    rules.childRemedyNames = childNames;
    rules.emergencyNoteMarker = "112";
  }
};

class TSourceFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "refdata-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  void Write(const std::string& relative, const std::string& content) {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative, std::ios::binary) << content;
  }
  void WriteBytes(const std::string& relative, const std::vector<uint8_t>& bytes) {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  // A tree that passes every check under TSmallRules. Line numbers the tests
  // rely on are noted beside the files.
  void WriteValidTree() {
    Write("Grundlagen/topics.md",
          "+++\nVerzeichnis: Methode\n+++\nDie Methode.\n"
          "+++\nVerzeichnis: Anamnese\n+++\nDie Anamnese.\n");
    Write("Baum/00-wurzel.md", "+++\nBezTree: Indikationen mit Schlüssel\nLs: 00\n+++\nÜbersicht.\n");
    Write("Baum/01-kopf.md",
          "+++\nBezTree: Kopf\nLs: 01\nEltern: Indikationen mit Schlüssel\n+++\nKopf.\n"            // lines 1-6
          "+++\nBezTree: Kopfschmerz\nLs: 01.01\nEltern: Kopf\n+++\nMit {{Belladonna}} bei [[Fieber]].\n"  // 7-12
          "+++\nBezTree: Sonnenstich\nLs: 01.01.01\nEltern: Kopfschmerz\n+++\nSonne.\n");         // 13-18
    Write("IndList/a.md", "+++\nIndikationen: Abszess\n+++\nEiter.\n+++\nIndikationen: Fieber\n+++\nHitze.\n");
    Write("TABHOM/belladonna.md",
          "+++\nHom Bezeichnung: Belladonna\nDt Bezeichnung: Tollkirsche\nAbkürzung: Bell.\nBild: bilder/bella.png\n+++\n"
          "@@ Vorkommen\nWald.\n@@ Indikationen\nFieber.\n@@ AMB\nHitze.\n");
    WriteBytes("TABHOM/bilder/bella.png", PngHeader(200, 150));
    Write("Emerg/a.md", "+++\nIndikation: Sturz\n+++\n**Notruf 112** bei Bewusstlosigkeit.\n\nDann {{Belladonna}}.\n");
    Write("KindInd/a.md", "+++\nIndikation: Zahnung\n+++\nZähne.\n");
    Write("KindKM/a.md", "+++\nBez: Phosphoricum ac\n+++\nZart.\n+++\nBez: Sulfur\n+++\nWarm.\n");
    Write("Verweise/verweise.tsv", "AllIndikat\tZuInd\nAbszess\tFieber\n");
    Write("impressum.md", "Fendra\n");
  }

  std::vector<refdata::TProblem> Validate() {
    return refdata::ValidateSourceTree(refdata::LoadSourceTree(root_), small_.rules);
  }

  fs::path root_;
  TSmallRules small_;
};

// Matches a problem at file and line whose message contains `text`.
MATCHER_P3(ProblemAt, file, line, text, "") {
  return arg.file == file && arg.line == line && arg.message.find(text) != std::string::npos;
}

inline std::string Describe(const std::vector<refdata::TProblem>& problems) {
  std::string text;
  for (const auto& problem : problems) text += refdata::FormatProblem(problem) + "\n";
  return text;
}

}  // namespace refdatatest
