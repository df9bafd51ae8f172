#pragma once
// An in-memory file system for tests, with fault injection.
//
// Each file keeps two images: the durable one (what survives a crash) and
// the current one (what reads see). Flush copies current to durable;
// Crash() throws every unflushed write away. FailNthWrite / FailNthFlush
// make the Nth following call fail (1 = the next one), once.
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/core/platform/file.h"

namespace dvx {

class TDVXMemoryFileSystem : public TDVXFileSystem {
 public:
  struct Node;

  TDVXMemoryFileSystem();
  ~TDVXMemoryFileSystem() override;

  std::unique_ptr<TDVXFile> Open(const std::string& name, TDVXFileOpen how, TDVXFileAccess access,
                                 TDVXFileShare share, TDVXFileError& error) override;
  bool Exists(const std::string& name) override;
  bool IsReadOnly(const std::string& name) override;
  bool SetReadOnly(const std::string& name, bool readOnly) override;
  bool Remove(const std::string& name) override;
  bool Rename(const std::string& from, const std::string& to) override;

  // Fault injection; counts run across all files of this file system.
  void FailNthWrite(int n);
  void FailNthFlush(int n);
  void FailNthRead(int n);
  // Every file loses what was written since its last flush.
  void Crash();
  // Power fails at the Nth following write, flush or truncation (counted
  // together across all files; 1 = the next one): that call and every later
  // one of the three fail, as on a machine that has stopped, until
  // RestorePower. Reads still work. With Crash afterwards this is a power
  // loss at that point.
  void CutPowerAt(int n);
  void RestorePower();
  // Writes, flushes and truncations so far, the count CutPowerAt uses.
  int MutationCount() const;

  // Direct access to a file's current bytes (for building corrupt images).
  std::vector<uint8_t> Contents(const std::string& name);
  void SetContents(const std::string& name, std::vector<uint8_t> bytes);

  int WriteCount() const;
  int FlushCount() const;

 private:
  friend class TDVXMemoryFile;
  bool TakeFault(int& countdown);

  mutable std::mutex lock_;
  std::map<std::string, std::shared_ptr<Node>> files_;
  int failWrite_ = 0, failFlush_ = 0, failRead_ = 0;
  int writes_ = 0, flushes_ = 0, mutations_ = 0;
  int cutAt_ = 0;  // the mutation number that fails first; 0: none
  // True when the power is (or just went) off for this mutation.
  bool PowerOff();
};

}  // namespace dvx
