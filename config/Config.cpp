#include "config/Config.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QPointer>
#include <QSize>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QWindow>
#include <array>
#include <optional>
#include <string>

#include "platform/qt/X11Windows.h"
#include "config/Links.h"
#include "config/SettingsStore.h"
#include "pictures/JpegDecode.h"
#include "pictures/Resources.h"
#include "platform/Errors.h"
#include "platform/System.h"
#include "platform/Forms.h"
#include "protocol/ScreenSaver.h"
#include "show/TransitionCatalogue.h"
#include "ui_Config.h"

// The pictures stored with the form live in a static library: their registration must be asked
// for, or the linker drops it. (Outside any namespace, as the resource system requires.)
static void InitDialogResources() { Q_INIT_RESOURCE(dialog); }

namespace brelinde {
namespace {

constexpr const char* kProductName = "Kaltvor - Brelinde";
constexpr const char* kMakerName = "Kaltvor";
constexpr int kComboRowHeight = 13;
constexpr int kMemoLineHeight = 13;

// The form's font does not exist outside Windows; the metric twin of the grotesque it was drawn
// with comes first, then the usual stand-ins.
void SubstituteFormFont() {
  static const bool done = [] {
    QFont::insertSubstitutions("MS Sans Serif",
                               {"Nimbus Sans", "Liberation Sans", "Arial", "Helvetica", "DejaVu Sans"});
    return true;
  }();
  (void)done;
}

// The form's places were laid out for the classic Windows look: a group box's frame runs through
// its caption, so a picture 14 pixels down lies inside the frame. The dialog wears that look on
// every desktop; one instance serves the whole run and goes with the application object.
QStyle* FormStyle() {
  static QPointer<QStyle> style;
  if (!style) {
    style = QStyleFactory::create(QStringLiteral("Windows"));
    if (style) style->setParent(qApp);
  }
  return style;
}

void ApplyFormStyle(QWidget* form) {
  QStyle* style = FormStyle();
  if (!style) return;
  form->setStyle(style);
  for (QWidget* control : form->findChildren<QWidget*>()) control->setStyle(style);
}

// Memo1's 20 lines: seven letter-spaced headings, each with its value and an empty line between.
std::array<QString, 20> CreditLines() {
  const QString year = QString::fromLatin1(BRELINDE_RELEASE_DATE).left(4);
  return {
      "N a m e",
      kProductName,
      "",
      "V e r s i o n",
      BRELINDE_VERSION,
      "",
      "R e l e a s e",
      BRELINDE_RELEASE_DATE,
      "",
      "T y p e",
      "Freeware",
      "",
      "F o t o s",
      kMakerName,  // covered by StaticText1
      "",
      "C o d i n g ,   D e s i g n",
      kMakerName,  // covered by StaticText5
      "",
      "C o p y r i g h t",
      QString::fromUtf8("© %1 %2; photographs © their authors").arg(year, kMakerName),
  };
}

// Puts the 25 transition names into list, entry i for effect index i, each row row_height
// pixels high when the list is open.
void FillTransitionList(QComboBox* list, int row_height) {
  // A plain list with rows of fixed height.
  list->setItemDelegate(new QStyledItemDelegate(list));
  for (size_t i = 0; i < kTransitionNames.size(); ++i) {
    const std::string_view name = kTransitionNames[i];
    list->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    list->setItemData(static_cast<int>(i), QSize(0, row_height), Qt::SizeHintRole);
  }
  list->setCurrentIndex(-1);
}

QPixmap ToPixmap(const DecodedImage& image) {
  const QImage view(image.pixels.data(), image.width, image.height, image.stride,
                    QImage::Format_RGB888);
  return QPixmap::fromImage(view.copy());
}

void OpenPage(std::string_view url) {
  // The desktop opens the page; whether it could is not the dialog's concern.
  (void)Sys().OpenUrl(std::string(url));
}

}  // namespace

TConfig::TConfig(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TConfig>()) {
  InitDialogResources();
  SubstituteFormFont();
  ui_->setupUi(this);
  // A dialog border with a title and no border icons at all.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  FillForm();
  ApplyFormStyle(this);
  ConnectHandlers();
  CreateParams();
  Handle(&TConfig::FormCreate);
  // Centred on the screen when shown.
  QRect frame({0, 0}, size());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) frame.moveCenter(screen->geometry().center());
  move(frame.topLeft());
}

TConfig::~TConfig() {
  if (QWindow* window = windowHandle()) window->setTransientParent(nullptr);
}

// The parts of the form data that come from tables of the program rather than from Config.ui.
void TConfig::FillForm() {
  // (Filling the list also makes its pop-up window now, so that the form's look, given to every
  // control afterwards, reaches it too.)
  FillTransitionList(ui_->comboEffekt, kComboRowHeight);

  QTextDocument* memo = ui_->Memo1->document();
  memo->setDocumentMargin(0);
  QTextBlockFormat line;
  line.setAlignment(Qt::AlignHCenter);
  line.setLineHeight(kMemoLineHeight, QTextBlockFormat::FixedHeight);
  QTextCursor cursor(memo);
  bool first = true;
  for (const QString& text : CreditLines()) {
    if (first) cursor.setBlockFormat(line);
    else cursor.insertBlock(line);
    cursor.insertText(text);
    first = false;
  }
  ui_->Memo1->viewport()->setCursor(Qt::ArrowCursor);
}

void TConfig::ConnectHandlers() {
  const auto on_click = [this](TClickLabel* control, void (TConfig::*handler)()) {
    connect(control, &TClickLabel::clicked, this, [this, handler] { Handle(handler); });
  };
  on_click(ui_->Image1, &TConfig::Image1Click);
  on_click(ui_->Image3, &TConfig::Image3Click);
  on_click(ui_->Image4, &TConfig::StaticText5Click);
  on_click(ui_->Image5, &TConfig::Image5Click);
  on_click(ui_->Image6, &TConfig::Image6Click);
  on_click(ui_->Image7, &TConfig::Image7Click);
  on_click(ui_->Image8, &TConfig::Image8Click);
  on_click(ui_->Image9, &TConfig::Image5Click);
  on_click(ui_->Image10, &TConfig::StaticText5Click);
  on_click(ui_->StaticText1, &TConfig::StaticText1Click);
  on_click(ui_->StaticText5, &TConfig::StaticText5Click);
  on_click(ui_->Image13, &TConfig::Image13Click);
  on_click(ui_->Image12, &TConfig::Image12Click);
  on_click(ui_->Image11, &TConfig::Image11Click);
  connect(ui_->Button1, &QPushButton::clicked, this, [this] { Handle(&TConfig::Button1Click); });
  connect(ui_->Button9, &QPushButton::clicked, this, [this] { Handle(&TConfig::Button9Click); });
  connect(ui_->Button10, &QPushButton::clicked, this, [this] { Handle(&TConfig::Button10Click); });
}

// Qt must never be unwound by an exception, so every handler meets the platform's per-message
// report at its own boundary: the error box is shown, the handler does not resume, the run goes on.
void TConfig::Handle(void (TConfig::*handler)()) {
  Guarded([&] { (this->*handler)(); });
}

// With a host window the dialog behaves as that window's modal dialog: owned by it, the host
// disabled, and no task-bar entry of its own.
void TConfig::CreateParams() {
  if (ParentWindow == 0) return;
  if (!Sys().GetWindowRect(ParentWindow)) {
    throw EWindowError(Format(msg::kNoSuchWindow, static_cast<long long>(ParentWindow)));
  }
  owner_ = ForeignWindow(ParentWindow);
  if (owner_) {
    winId();  // the native window must exist to be given an owner
    windowHandle()->setTransientParent(owner_.get());
  }
  (void)Sys().EnableWindow(ParentWindow, false);
}

void TConfig::setVisible(bool visible) {
  QDialog::setVisible(visible);
  if (visible && owner_) DropTaskBarEntry(winId());
}

void TConfig::FormCreate() {
  const DecodedImage info = DecodeJpeg(ResourceBytes(kInfoPictureId), PixelFormat::RGB24);
  ui_->Image1->SetPicture(ToPixmap(info));
  LoadSettings();
  setWindowTitle(kProductName);
}

void TConfig::LoadSettings() {
  ui_->PageControl1->setCurrentWidget(ui_->t4);
  const int32_t effect = ReadStoredEffect();
  // An index the list does not have selects nothing.
  ui_->comboEffekt->setCurrentIndex(effect >= 0 && effect < ui_->comboEffekt->count() ? effect : -1);
}

void TConfig::SaveSettings() {
  std::optional<int32_t> page;
  const QWidget* active = ui_->PageControl1->currentWidget();
  if (active == ui_->t1) page = 1;
  else if (active == ui_->t2) page = 2;
  else if (active == ui_->t3) page = 3;
  SaveStoredSettings(page, ui_->comboEffekt->currentIndex());
}

void TConfig::Button9Click() {
  SaveSettings();
  close();
}

void TConfig::Button10Click() { close(); }

void TConfig::closeEvent(QCloseEvent* event) {
  Handle(&TConfig::FormClose);
  QDialog::closeEvent(event);
}

void TConfig::FormClose() {
  if (ParentWindow == 0) return;
  (void)Sys().EnableWindow(ParentWindow, true);
  (void)Sys().SetForegroundWindow(ParentWindow);
}

void TConfig::keyPressEvent(QKeyEvent* event) {
  // Escape is bound to no button: the dialog stays open.
  if (event->matches(QKeySequence::Cancel)) {
    event->ignore();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TConfig::Image1Click() { OpenPage(links::kImage1Click); }
void TConfig::Image3Click() { OpenPage(links::kImage3Click); }
void TConfig::Image7Click() { OpenPage(links::kImage7Click); }
void TConfig::Image8Click() { OpenPage(links::kImage8Click); }
void TConfig::Image5Click() { OpenPage(links::kImage5Click); }
void TConfig::Image6Click() { OpenPage(links::kImage6Click); }
void TConfig::StaticText5Click() { OpenPage(links::kStaticText5Click); }
void TConfig::StaticText1Click() { OpenPage(links::kStaticText1Click); }
void TConfig::Button1Click() { OpenPage(links::kButton1Click); }
void TConfig::Image13Click() { OpenPage(links::kImage13Click); }
void TConfig::Image12Click() { OpenPage(links::kImage12Click); }
void TConfig::Image11Click() { OpenPage(links::kImage11Click); }

}  // namespace brelinde
