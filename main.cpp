// Start-up: parse the command line, run exactly one mode, exit code.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/qt/Application.h"
#include "protocol/StartUp.h"

namespace {

[[noreturn]] void ModeNotAvailable(const char* mode) {
  std::fprintf(stderr, "brelinde: %s\n", brelinde::Format(brelinde::msg::kModeNotAvailable, mode).c_str());
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  brelinde::SetApplicationArguments(argc, argv);
  const std::vector<std::string> args(argv, argv + argc);
  brelinde::StartUpModes modes;
  modes.change_password = [] { ModeNotAvailable("Kennwort ändern"); };
  modes.start_show = [] { ModeNotAvailable("Bildschirmschoner"); };
  modes.start_config = [] { ModeNotAvailable("Einstellungen"); };
  modes.report_error = brelinde::ReportStartUpError;
  return brelinde::RunStartUp(args, modes);
}
