#pragma once
// Names of engine objects (tables, fields, indexes) as the component layer
// takes them. The window writes its names in UTF-8; the components compare
// and store them as Windows-1252 bytes ("Abkürzung" is "Abk\xFCrzung"), so
// every name the window hands to a component passes through EngineName.
#include <string>
#include <string_view>

#include "engine/core/locale.h"

namespace fendra {

inline std::string EngineName(std::string_view utf8) { return dvx::Utf8ToAnsi(utf8); }

}  // namespace fendra
