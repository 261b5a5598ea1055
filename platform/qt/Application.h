// The application object: one per process, with the per-message error report.
#pragma once

#include <QApplication>
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
  // The error box; the application's report of handler errors (ApplicationExceptionHandler in
  // platform/Forms.h) unless something else was installed, as tests do to observe them.
  static void ShowException(const std::exception& e);
};

// Start-up's error report: on stderr, and in a box titled "Anwendungsfehler" where a display is.
void ReportStartUpError(const std::string& report);

}  // namespace brelinde
