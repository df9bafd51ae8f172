#include "engine/components/connection_params_editor.h"

namespace dvx {

void TDVXConnectionParamsEditor::Assign(const TDVXConnectionParamsEditor& source) {
  remoteHost_ = source.remoteHost_;
  remotePort_ = source.remotePort_;
  localPort_ = source.localPort_;
  databaseName_ = source.databaseName_;
  compressionAlgorithm_ = source.compressionAlgorithm_;
  compressionMode_ = source.compressionMode_;
  cryptoParams_.Assign(source.cryptoParams_);
  serverID_ = source.serverID_;
  networkSettings_.Assign(source.networkSettings_);
}

}  // namespace dvx
