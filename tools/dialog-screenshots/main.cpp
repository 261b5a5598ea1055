// Pictures of the settings dialog's four pages, drawn offscreen, for the documentation:
//   dialog-screenshots [FOLDER]    writes FOLDER/dialog-{options,links,about,tips}.png (FOLDER: docs)
// The dialog reads its settings from a fresh hive in a temp folder, so it shows what a new user
// sees and the user's own settings are never touched.
#include <QDir>
#include <QFontInfo>
#include <QTabWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "config/Config.h"
#include "platform/qt/Application.h"

int main(int argc, char** argv) {
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
  if (argc > 2 || folder.startsWith('-')) {
    std::fprintf(stderr, "usage: dialog-screenshots [FOLDER]\n");
    return 2;
  }
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "dialog-screenshots: cannot create %s\n", qPrintable(folder));
    return 1;
  }
  char hive_dir[] = "/tmp/brelinde-screenshots-XXXXXX";
  if (!::mkdtemp(hive_dir)) {
    std::perror("dialog-screenshots: temp folder");
    return 1;
  }
  ::setenv("XDG_CONFIG_HOME", hive_dir, 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

  int status = 0;
  {
    brelinde::SetApplicationArguments(argc, argv);
    brelinde::TApplication app;
    brelinde::TConfig dialog;
    dialog.show();
    const QFontInfo font(dialog.font());
    std::printf("font: %s, %d pt\n", qPrintable(font.family()), font.pointSize());
    auto* pages = dialog.findChild<QTabWidget*>("PageControl1");
    const char* names[] = {"options", "links", "about", "tips"};
    for (int i = 0; i < pages->count(); ++i) {
      pages->setCurrentIndex(i);
      QApplication::processEvents();
      const QString file = QDir(folder).filePath(QStringLiteral("dialog-%1.png").arg(names[i]));
      if (!dialog.grab().save(file, "PNG")) {
        std::fprintf(stderr, "dialog-screenshots: cannot write %s\n", qPrintable(file));
        status = 1;
      } else {
        std::printf("%s\n", qPrintable(file));
      }
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(hive_dir, ignored);
  return status;
}
