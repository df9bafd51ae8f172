#pragma once
namespace dvx {
// The engine version as the engine reports it ("4.20").
extern const char* const kEngineVersionText;
constexpr double kEngineVersion = 4.2;
}  // namespace dvx
