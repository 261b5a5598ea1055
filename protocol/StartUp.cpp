#include "protocol/StartUp.h"

#include "platform/Errors.h"
#include "protocol/CommandLine.h"
#include "protocol/ScreenSaver.h"

namespace brelinde {
namespace {

std::string ModuleName(const std::vector<std::string>& args) {
  if (args.empty()) return "brelinde";
  const std::string& path = args[0];
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int RunStartUp(const std::vector<std::string>& args, const StartUpModes& modes) {
  try {
    ParseCommandLine(args);
    switch (RunMode) {
      case rmChangePassword:
        modes.change_password();
        break;
      case rmPreview:
      case rmSaver:
        modes.start_show();
        break;
      case rmNone:
      case rmConfig:
        modes.start_config();
        break;
    }
    return 0;
  } catch (const Exception& e) {
    modes.report_error(StartUpErrorReport(e, ModuleName(args)));
    return 1;
  } catch (const std::exception& e) {
    // Not one of ours (out of memory, say): reported the same way, as the base class.
    modes.report_error(StartUpErrorReport(Exception(e.what()), ModuleName(args)));
    return 1;
  }
}

}  // namespace brelinde
