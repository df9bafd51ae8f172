#include "engine/crypto/hashes.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/byte_helpers.h"

namespace dvx {
namespace {

using testing::Pattern;
using testing::ToHex;

struct THashVector {
  TDVXHashKind kind;
  std::string message;
  std::string digest;
};

// RFC 1320 (MD4), RFC 1321 (MD5), RFC 3174 and FIPS 180 (SHA-1, SHA-256)
// and the RIPEMD authors' tables.
const THashVector kVectors[] = {
    {TDVXHashKind::MD4, "", "31d6cfe0d16ae931b73c59d7e0c089c0"},
    {TDVXHashKind::MD4, "a", "bde52cb31de33e46245e05fbdbd6fb24"},
    {TDVXHashKind::MD4, "abc", "a448017aaf21d8525fc10ae87aa6729d"},
    {TDVXHashKind::MD4, "message digest", "d9130a8164549fe818874806e1c7014b"},
    {TDVXHashKind::MD5, "", "d41d8cd98f00b204e9800998ecf8427e"},
    {TDVXHashKind::MD5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
    {TDVXHashKind::MD5, "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {TDVXHashKind::SHA1, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
    {TDVXHashKind::SHA1, "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
    {TDVXHashKind::SHA256, "abc",
     "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {TDVXHashKind::SHA256, "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {TDVXHashKind::RIPEMD128, "", "cdf26213a150dc3ecb610f18f6b38b46"},
    {TDVXHashKind::RIPEMD128, "abc", "c14a12199c66e4ba84636b0f69144c77"},
    {TDVXHashKind::RIPEMD160, "", "9c1185a5c5e9fc54612808977ee8f548b2258d31"},
    {TDVXHashKind::RIPEMD160, "abc", "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc"},
    {TDVXHashKind::RIPEMD256, "",
     "02ba4c4e5f8ecd1877fc52d64d30e37a2d9774fb1e5d026380ae0168e3c5522d"},
    {TDVXHashKind::RIPEMD256, "abc",
     "afbd6e228b9d8cbbcef5ca2d03e6dba10ac0bc7dcbe4680e1e42d2e975459b65"},
    {TDVXHashKind::RIPEMD320, "",
     "22d65d5661536cdc75c1fdf5c6de7b41b9f27325ebc61e8557177d705a0ec880151c3a32a00899b8"},
    {TDVXHashKind::RIPEMD320, "abc",
     "de4c01b3054f8930a79d09ae738e92301e5a17085beffdc1b8d116713e74f82fa942d64cdbc4682d"},
};

TEST(HashKnownAnswer, PublishedVectors) {
  for (const THashVector& v : kVectors) {
    SCOPED_TRACE(static_cast<int>(v.kind));
    SCOPED_TRACE(v.message);
    EXPECT_EQ(ToHex(HashBytes(v.kind, v.message)), v.digest);
    EXPECT_EQ(TDVXHash(v.kind).DigestSize() * 2, v.digest.size());
  }
}

TEST(HashKnownAnswer, Sha1OfAMillionA) {
  TDVXHash hash(TDVXHashKind::SHA1);
  std::string chunk(1000, 'a');
  for (int i = 0; i < 1000; ++i) hash.Update(chunk.data(), chunk.size());
  EXPECT_EQ(ToHex(hash.Final()), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

// Feeding a message in ragged pieces gives the digest of the whole, and
// Final starts the object over.
TEST(HashIncremental, PiecesGiveTheDigestOfTheWholeAndFinalRestarts) {
  std::vector<uint8_t> data = Pattern(1000, 9);
  for (TDVXHashKind kind : {TDVXHashKind::MD4, TDVXHashKind::MD5, TDVXHashKind::SHA1,
                            TDVXHashKind::SHA256, TDVXHashKind::RIPEMD128,
                            TDVXHashKind::RIPEMD160, TDVXHashKind::RIPEMD256,
                            TDVXHashKind::RIPEMD320}) {
    std::vector<uint8_t> whole = HashBytes(kind, data.data(), data.size());
    TDVXHash hash(kind);
    size_t done = 0, step = 1;
    while (done < data.size()) {
      size_t n = std::min(step, data.size() - done);
      hash.Update(data.data() + done, n);
      done += n;
      step = step * 3 + 1;
    }
    EXPECT_EQ(hash.Final(), whole);
    hash.Update("abc", 3);
    EXPECT_EQ(hash.Final(), HashBytes(kind, "abc"));
  }
}

}  // namespace
}  // namespace dvx
