#pragma once
// Names of engine objects (tables, fields, indexes) as the component layer
// takes them. The components speak UTF-8 names, as the window writes them,
// and convert them to the engine's Windows-1252 themselves; every name the
// window hands to a component still passes through EngineName, so the
// window states in one place what form its names take.
#include <string>
#include <string_view>

namespace fendra {

inline std::string EngineName(std::string_view utf8) { return std::string(utf8); }

}  // namespace fendra
