#pragma once
// TDVXConnectionParamsEditor: how a database component would reach a
// database server: host and ports, the database's name on the server, the
// compression and encryption of the traffic, the server's identifier and
// the network settings. A local database never uses them; the component
// carries them so that a design keeps its values.
#include <cstdint>
#include <string>

#include "engine/components/client_network_settings_editor.h"
#include "engine/components/crypto_params_editor.h"
#include "engine/storage/compression/compressor.h"

namespace dvx {

class TDVXConnectionParamsEditor {
 public:
  static constexpr const char* kDefaultRemoteHost = "127.0.0.1";
  static constexpr int32_t kDefaultRemotePort = 12007;
  static constexpr int32_t kDefaultLocalPort = 12008;
  static constexpr const char* kDefaultDatabaseName = "SampleDB";
  static constexpr uint8_t kDefaultCompressionMode = 1;

  const std::string& RemoteHost() const { return remoteHost_; }
  void SetRemoteHost(const std::string& value) { remoteHost_ = value; }
  int32_t RemotePort() const { return remotePort_; }
  void SetRemotePort(int32_t value) { remotePort_ = value; }
  int32_t LocalPort() const { return localPort_; }
  void SetLocalPort(int32_t value) { localPort_ = value; }
  const std::string& DatabaseName() const { return databaseName_; }
  void SetDatabaseName(const std::string& value) { databaseName_ = value; }
  TCompressionAlgorithm CompressionAlgorithm() const { return compressionAlgorithm_; }
  void SetCompressionAlgorithm(TCompressionAlgorithm value) { compressionAlgorithm_ = value; }
  uint8_t CompressionMode() const { return compressionMode_; }
  void SetCompressionMode(uint8_t value) { compressionMode_ = value; }
  TDVXCryptoParamsEditor& CryptoParams() { return cryptoParams_; }
  const TDVXCryptoParamsEditor& CryptoParams() const { return cryptoParams_; }
  int32_t ServerID() const { return serverID_; }
  void SetServerID(int32_t value) { serverID_ = value; }
  TDVXClientNetworkSettingsEditor& NetworkSettings() { return networkSettings_; }
  const TDVXClientNetworkSettingsEditor& NetworkSettings() const { return networkSettings_; }

  void Assign(const TDVXConnectionParamsEditor& source);

 private:
  std::string remoteHost_ = kDefaultRemoteHost;
  int32_t remotePort_ = kDefaultRemotePort;
  int32_t localPort_ = kDefaultLocalPort;
  std::string databaseName_ = kDefaultDatabaseName;
  TCompressionAlgorithm compressionAlgorithm_ = caNone;
  uint8_t compressionMode_ = kDefaultCompressionMode;
  TDVXCryptoParamsEditor cryptoParams_;
  int32_t serverID_ = 0;
  TDVXClientNetworkSettingsEditor networkSettings_;
};

}  // namespace dvx
