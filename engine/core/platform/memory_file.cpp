#include "engine/core/platform/memory_file.h"

#include <algorithm>

#include <cerrno>
#include <cstring>

namespace dvx {

struct TDVXMemoryFileSystem::Node {
  std::vector<uint8_t> current;
  std::vector<uint8_t> durable;
  bool readOnly = false;
  int exclusiveOpens = 0;
  int sharedOpens = 0;
  // Byte-range locks: owner (the open file object), range and kind.
  struct Lock {
    const void* owner;
    uint64_t position, length;
    bool exclusive;
  };
  std::vector<Lock> locks;
};

class TDVXMemoryFile : public TDVXFile {
 public:
  TDVXMemoryFile(TDVXMemoryFileSystem& fs, std::shared_ptr<TDVXMemoryFileSystem::Node> node,
                 std::string name, bool writable, bool exclusive)
      : fs_(fs), node_(std::move(node)), name_(std::move(name)), writable_(writable), exclusive_(exclusive) {}

  ~TDVXMemoryFile() override {
    std::lock_guard<std::mutex> guard(fs_.lock_);
    (exclusive_ ? node_->exclusiveOpens : node_->sharedOpens)--;
    auto& locks = node_->locks;
    for (size_t i = locks.size(); i-- > 0;)
      if (locks[i].owner == this) locks.erase(locks.begin() + static_cast<long>(i));
  }

  bool ReadAt(uint64_t position, void* buffer, size_t count, size_t& done) override {
    std::lock_guard<std::mutex> guard(fs_.lock_);
    done = 0;
    if (fs_.TakeFault(fs_.failRead_)) return Fail("injected read failure", EIO);
    const auto& data = node_->current;
    if (position >= data.size()) return true;
    done = static_cast<size_t>(std::min<uint64_t>(count, data.size() - position));
    std::memcpy(buffer, data.data() + position, done);
    return true;
  }

  bool WriteAt(uint64_t position, const void* buffer, size_t count) override {
    std::lock_guard<std::mutex> guard(fs_.lock_);
    if (!writable_) return Fail("write on a read-only open", EBADF);
    ++fs_.writes_;
    if (fs_.PowerOff()) return Fail("power lost", EIO);
    if (fs_.TakeFault(fs_.failWrite_)) return Fail("injected write failure", EIO);
    auto& data = node_->current;
    if (position + count > data.size()) data.resize(position + count, 0);
    if (count) std::memcpy(data.data() + position, buffer, count);
    return true;
  }

  bool Flush() override {
    std::lock_guard<std::mutex> guard(fs_.lock_);
    ++fs_.flushes_;
    if (fs_.PowerOff()) return Fail("power lost", EIO);
    if (fs_.TakeFault(fs_.failFlush_)) return Fail("injected flush failure", EIO);
    node_->durable = node_->current;
    return true;
  }

  bool GetSize(uint64_t& size) override {
    std::lock_guard<std::mutex> guard(fs_.lock_);
    size = node_->current.size();
    return true;
  }

  bool SetEndOfFile(uint64_t size) override {
    std::lock_guard<std::mutex> guard(fs_.lock_);
    if (!writable_) return Fail("truncate on a read-only open", EBADF);
    if (fs_.PowerOff()) return Fail("power lost", EIO);
    node_->current.resize(size, 0);
    return true;
  }

  bool TryLock(uint64_t position, uint64_t length, bool exclusive) override {
    std::lock_guard<std::mutex> guard(fs_.lock_);
    if (Conflicts(position, length, exclusive)) return false;
    // As with an open file description's locks, locking a range this open
    // holds already changes the kind of the lock in place.
    DropOwn(position, length);
    node_->locks.push_back({this, position, length, exclusive});
    return true;
  }

  bool Unlock(uint64_t position, uint64_t length) override {
    std::lock_guard<std::mutex> guard(fs_.lock_);
    DropOwn(position, length);
    return true;
  }

  bool IsLockedByOther(uint64_t position, uint64_t length) override {
    std::lock_guard<std::mutex> guard(fs_.lock_);
    return Conflicts(position, length, true);
  }

  const std::string& LastError() const override { return error_; }
  int LastErrorCode() const override { return errorCode_; }
  const std::string& FileName() const override { return name_; }

 private:
  bool Conflicts(uint64_t position, uint64_t length, bool exclusive) const {
    for (const auto& l : node_->locks) {
      if (l.owner == this) continue;
      bool overlap = position < l.position + l.length && l.position < position + length;
      if (overlap && (exclusive || l.exclusive)) return true;
    }
    return false;
  }

  void DropOwn(uint64_t position, uint64_t length) {
    auto& locks = node_->locks;
    auto own = [&](const TDVXMemoryFileSystem::Node::Lock& l) {
      return l.owner == this && l.position == position && l.length == length;
    };
    locks.erase(std::remove_if(locks.begin(), locks.end(), own), locks.end());
  }

  bool Fail(const std::string& what, int code) {
    error_ = what + " on '" + name_ + "'";
    errorCode_ = code;
    return false;
  }

  TDVXMemoryFileSystem& fs_;
  std::shared_ptr<TDVXMemoryFileSystem::Node> node_;
  std::string name_;
  bool writable_;
  bool exclusive_;
  std::string error_;
  int errorCode_ = 0;
};

TDVXMemoryFileSystem::TDVXMemoryFileSystem() = default;
TDVXMemoryFileSystem::~TDVXMemoryFileSystem() = default;

bool TDVXMemoryFileSystem::TakeFault(int& countdown) {
  if (countdown <= 0) return false;
  return --countdown == 0;
}

std::unique_ptr<TDVXFile> TDVXMemoryFileSystem::Open(const std::string& name, TDVXFileOpen how,
                                                     TDVXFileAccess access, TDVXFileShare share,
                                                     TDVXFileError& error) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = files_.find(name);
  if (it == files_.end()) {
    if (how == TDVXFileOpen::OpenExisting) {
      error = {ENOENT, "cannot open '" + name + "': no such file"};
      return nullptr;
    }
    it = files_.emplace(name, std::make_shared<Node>()).first;
  }
  Node& node = *it->second;
  if (access == TDVXFileAccess::ReadWrite && node.readOnly) {
    error = {EACCES, "cannot open '" + name + "': read-only"};
    return nullptr;
  }
  bool exclusive = share == TDVXFileShare::Exclusive;
  if (node.exclusiveOpens > 0 || (exclusive && node.sharedOpens > 0)) {
    error = {EWOULDBLOCK, "file '" + name + "' is in use by another program"};
    return nullptr;
  }
  if (how == TDVXFileOpen::CreateOrTruncate) {
    node.current.clear();
  }
  (exclusive ? node.exclusiveOpens : node.sharedOpens)++;
  return std::make_unique<TDVXMemoryFile>(*this, it->second, name, access == TDVXFileAccess::ReadWrite,
                                          exclusive);
}

bool TDVXMemoryFileSystem::Exists(const std::string& name) {
  std::lock_guard<std::mutex> guard(lock_);
  return files_.count(name) != 0;
}

bool TDVXMemoryFileSystem::IsReadOnly(const std::string& name) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = files_.find(name);
  return it != files_.end() && it->second->readOnly;
}

bool TDVXMemoryFileSystem::SetReadOnly(const std::string& name, bool readOnly) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = files_.find(name);
  if (it == files_.end()) return false;
  it->second->readOnly = readOnly;
  return true;
}

bool TDVXMemoryFileSystem::Remove(const std::string& name) {
  std::lock_guard<std::mutex> guard(lock_);
  return files_.erase(name) != 0;
}

bool TDVXMemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = files_.find(from);
  if (it == files_.end()) return false;
  auto node = it->second;
  files_.erase(it);
  files_[to] = node;
  return true;
}

void TDVXMemoryFileSystem::FailNthWrite(int n) { std::lock_guard<std::mutex> g(lock_); failWrite_ = n; }
void TDVXMemoryFileSystem::FailNthFlush(int n) { std::lock_guard<std::mutex> g(lock_); failFlush_ = n; }
void TDVXMemoryFileSystem::FailNthRead(int n) { std::lock_guard<std::mutex> g(lock_); failRead_ = n; }

bool TDVXMemoryFileSystem::PowerOff() {
  ++mutations_;
  return cutAt_ > 0 && mutations_ >= cutAt_;
}

void TDVXMemoryFileSystem::CutPowerAt(int n) {
  std::lock_guard<std::mutex> g(lock_);
  cutAt_ = n > 0 ? mutations_ + n : 0;
}

void TDVXMemoryFileSystem::RestorePower() {
  std::lock_guard<std::mutex> g(lock_);
  cutAt_ = 0;
}

int TDVXMemoryFileSystem::MutationCount() const {
  std::lock_guard<std::mutex> g(lock_);
  return mutations_;
}

void TDVXMemoryFileSystem::Crash() {
  std::lock_guard<std::mutex> guard(lock_);
  for (auto& [name, node] : files_) node->current = node->durable;
}

std::vector<uint8_t> TDVXMemoryFileSystem::Contents(const std::string& name) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = files_.find(name);
  return it == files_.end() ? std::vector<uint8_t>() : it->second->current;
}

void TDVXMemoryFileSystem::SetContents(const std::string& name, std::vector<uint8_t> bytes) {
  std::lock_guard<std::mutex> guard(lock_);
  auto& node = files_[name];
  if (!node) node = std::make_shared<Node>();
  node->current = bytes;
  node->durable = std::move(bytes);
}

int TDVXMemoryFileSystem::WriteCount() const { std::lock_guard<std::mutex> g(lock_); return writes_; }
int TDVXMemoryFileSystem::FlushCount() const { std::lock_guard<std::mutex> g(lock_); return flushes_; }

}  // namespace dvx
