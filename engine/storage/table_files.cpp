#include "engine/storage/table_files.h"
#include "engine/storage/storage_errors.h"

#include "engine/core/exception.h"

namespace dvx {
TDVXMemoryStream TDVXTableStreamFile::ReadStream(int32_t session) {
  file_.ReadFile(session);
  return TDVXMemoryStream(file_.Content());
}

void TDVXTableStreamFile::WriteStream(int32_t session, const TDVXMemoryStream& stream) {
  file_.Content() = stream.Bytes();
  file_.WriteFile(session);
}

void TDVXTablePFSMapFile::Load(int32_t session) {
  file_.ReadFile(session);
  const auto& content = file_.Content();
  state_ = {};
  if (content.empty()) return;
  if (content.size() < 4 || (content.size() - 4) % 8 != 0)
    throw EDVXException(kErrCorruptInternalFile, "Corrupt internal file, type = %d, pageNo = %d: %s",
                        {int(PageTypeIDTablePFSMap), file_.FirstPageNo(),
                         "PFS map size " + std::to_string(content.size()) + " is not 4 + 8 × entries"});
  state_.pageNoLimit = GetI32(content.data());
  for (size_t at = 4; at < content.size(); at += 8)
    state_.entries.push_back({GetI32(content.data() + at), GetI32(content.data() + at + 4)});
}

void TDVXTablePFSMapFile::Save(int32_t session) {
  auto& content = file_.Content();
  if (state_.pageNoLimit == 0 && state_.entries.empty()) {
    content.clear();
  } else {
    content.assign(4 + 8 * state_.entries.size(), 0);
    PutI32(content.data(), state_.pageNoLimit);
    for (size_t i = 0; i < state_.entries.size(); ++i) {
      PutI32(content.data() + 4 + 8 * i, state_.entries[i].pfsPageNo);
      PutI32(content.data() + 8 + 8 * i, state_.entries[i].recordCount);
    }
  }
  file_.WriteFile(session);
}

}  // namespace dvx
