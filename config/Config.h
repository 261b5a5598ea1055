// TConfig, the settings dialog: the transition between pictures, an info picture, links, the
// credits and download tips. Its controls are the form data of Config.ui; its behaviour lives in
// the event handlers below.
#pragma once

#include <QDialog>
#include <memory>

class QWindow;
namespace Ui {
class TConfig;
}

namespace brelinde {

class TConfig : public QDialog {
  Q_OBJECT

 public:
  // Creates the dialog from its form data and runs FormCreate; owned by ParentWindow when that
  // names a window. Throws EWindowError when ParentWindow names no window.
  explicit TConfig(QWidget* parent = nullptr);
  ~TConfig() override;

  void setVisible(bool visible) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CreateParams();
  void FormCreate();
  void FormClose();
  void LoadSettings();
  void SaveSettings();
  void Button9Click();
  void Button10Click();

  // Link handlers: each opens one web page and leaves the dialog open.
  void Image1Click();
  void Image3Click();
  void Image7Click();
  void Image8Click();
  void Image5Click();
  void Image6Click();
  void StaticText5Click();
  void StaticText1Click();
  void Button1Click();
  void Image13Click();
  void Image12Click();
  void Image11Click();

  // Runs an event handler under the platform's per-message error report.
  void Handle(void (TConfig::*handler)());
  void FillForm();
  void ConnectHandlers();

  std::unique_ptr<Ui::TConfig> ui_;
  std::unique_ptr<QWindow> owner_;  // the host window, when the platform can name a foreign one
};

}  // namespace brelinde
