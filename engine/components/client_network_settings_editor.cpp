#include "engine/components/client_network_settings_editor.h"

namespace dvx {

void TDVXClientNetworkSettingsEditor::SetPacketSize(int32_t value) {
  if (value >= kMinPacketSize && value <= kMaxPacketSize) packetSize_ = value;
}

}  // namespace dvx
