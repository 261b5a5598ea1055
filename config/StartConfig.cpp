#include "config/StartConfig.h"

#include <QObject>
#include <memory>

#include "config/Config.h"
#include "platform/qt/Application.h"

namespace brelinde {

void StartConfig() {
  std::unique_ptr<TApplication> owned;
  if (!QApplication::instance()) owned = std::make_unique<TApplication>();
  TConfig config;
  // The dialog is the main window: when it closes, the application ends.
  QObject::connect(&config, &QDialog::finished, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
  config.show();
  QApplication::exec();
}

}  // namespace brelinde
