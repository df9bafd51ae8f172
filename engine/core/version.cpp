#include "engine/core/version.h"
namespace dvx {
const char* const kEngineVersionText = "4.20";
}
