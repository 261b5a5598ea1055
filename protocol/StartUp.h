// Start-up: parse the command line, run exactly one mode, and report an error that stops it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace brelinde {

struct StartUpModes {
  std::function<void()> change_password;
  std::function<void()> start_show;
  std::function<void()> start_config;
  // Shows the report of an error that stopped start-up (box and stderr).
  std::function<void(const std::string& report)> report_error;
};

// Returns the process exit code: 0 when the started mode has ended, 1 when start-up stopped.
int RunStartUp(const std::vector<std::string>& args, const StartUpModes& modes);

}  // namespace brelinde
