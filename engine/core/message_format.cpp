#include "engine/core/message_format.h"

#include <cstdio>
#include <vector>

namespace dvx {
namespace {

struct Placeholder {
  bool leftAlign = false;
  bool zeroPad = false;
  int width = 0;
  int precision = -1;
};

std::string Pad(std::string body, const Placeholder& ph, bool numeric) {
  if (static_cast<int>(body.size()) >= ph.width) return body;
  size_t fill = static_cast<size_t>(ph.width) - body.size();
  if (ph.leftAlign) return body + std::string(fill, ' ');
  if (ph.zeroPad && numeric) {
    size_t signLen = (!body.empty() && (body[0] == '-' || body[0] == '+')) ? 1 : 0;
    return body.substr(0, signLen) + std::string(fill, '0') + body.substr(signLen);
  }
  return std::string(fill, ' ') + body;
}

std::string Hex(int64_t value, bool wide) {
  uint64_t bits = wide ? static_cast<uint64_t>(value) : static_cast<uint32_t>(value);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(bits));
  return buf;
}

}  // namespace

std::optional<std::string> FormatMessage(std::string_view format, TDVXFormatArgs args) {
  std::vector<const TDVXFormatArg*> list;
  for (const auto& a : args) list.push_back(&a);
  size_t next = 0;
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%') {
      out += c;
      continue;
    }
    if (++i >= format.size()) return std::nullopt;
    if (format[i] == '%') {
      out += '%';
      continue;
    }
    Placeholder ph;
    while (i < format.size() && (format[i] == '-' || format[i] == '0')) {
      if (format[i] == '-') ph.leftAlign = true;
      if (format[i] == '0') ph.zeroPad = true;
      ++i;
    }
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
      ph.width = ph.width * 10 + (format[i] - '0');
      if (ph.width > 1000) return std::nullopt;
      ++i;
    }
    if (i < format.size() && format[i] == '.') {
      ++i;
      ph.precision = 0;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
        ph.precision = ph.precision * 10 + (format[i] - '0');
        if (ph.precision > 100) return std::nullopt;
        ++i;
      }
    }
    if (i >= format.size()) return std::nullopt;
    if (next >= list.size()) return std::nullopt;
    const TDVXFormatArg& arg = *list[next++];
    using K = TDVXFormatArg::Kind;
    switch (format[i]) {
      case 'd':
      case 'u':
        if (arg.kind() != K::Int32 && arg.kind() != K::Int64) return std::nullopt;
        out += Pad(std::to_string(arg.AsInt()), ph, true);
        break;
      case 'x':
        if (arg.kind() != K::Int32 && arg.kind() != K::Int64) return std::nullopt;
        out += Pad(Hex(arg.AsInt(), arg.kind() == K::Int64), ph, true);
        break;
      case 's': {
        if (arg.kind() != K::Text) return std::nullopt;
        std::string text = arg.AsText();
        if (ph.precision >= 0 && text.size() > static_cast<size_t>(ph.precision))
          text.resize(static_cast<size_t>(ph.precision));
        out += Pad(text, ph, false);
        break;
      }
      case 'f': {
        if (arg.kind() != K::Real) return std::nullopt;
        char buf[400];
        std::snprintf(buf, sizeof buf, "%.*f", ph.precision < 0 ? 2 : ph.precision, arg.AsReal());
        out += Pad(buf, ph, true);
        break;
      }
      default:
        return std::nullopt;
    }
  }
  if (next != list.size()) return std::nullopt;
  return out;
}

}  // namespace dvx
