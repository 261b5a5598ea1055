// The application object: one per process, with the per-message error report.
#pragma once

#include <QApplication>
#include <functional>
#include <string>

namespace brelinde {

// Remembers the process arguments for the application object.
void SetApplicationArguments(int argc, char** argv);

// False, with one clear line in *why, when no display can be reached (the toolkit would abort).
bool DisplayAvailable(std::string* why);

// The application object. An error raised while a message is handled is shown in an error box
// titled with the application's title, and the run goes on with the next message.
class TApplication : public QApplication {
 public:
  TApplication();
  bool notify(QObject* receiver, QEvent* event) override;
  static void ShowException(const std::exception& e);
  // Sends ShowException's reports to hook instead of a modal box (tests observe them without
  // blocking); an empty function brings the box back.
  static void SetErrorBoxHook(std::function<void(const std::string& message)> hook);
};

// Start-up's error report: on stderr, and in a box titled "Anwendungsfehler" where a display is.
void ReportStartUpError(const std::string& report);

}  // namespace brelinde
