#pragma once
// The range coder of the PPM code stream: a carry-less coder with a 32-bit
// low end and range, top 2^24 and bottom 2^15.
//
// After every step the coder shifts out the top byte of `low` while it can
// no longer change (low and low + range agree in it) and, when the range has
// shrunk below the bottom without that happening, cuts the range down to
// the next multiple of the bottom so the top byte settles anyway. Hence
//  - range stays >= 2^15 between steps, so a total of at most 2^15 always
//    leaves every interval at least one unit wide;
//  - low + range never passes 2^32, so no carry ever reaches bytes already
//    written;
//  - the decoder repeats the encoder's arithmetic on low and range exactly
//    and so reads exactly the bytes the encoder wrote: the 4 bytes of the
//    final flush plus one per shift.
//
// Neither side trusts its caller: the encoder refuses an interval that is
// empty or outside the total, and the decoder reports a count outside the
// total and any read past the end of its input instead of going on.
#include <cstddef>
#include <cstdint>

namespace dvx {

constexpr uint32_t kRangeTop = 1u << 24;
constexpr uint32_t kRangeBottom = 1u << 15;
// The largest total the coder accepts.
constexpr uint32_t kMaxRangeTotal = kRangeBottom;

class TPpmRangeEncoder {
 public:
  TPpmRangeEncoder(uint8_t* out, size_t capacity) : out_(out), capacity_(capacity) {}

  void Encode(uint32_t cumFreq, uint32_t freq, uint32_t totFreq) {
    if (freq == 0 || totFreq > kMaxRangeTotal || cumFreq + freq > totFreq) {
      failed_ = true;
      return;
    }
    range_ /= totFreq;
    low_ += cumFreq * range_;
    range_ *= freq;
    Normalize();
  }
  // One of two intervals of a total of 2^shift: [0, size0) or [size0, 2^shift).
  void EncodeBit(uint32_t size0, uint32_t shift, bool bit) {
    const uint32_t total = 1u << shift;
    if (bit)
      Encode(size0, total - size0, total);
    else
      Encode(0, size0, total);
  }
  void Flush() {
    for (int i = 0; i < 4; ++i) {
      Put(static_cast<uint8_t>(low_ >> 24));
      low_ <<= 8;
    }
  }

  size_t Size() const { return size_; }
  // The output did not fit or an interval was refused.
  bool Failed() const { return failed_; }

 private:
  void Put(uint8_t byte) {
    if (size_ < capacity_)
      out_[size_++] = byte;
    else
      failed_ = true;
  }
  void Normalize() {
    for (;;) {
      if ((low_ ^ (low_ + range_)) >= kRangeTop) {
        if (range_ >= kRangeBottom) return;
        range_ = (0u - low_) & (kRangeBottom - 1);
      }
      Put(static_cast<uint8_t>(low_ >> 24));
      range_ <<= 8;
      low_ <<= 8;
    }
  }

  uint8_t* out_;
  size_t capacity_;
  size_t size_ = 0;
  uint32_t low_ = 0;
  uint32_t range_ = 0xFFFFFFFFu;
  bool failed_ = false;
};

class TPpmRangeDecoder {
 public:
  TPpmRangeDecoder(const uint8_t* in, size_t size) : in_(in), size_(size) {
    for (int i = 0; i < 4; ++i) code_ = (code_ << 8) | Next();
  }

  // The count of the next symbol within totFreq; a count >= totFreq means
  // the stream is damaged. Decode must follow with the chosen interval.
  uint32_t GetCount(uint32_t totFreq) {
    if (totFreq == 0 || totFreq > kMaxRangeTotal) return totFreq;  // refused like a damaged stream
    range_ /= totFreq;
    return (code_ - low_) / range_;
  }
  void Decode(uint32_t cumFreq, uint32_t freq) {
    low_ += cumFreq * range_;
    range_ *= freq;
    Normalize();
  }
  // 0 or 1 for the two intervals of EncodeBit; -1 for a damaged stream.
  int DecodeBit(uint32_t size0, uint32_t shift) {
    const uint32_t total = 1u << shift;
    const uint32_t count = GetCount(total);
    if (count >= total || size0 == 0 || size0 >= total) return -1;
    if (count < size0) {
      Decode(0, size0);
      return 0;
    }
    Decode(size0, total - size0);
    return 1;
  }

  // The decoder needed bytes beyond the input.
  bool Overrun() const { return overrun_; }
  size_t Consumed() const { return pos_; }

 private:
  uint8_t Next() {
    if (pos_ < size_) return in_[pos_++];
    overrun_ = true;
    return 0;
  }
  void Normalize() {
    for (;;) {
      if ((low_ ^ (low_ + range_)) >= kRangeTop) {
        if (range_ >= kRangeBottom) return;
        range_ = (0u - low_) & (kRangeBottom - 1);
      }
      code_ = (code_ << 8) | Next();
      range_ <<= 8;
      low_ <<= 8;
    }
  }

  const uint8_t* in_;
  size_t size_;
  size_t pos_ = 0;
  uint32_t low_ = 0;
  uint32_t code_ = 0;
  uint32_t range_ = 0xFFFFFFFFu;
  bool overrun_ = false;
};

}  // namespace dvx
