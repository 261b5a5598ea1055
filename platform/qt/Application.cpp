#include "platform/qt/Application.h"

#include <X11/Xlib.h>

#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/Errors.h"
#include "platform/Forms.h"

namespace brelinde {
namespace {
int g_argc = 1;
char g_program[] = "brelinde";
char* g_default_argv[] = {g_program, nullptr};
char** g_argv = g_default_argv;
constexpr const char* kApplicationTitle = "Brelinde";
}  // namespace

void SetApplicationArguments(int argc, char** argv) {
  // Qt keeps a reference to argc; only the program name is of use to it.
  g_argc = argc > 0 ? 1 : 0;
  g_argv = argv;
}

bool DisplayAvailable(std::string* why) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform && std::string_view(platform).substr(0, 3) != "xcb") return true;
  const char* name = std::getenv("DISPLAY");
  if (name && *name) {
    if (Display* d = XOpenDisplay(name)) {
      XCloseDisplay(d);
      return true;
    }
  }
  if (why) *why = name && *name ? Format(msg::kDisplayUnreachable, name) : std::string(msg::kNoDisplaySet);
  return false;
}

TApplication::TApplication() : QApplication(g_argc, g_argv) {
  setApplicationName(kApplicationTitle);
  setApplicationDisplayName(kApplicationTitle);
  setQuitOnLastWindowClosed(false);
  if (!ApplicationExceptionHandler()) SetApplicationExceptionHandler(ShowException);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    HandleApplicationException(e);
    return true;
  }
}

void TApplication::ShowException(const std::exception& e) {
  std::fprintf(stderr, "brelinde: %s\n", e.what());
  QMessageBox box(QMessageBox::Critical, kApplicationTitle, QString::fromUtf8(e.what()), QMessageBox::Ok);
  box.exec();
}

void ReportStartUpError(const std::string& report) {
  std::fprintf(stderr, "%s\n", report.c_str());
  std::string why;
  if (!DisplayAvailable(&why)) return;
  std::unique_ptr<TApplication> owned;
  if (!QApplication::instance()) owned = std::make_unique<TApplication>();
  QMessageBox box(QMessageBox::Critical, QString::fromUtf8(msg::kApplicationErrorTitle.data(),
                                                           msg::kApplicationErrorTitle.size()),
                  QString::fromStdString(report), QMessageBox::Ok);
  box.exec();
}

}  // namespace brelinde
