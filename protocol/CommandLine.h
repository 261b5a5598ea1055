// The screensaver command line: splitting the raw text into arguments, the integer syntax of
// window handles, and turning the first two arguments into the run mode.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brelinde {

// Splits a raw command line the Windows way: blanks and control characters separate
// arguments, double quotes group and are removed, an empty pair of quotes before an argument is
// skipped. Element 0 is the program.
std::vector<std::string> SplitCommandLine(std::string_view raw);

// Integer syntax: leading blanks, an optional sign, then decimal digits (signed 32-bit range) or
// hexadecimal digits after "$", "X" or "0X" (any 32-bit pattern); nothing after the digits.
std::optional<int32_t> TryStrToInt(std::string_view text);
// As TryStrToInt, but text that is no number raises EConvertError.
int32_t StrToInt(std::string_view text);

// Sets RunMode and ParentWindow from arguments 1 and 2 of args (args[0] is the program).
void ParseCommandLine(const std::vector<std::string>& args);

}  // namespace brelinde
