// Start-up: parse the command line, run exactly one mode, exit code.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/StartConfig.h"
#include "platform/Errors.h"
#include "platform/qt/Application.h"
#include "platform/qt/ShowWindow.h"
#include "protocol/ScreenSaver.h"
#include "protocol/StartUp.h"

namespace {

// The toolkit aborts without a display; say so in one line instead.
void RequireDisplay() {
  std::string why;
  if (!brelinde::DisplayAvailable(&why)) {
    std::fprintf(stderr, "brelinde: %s\n", why.c_str());
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  brelinde::SetApplicationArguments(argc, argv);
  const std::vector<std::string> args(argv, argv + argc);
  brelinde::StartUpModes modes;
  modes.change_password = [] { brelinde::ChangePassword(); };
  modes.start_show = [] { RequireDisplay(); brelinde::StartShow(); };
  modes.start_config = [] { RequireDisplay(); brelinde::StartConfig(); };
  modes.report_error = brelinde::ReportStartUpError;
  return brelinde::RunStartUp(args, modes);
}
