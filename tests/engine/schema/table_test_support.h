#pragma once
// Helpers shared by the table definition tests.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/platform/random.h"
#include "engine/core/stream.h"

namespace dvx::testing {

// Hands out the numbers it was given, in order, then zeros.
class TDVXScriptedRandom : public TDVXRandom {
 public:
  explicit TDVXScriptedRandom(std::deque<uint32_t> values) : values_(std::move(values)) {}
  uint32_t Next(uint32_t range) override {
    ranges.push_back(range);
    if (values_.empty()) return 0;
    uint32_t v = values_.front();
    values_.pop_front();
    return v % range;
  }
  void Fill(void* buffer, size_t count) override { std::memset(buffer, 0, count); }
  std::vector<uint32_t> ranges;

 private:
  std::deque<uint32_t> values_;
};

// Little-endian builder for expected images.
class Bytes {
 public:
  Bytes& U8(uint8_t v) {
    data_.push_back(v);
    return *this;
  }
  Bytes& I32(int32_t v) {
    for (int i = 0; i < 4; ++i) data_.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
    return *this;
  }
  Bytes& I64(int64_t v) {
    for (int i = 0; i < 8; ++i) data_.push_back(static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i)));
    return *this;
  }
  Bytes& Text(const std::string& s) {
    data_.insert(data_.end(), s.begin(), s.end());
    return *this;
  }
  Bytes& Short(const std::string& s) { return U8(static_cast<uint8_t>(s.size())).Text(s); }
  const std::vector<uint8_t>& data() const { return data_; }
  operator std::vector<uint8_t>() const { return data_; }

 private:
  std::vector<uint8_t> data_;
};

template <typename T>
std::vector<uint8_t> SavedBytes(const T& object) {
  TDVXMemoryStream s;
  object.SaveToStream(s);
  return s.Bytes();
}

}  // namespace dvx::testing
