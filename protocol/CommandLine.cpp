#include "protocol/CommandLine.h"

#include "platform/Errors.h"
#include "platform/System.h"
#include "protocol/ScreenSaver.h"

namespace brelinde {
namespace {

bool IsSeparatorChar(char c) { return static_cast<unsigned char>(c) <= ' '; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view raw) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = raw.size();
  for (;;) {
    for (;;) {
      while (i < n && IsSeparatorChar(raw[i])) ++i;
      if (i + 1 < n && raw[i] == '"' && raw[i + 1] == '"') {
        i += 2;  // an empty pair of quotes names no argument
      } else {
        break;
      }
    }
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || !IsSeparatorChar(raw[i]))) {
      if (raw[i] == '"') {
        quoted = !quoted;
      } else {
        arg += raw[i];
      }
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::optional<int32_t> TryStrToInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::string_view rest = text.substr(i);
  size_t digits_at = 0;
  bool hex = false;
  if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
    hex = true;
    digits_at = 1;
  } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    hex = true;
    digits_at = 2;
  }
  const std::string_view digits = rest.substr(digits_at);
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    const int d = hex ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (d < 0) return std::nullopt;
    value = value * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  if (hex) {
    // A hexadecimal number is a 32-bit pattern: $FFFFFFFF is -1.
    const uint32_t pattern = static_cast<uint32_t>(value);
    const uint32_t signed_pattern = negative ? (0u - pattern) : pattern;
    return static_cast<int32_t>(signed_pattern);
  }
  if (negative) {
    if (value > 2147483648ull) return std::nullopt;
    return static_cast<int32_t>(-static_cast<int64_t>(value));
  }
  if (value > 2147483647ull) return std::nullopt;
  return static_cast<int32_t>(value);
}

int32_t StrToInt(std::string_view text) {
  if (auto v = TryStrToInt(text)) return *v;
  throw EConvertError(Format(msg::kInvalidInteger, text));
}

void ParseCommandLine(const std::vector<std::string>& args) {
  if (args.size() < 2) {
    RunMode = rmConfig;
    return;
  }
  std::string s = args[1];
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (auto handle = TryStrToInt(s)) {
    ParentWindow = *handle;
    RunMode = rmPreview;
    return;
  }
  while (!s.empty() && (s[0] == ' ' || s[0] == '/' || s[0] == '-')) s.erase(0, 1);
  // A first argument made only of separators names no mode: like any unknown letter, it
  // leaves rmNone, and start-up opens the settings dialog without an owner.
  if (s.empty()) return;

  std::string handle_text;
  if (s.size() >= 2 && s[1] == ':') {
    handle_text = s.substr(2);
  } else if (args.size() >= 3) {
    handle_text = args[2];
  }

  switch (s[0]) {
    case 'A':
      RunMode = rmChangePassword;
      ParentWindow = StrToInt(handle_text);
      break;
    case 'C':
      RunMode = rmConfig;
      ParentWindow = handle_text.empty() ? Sys().GetForegroundWindow() : StrToInt(handle_text);
      break;
    case 'L':
    case 'P':
      RunMode = rmPreview;
      ParentWindow = StrToInt(handle_text);
      break;
    case 'S':
      RunMode = rmSaver;
      break;
    default:
      break;
  }
}

}  // namespace brelinde
