#pragma once
// TDVXBackupParamsEditor: how a backup of a database is written: its
// compression, its own encryption, a description and the size of the
// blocks it is written in. No local operation of the components uses it;
// a database component carries it so that a design keeps its values.
#include <cstdint>
#include <string>

#include "engine/components/crypto_params_editor.h"
#include "engine/storage/compression/compressor.h"

namespace dvx {

class TDVXBackupParamsEditor {
 public:
  static constexpr uint8_t kDefaultCompressionMode = 1;
  static constexpr int32_t kDefaultBlockSize = 102400;

  TCompressionAlgorithm CompressionAlgorithm() const { return compressionAlgorithm_; }
  void SetCompressionAlgorithm(TCompressionAlgorithm value) { compressionAlgorithm_ = value; }
  uint8_t CompressionMode() const { return compressionMode_; }
  void SetCompressionMode(uint8_t value) { compressionMode_ = value; }
  TDVXCryptoParamsEditor& CryptoParams() { return cryptoParams_; }
  const TDVXCryptoParamsEditor& CryptoParams() const { return cryptoParams_; }
  const std::string& Description() const { return description_; }
  void SetDescription(const std::string& value) { description_ = value; }
  int32_t BlockSize() const { return blockSize_; }
  void SetBlockSize(int32_t value) { blockSize_ = value; }

  void Assign(const TDVXBackupParamsEditor& source);

 private:
  TCompressionAlgorithm compressionAlgorithm_ = caNone;
  uint8_t compressionMode_ = kDefaultCompressionMode;
  TDVXCryptoParamsEditor cryptoParams_;
  std::string description_;
  int32_t blockSize_ = kDefaultBlockSize;
};

}  // namespace dvx
