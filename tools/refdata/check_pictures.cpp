// Picture checks: the file named by Bild exists below TABHOM/, is a JPEG,
// BMP or PNG picture and fits the size the materia medica page shows.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "tools/refdata/image_header.h"
#include "tools/refdata/table_schema.h"
#include "tools/refdata/validator_checks.h"

namespace refdata::checks {

namespace {

namespace fs = std::filesystem;

void CheckPicture(const TSourceTree& tree, const TSourceEntry& entry, const THeaderField& bild, const TContentRules& rules,
                  TProblems& problems) {
  const auto problem = [&](std::string message) {
    problems.push_back({entry.file, bild.line, "picture '" + bild.value + "': " + std::move(message)});
  };
  const fs::path relative(bild.value);
  if (relative.is_absolute() || std::find(relative.begin(), relative.end(), "..") != relative.end()) {
    problem("the path must stay inside the TABHOM folder");
    return;
  }
  const fs::path path = tree.root / tree.Table(kRemedyTable).schema->sourcePath / relative;
  std::error_code error;
  if (!fs::is_regular_file(path, error)) {
    problem("the file does not exist");
    return;
  }
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
  if (!in && !in.eof()) {
    problem("the file cannot be read");
    return;
  }
  const TImageProbe probe = ProbeImage(bytes);
  if (!probe.info) {
    problem(probe.error);
    return;
  }
  const TImageInfo& info = *probe.info;
  const std::string size = std::to_string(info.width) + "x" + std::to_string(info.height);
  if (info.width == 0 || info.height == 0)
    problem("the " + std::string(ImageFormatName(info.format)) + " picture has the empty size " + size);
  else if (rules.maxPictureSide > 0 && (info.width > static_cast<uint32_t>(rules.maxPictureSide) ||
                                        info.height > static_cast<uint32_t>(rules.maxPictureSide)))
    problem("the " + std::string(ImageFormatName(info.format)) + " picture is " + size + " pixels; at most " +
            std::to_string(rules.maxPictureSide) + "x" + std::to_string(rules.maxPictureSide) + " fit the page");
}

}  // namespace

void CheckPictures(const TSourceTree& tree, const TContentRules& rules, TProblems& problems) {
  for (const TSourceEntry& entry : tree.Table(kRemedyTable).entries) {
    const THeaderField* bild = entry.Field(kPicturePseudoField);
    if (bild && !bild->value.empty()) CheckPicture(tree, entry, *bild, rules, problems);
  }
}

}  // namespace refdata::checks
