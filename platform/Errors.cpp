#include "platform/Errors.h"

#include <vector>

namespace brelinde {

std::string Format(std::string_view fmt, std::initializer_list<std::string_view> args) {
  std::string out;
  auto next = args.begin();
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] == '%' && i + 1 < fmt.size() && (fmt[i + 1] == 's' || fmt[i + 1] == 'd') &&
        next != args.end()) {
      out += *next++;
      ++i;
    } else {
      out += fmt[i];
    }
  }
  return out;
}

std::string Format(std::string_view fmt, std::string_view arg) { return Format(fmt, {arg}); }

std::string Format(std::string_view fmt, long long arg) {
  return Format(fmt, {std::string_view(std::to_string(arg))});
}

std::string StartUpErrorReport(const Exception& e, std::string_view module) {
  return Format("Exception %s in Modul %s.\n%s", {e.ClassName(), module, e.what()});
}

}  // namespace brelinde
