#pragma once
// The hook where encryption sits in the page path. The disk page manager
// runs every transfer of page-area bytes (whole pages, partial transfers,
// direct internal-file transfers, bitmap pages) through a TDVXPageCipher
// when the database is encrypted. `position` is the transfer's byte
// position relative to HeaderOffset, so an encrypted database can be moved
// within the file that holds it.
#include <cstddef>
#include <cstdint>

namespace dvx {

class TDVXPageCipher {
 public:
  virtual ~TDVXPageCipher() = default;
  // `in` and `out` may be the same buffer.
  virtual void Encrypt(uint64_t position, const uint8_t* in, uint8_t* out, size_t count) = 0;
  virtual void Decrypt(uint64_t position, const uint8_t* in, uint8_t* out, size_t count) = 0;
};

}  // namespace dvx
