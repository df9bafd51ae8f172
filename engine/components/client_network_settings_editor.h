#pragma once
// TDVXClientNetworkSettingsEditor: the network settings of a client
// connection to a database server: packet size, threads, and the retry
// counts, delays and time-outs (milliseconds) of connecting, sending and
// receiving. No local operation uses them; a database component carries
// them so that a design keeps its values.
#include <cstdint>

namespace dvx {

class TDVXClientNetworkSettingsEditor {
 public:
  static constexpr int32_t kDefaultPacketSize = 8192;
  static constexpr int32_t kMinPacketSize = 128;
  static constexpr int32_t kMaxPacketSize = 65507;  // the largest UDP payload

  int32_t PacketSize() const { return packetSize_; }
  // Values outside 128 ... 65507 are ignored.
  void SetPacketSize(int32_t value);
  int32_t MaxThreadCount() const { return maxThreadCount_; }
  void SetMaxThreadCount(int32_t value) { maxThreadCount_ = value; }
  bool ConnectionParamsTunning() const { return connectionParamsTunning_; }
  void SetConnectionParamsTunning(bool value) { connectionParamsTunning_ = value; }
  int32_t TestPacketCount() const { return testPacketCount_; }
  void SetTestPacketCount(int32_t value) { testPacketCount_ = value; }
  int32_t DisconnectRetryCount() const { return disconnectRetryCount_; }
  void SetDisconnectRetryCount(int32_t value) { disconnectRetryCount_ = value; }
  int32_t DisconnectDelay() const { return disconnectDelay_; }
  void SetDisconnectDelay(int32_t value) { disconnectDelay_ = value; }
  int32_t ConnectRetryCount() const { return connectRetryCount_; }
  void SetConnectRetryCount(int32_t value) { connectRetryCount_ = value; }
  int32_t ConnectDelay() const { return connectDelay_; }
  void SetConnectDelay(int32_t value) { connectDelay_ = value; }
  int32_t StartReceiveTimeOut() const { return startReceiveTimeOut_; }
  void SetStartReceiveTimeOut(int32_t value) { startReceiveTimeOut_ = value; }
  int32_t ReceiveTimeOut() const { return receiveTimeOut_; }
  void SetReceiveTimeOut(int32_t value) { receiveTimeOut_ = value; }
  int32_t ReceiveSleep() const { return receiveSleep_; }
  void SetReceiveSleep(int32_t value) { receiveSleep_ = value; }
  int32_t MinSendTimeOut() const { return minSendTimeOut_; }
  void SetMinSendTimeOut(int32_t value) { minSendTimeOut_ = value; }
  int32_t SendTimeOut() const { return sendTimeOut_; }
  void SetSendTimeOut(int32_t value) { sendTimeOut_ = value; }
  int32_t WaitForSendSleep() const { return waitForSendSleep_; }
  void SetWaitForSendSleep(int32_t value) { waitForSendSleep_ = value; }
  int32_t ResendDelay() const { return resendDelay_; }
  void SetResendDelay(int32_t value) { resendDelay_ = value; }
  int32_t RequestDelay() const { return requestDelay_; }
  void SetRequestDelay(int32_t value) { requestDelay_ = value; }
  int32_t WaitForTimeOut() const { return waitForTimeOut_; }
  void SetWaitForTimeOut(int32_t value) { waitForTimeOut_ = value; }
  int32_t ThreadsTerminateDelay() const { return threadsTerminateDelay_; }
  void SetThreadsTerminateDelay(int32_t value) { threadsTerminateDelay_ = value; }

  void Assign(const TDVXClientNetworkSettingsEditor& source) { *this = source; }

 private:
  int32_t packetSize_ = kDefaultPacketSize;
  int32_t maxThreadCount_ = 100;
  bool connectionParamsTunning_ = false;
  int32_t testPacketCount_ = 8;
  int32_t disconnectRetryCount_ = 12;
  int32_t disconnectDelay_ = 300;
  int32_t connectRetryCount_ = 20;
  int32_t connectDelay_ = 500;
  int32_t startReceiveTimeOut_ = 60000;
  int32_t receiveTimeOut_ = 600000;
  int32_t receiveSleep_ = 1;
  int32_t minSendTimeOut_ = 10000;
  int32_t sendTimeOut_ = 180000;
  int32_t waitForSendSleep_ = 0;
  int32_t resendDelay_ = 300;
  int32_t requestDelay_ = 300;
  int32_t waitForTimeOut_ = 120000;
  int32_t threadsTerminateDelay_ = 30000;
};

}  // namespace dvx
