#pragma once
#include "engine/core/platform/file.h"

namespace dvx {

// Files of the operating system. Byte-range locks are open file description
// locks (F_OFD_SETLK), so two opens in one process conflict just as two
// processes do, and the kernel drops them when the file or process ends.
class TDVXOSFileSystem : public TDVXFileSystem {
 public:
  std::unique_ptr<TDVXFile> Open(const std::string& name, TDVXFileOpen how, TDVXFileAccess access,
                                 TDVXFileShare share, TDVXFileError& error) override;
  bool Exists(const std::string& name) override;
  bool IsReadOnly(const std::string& name) override;
  bool SetReadOnly(const std::string& name, bool readOnly) override;
  bool Remove(const std::string& name) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool SyncDirectoryOf(const std::string& name) override;
};

}  // namespace dvx
