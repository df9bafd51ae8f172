#pragma once
// Object names across the component boundary.
//
// The components speak UTF-8, as every program above them writes text:
// table, field and index names, the field lists of indexes, of locates
// and of lookups, and filter texts. The engine stores and compares names
// as Windows-1252 bytes (engine/core/locale.h). Every name handed down to
// the engine goes through EngineName (filter texts through
// EngineFilterText), every name read from the engine's definitions
// through HostName; nothing else in the components converts names.
//
// A name that Windows-1252 cannot hold is refused rather than replaced:
// a '?' in its place would name another object, or none. Bytes that are
// no UTF-8 at all (a caller still passing Windows-1252) are refused with a
// message of their own, showing them as the Windows-1252 text they
// probably are.
#include <cstdint>
#include <string>
#include <string_view>

namespace dvx {

constexpr int32_t kErrNameNotAnsi = 31350;
constexpr const char* kMsgNameNotAnsi = "Name '%s' has characters that Windows-1252 cannot hold";
constexpr int32_t kErrNameNotUtf8 = 31351;
constexpr const char* kMsgNameNotUtf8 = "Name '%s' is not UTF-8 text";
constexpr int32_t kErrFilterNotAnsi = 31352;
constexpr const char* kMsgFilterNotAnsi = "Filter '%s' has characters that Windows-1252 cannot hold";
constexpr int32_t kErrFilterNotUtf8 = 31353;
constexpr const char* kMsgFilterNotUtf8 = "Filter '%s' is not UTF-8 text";

// The engine's form of a UTF-8 name or list of names; EDVXException
// (31350, 31351) naming it when it has none.
std::string EngineName(std::string_view utf8);
// The same for the text of a filter expression (31352, 31353).
std::string EngineFilterText(std::string_view utf8);
// The UTF-8 form of a name the engine holds.
std::string HostName(std::string_view ansi);
// Whether two UTF-8 names are the same without regard to case, as the
// engine compares the names they stand for.
bool SameHostName(std::string_view a, std::string_view b);

}  // namespace dvx
