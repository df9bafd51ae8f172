#pragma once
// Names and messages between the command line and the engine. The engine
// keeps names (and writes them into its messages) in Windows-1252; the
// command line and everything dvx prints are UTF-8.
#include <optional>
#include <string>
#include <vector>

namespace dvx::tool {

// The engine's form of a UTF-8 name typed on the command line; nothing when
// it is no UTF-8 or holds a character Windows-1252 cannot show (no stored
// name can then be meant).
std::optional<std::string> EngineName(const std::string& typed);

// The stored name `typed` means, compared as the engine compares names
// (without regard to case); nothing when no name matches.
std::optional<std::string> FindName(const std::vector<std::string>& stored, const std::string& typed);

// A stored name or an engine message as UTF-8 for the output.
std::string Shown(const std::string& engineText);

}  // namespace dvx::tool
