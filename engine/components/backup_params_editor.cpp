#include "engine/components/backup_params_editor.h"

namespace dvx {

void TDVXBackupParamsEditor::Assign(const TDVXBackupParamsEditor& source) {
  compressionAlgorithm_ = source.compressionAlgorithm_;
  compressionMode_ = source.compressionMode_;
  cryptoParams_.Assign(source.cryptoParams_);
  description_ = source.description_;
  blockSize_ = source.blockSize_;
}

}  // namespace dvx
