// The settings dialog, driven through its controls the way a user drives it (QTest, offscreen).
// The hive is the real SQLite file in a temp folder, watched by a thin wrapper that records every
// write in order and can refuse to create the settings key.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "config/Config.h"
#include "config/DialogControls.h"
#include "config/Links.h"
#include "config/SettingsStore.h"
#include "config/StartConfig.h"
#include "platform/Errors.h"
#include "platform/FakeSystem.h"
#include "platform/Registry.h"
#include "platform/SqliteHive.h"
#include "platform/Forms.h"
#include "platform/qt/Application.h"
#include "protocol/ScreenSaver.h"
#include "protocol/StartUp.h"
#include "show/TransitionCatalogue.h"
#include "tests/support/TestFolders.h"

namespace brelinde {
namespace {

const std::string kKey(kSettingsKey);

// The real hive, with a record of every write and a switch that makes the settings key
// impossible to create (so every write fails, as when the hive cannot be written).
class WatchedHive : public Hive {
 public:
  explicit WatchedHive(std::string path) : inner_(std::move(path)) {}

  std::vector<std::string> writes;
  bool refuse_create = false;
  SqliteHive& Inner() { return inner_; }

  std::optional<std::string> FindKey(const std::string& key) override { return inner_.FindKey(key); }
  std::optional<std::string> CreateKey(const std::string& key) override {
    if (refuse_create) return std::nullopt;
    return inner_.CreateKey(key);
  }
  std::optional<RegValue> GetValue(const std::string& key, const std::string& name) override {
    return inner_.GetValue(key, name);
  }
  bool SetValue(const std::string& key, const std::string& name, const RegValue& value) override {
    writes.push_back(name + "=" + Describe(value));
    return inner_.SetValue(key, name, value);
  }
  std::vector<std::string> SubKeyNames(const std::string& key) override { return inner_.SubKeyNames(key); }
  std::vector<std::pair<std::string, RegValue>> Values(const std::string& key) override {
    return inner_.Values(key);
  }
  bool DeleteValue(const std::string& key, const std::string& name) override {
    return inner_.DeleteValue(key, name);
  }
  bool DeleteKey(const std::string& key) override { return inner_.DeleteKey(key); }
  std::string LastError() const override { return inner_.LastError(); }

  // "23" for a REG_DWORD, "type N" for anything else.
  static std::string Describe(const RegValue& value) {
    if (value.type != REG_DWORD || value.data.size() != 4) return "type " + std::to_string(value.type);
    return std::to_string(static_cast<int32_t>(DwordBits(value.data)));
  }

 private:
  SqliteHive inner_;
};

class DialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!QApplication::instance()) new TApplication();  // lives for the whole program
  }

  void SetUp() override {
    hive_ = std::make_unique<WatchedHive>(dir_.Path() + "/registry.db");
    SetHive(hive_.get());
    ParentWindow = 0;
    SetApplicationExceptionHandler([this](const std::exception& e) { errors_.push_back(e.what()); });
  }

  void TearDown() override {
    SetApplicationExceptionHandler(TApplication::ShowException);
    SetHive(nullptr);
    ParentWindow = 0;
  }

  // What the settings key holds, as the store would write it; before any dialog runs.
  void Store(const std::string& name, int32_t value) {
    TRegistry reg;
    reg.OpenKey(kKey, true);
    reg.WriteInteger(name, value);
    hive_->writes.clear();
  }

  std::optional<std::string> Stored(const std::string& name) {
    auto value = hive_->Inner().GetValue(kKey, name);
    if (!value) return std::nullopt;
    return WatchedHive::Describe(*value);
  }

  std::unique_ptr<TConfig> Open() {
    auto dialog = std::make_unique<TConfig>();
    dialog->show();
    dialog->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    return dialog;
  }

  template <class T = QWidget>
  static T* Control(QWidget* dialog, const char* name) {
    T* control = dialog->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  static void ShowPage(QWidget* dialog, const char* page) {
    auto* pages = Control<QTabWidget>(dialog, "PageControl1");
    pages->setCurrentWidget(Control(dialog, page));
  }

  static void Click(QWidget* dialog, const char* name) {
    QTest::mouseClick(Control(dialog, name), Qt::LeftButton);
  }

  // The key goes where the keyboard's input goes: the focused control, else the dialog.
  static void Press(QWidget* dialog, Qt::Key key) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : dialog;
    QTest::keyClick(target, key);
  }

  // Nothing may reach the user's own hive.
  test_support::TempConfigHome dir_{"brelinde-dialog"};
  std::unique_ptr<WatchedHive> hive_;
  std::vector<std::string> errors_;
  ScopedFakeSystem sys_;
};

// ---- The form as declared ------------------------------------------------------------------

struct Placement {
  const char* name;
  const char* parent;
  int x, y, w, h;
};

TEST_F(DialogTest, EveryControlSitsAtItsDeclaredPlaceInsideItsParent) {
  const Placement placements[] = {
      {"PageControl1", "Config", 5, 5, 502, 354}, {"Panel1", "Config", 0, 360, 513, 41},
      {"Button9", "Panel1", 332, 8, 83, 25},      {"Button10", "Panel1", 424, 8, 83, 25},
      {"GroupBox4", "t1", 4, 3, 485, 54},         {"comboEffekt", "GroupBox4", 10, 20, 447, 21},
      {"GroupBox10", "t1", 4, 60, 485, 261},      {"Image1", "GroupBox10", 12, 14, 445, 241},
      {"Image2", "t2", 4, 8, 486, 313},           {"Image3", "t2", 8, 16, 289, 65},
      {"Image4", "t2", 8, 80, 289, 65},           {"Image5", "t2", 8, 144, 289, 65},
      {"Image6", "t2", 8, 208, 289, 65},          {"Image7", "t2", 8, 272, 289, 22},
      {"Image8", "t2", 8, 294, 289, 22},          {"Image9", "t2", 296, 16, 193, 305},
      {"AboutShape4", "t3", 4, 8, 486, 310},      {"Memo1", "t3", 6, 32, 323, 273},
      {"Image10", "t3", 344, 100, 100, 100},      {"Button1", "t3", 344, 229, 100, 25},
      {"StaticText1", "t3", 124, 201, 89, 17},    {"StaticText5", "t3", 124, 240, 89, 17},
      {"Image14", "t4", 4, 8, 486, 313},          {"Image13", "t4", 16, 14, 465, 137},
      {"Image12", "t4", 16, 176, 217, 137},       {"Image11", "t4", 256, 176, 225, 137},
  };
  auto dialog = Open();
  EXPECT_EQ(dialog->objectName(), "Config");
  EXPECT_EQ(dialog->size(), QSize(513, 401));
  EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << "the border is not resizable";
  for (const char* page : {"t1", "t2", "t3", "t4"}) {
    ShowPage(dialog.get(), page);
    for (const Placement& p : placements) {
      QWidget* control = Control(dialog.get(), p.name);
      if (!control || !control->isVisibleTo(dialog.get())) continue;
      SCOPED_TRACE(p.name);
      EXPECT_EQ(control->parentWidget()->objectName(), p.parent);
      EXPECT_EQ(control->geometry(), QRect(p.x, p.y, p.w, p.h));
      // Nothing is clipped: every control lies wholly inside what its parent shows.
      EXPECT_TRUE(control->parentWidget()->rect().contains(control->geometry()))
          << "parent is " << control->parentWidget()->width() << "x" << control->parentWidget()->height();
    }
  }
}

TEST_F(DialogTest, CaptionsFontAndBorderAreThoseOfTheForm) {
  auto dialog = Open();
  auto* pages = Control<QTabWidget>(dialog.get(), "PageControl1");
  ASSERT_EQ(pages->count(), 4);
  const char* titles[] = {"Options", "Links", "About", "Tips"};
  const char* names[] = {"t1", "t2", "t3", "t4"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(pages->tabText(i), titles[i]);
    EXPECT_EQ(pages->widget(i)->objectName(), names[i]);
  }
  EXPECT_EQ(Control<QGroupBox>(dialog.get(), "GroupBox4")->title(), " Transition  ");
  EXPECT_EQ(Control<QGroupBox>(dialog.get(), "GroupBox10")->title(), " Info  ");
  EXPECT_EQ(Control<QPushButton>(dialog.get(), "Button9")->text(), "OK");
  EXPECT_EQ(Control<QPushButton>(dialog.get(), "Button10")->text(), "Abbrechen");
  EXPECT_EQ(Control<QPushButton>(dialog.get(), "Button1")->text(), "Donate...");
  EXPECT_EQ(Control<QLabel>(dialog.get(), "StaticText1")->text(), "Kaltvor");
  EXPECT_EQ(Control<QLabel>(dialog.get(), "StaticText5")->text(), "Kaltvor");
  EXPECT_TRUE(Control<QPushButton>(dialog.get(), "Button9")->isDefault());

  // 8 points, in the nearest font the machine has to the form's own, on every control (the
  // list's pop-up, a window of its own, included).
  EXPECT_EQ(dialog->font().family(), "MS Sans Serif");
  EXPECT_EQ(dialog->font().pointSize(), 8);
  const QFontInfo form_font(dialog->font());
  EXPECT_EQ(form_font.pointSize(), 8);
  QList<QWidget*> controls = dialog->findChildren<QWidget*>();
  controls.append(Control<QComboBox>(dialog.get(), "comboEffekt")->view());
  for (QWidget* control : controls) {
    const QFontInfo font(control->font());
    EXPECT_EQ(font.family(), form_font.family()) << control->objectName().toStdString();
    EXPECT_EQ(font.pointSize(), 8) << control->objectName().toStdString();
  }

  // A title bar with no border icons at all.
  const Qt::WindowFlags flags = dialog->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_FALSE(flags & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                        Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

  // The pictures stored with the form, the decoded info picture, auto-size at work.
  for (auto [name, size] : {std::pair{"Image1", QSize(445, 241)}, {"Image2", QSize(486, 313)},
                            {"Image14", QSize(486, 313)}, {"Image10", QSize(100, 100)}}) {
    const QPixmap picture = Control<QLabel>(dialog.get(), name)->pixmap();
    EXPECT_EQ(picture.size(), size) << name;
  }
  for (const char* hot : {"Image3", "Image9", "Image11", "Image13"}) {
    EXPECT_TRUE(Control<QLabel>(dialog.get(), hot)->pixmap().isNull()) << hot << " draws nothing";
  }
}

TEST_F(DialogTest, TheCreditsLineUpWithTheMakerLinks) {
  auto dialog = Open();
  auto* memo = Control<QTextEdit>(dialog.get(), "Memo1");
  const QStringList lines = memo->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 20);
  EXPECT_EQ(lines[0], "N a m e");
  EXPECT_EQ(lines[1], "Kaltvor - Brelinde");
  EXPECT_EQ(lines[4], BRELINDE_VERSION);
  EXPECT_EQ(lines[15], "C o d i n g ,   D e s i g n");
  EXPECT_TRUE(memo->isReadOnly());
  EXPECT_FALSE(memo->focusPolicy() & Qt::TabFocus);
  EXPECT_EQ(memo->viewport()->cursor().shape(), Qt::ArrowCursor);
  // Line k lies at y = 32 + 13k on the page, so the two links cover lines 13 and 16.
  ShowPage(dialog.get(), "t3");
  const auto line_top = [memo](int k) {
    const QTextBlock block = memo->document()->findBlockByNumber(k);
    const QRectF box = memo->document()->documentLayout()->blockBoundingRect(block);
    return memo->mapTo(memo->parentWidget(), memo->viewport()->mapTo(memo, box.topLeft().toPoint())).y();
  };
  for (int k = 0; k < 20; ++k) EXPECT_EQ(line_top(k), 32 + 13 * k) << "line " << k;
  for (auto [line, link] : {std::pair{13, "StaticText1"}, {16, "StaticText5"}}) {
    const QWidget* label = Control(dialog.get(), link);
    EXPECT_EQ(label->y(), line_top(line)) << link;
    EXPECT_GE(label->geometry().bottom() + 1, line_top(line) + 13) << link;
    EXPECT_LE(label->geometry().bottom() + 1, line_top(line + 2)) << link << " reaches the next heading";
  }
}

TEST_F(DialogTest, TheTransitionListHoldsTheCatalogueNamesAndShowsTwentyRowsWhenOpen) {
  TConfig dialog;
  dialog.show();
  auto* combo = dialog.findChild<QComboBox*>("comboEffekt");
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(combo->count(), static_cast<int>(kTransitionNames.size()));
  for (int i = 0; i < combo->count(); ++i) {
    EXPECT_EQ(combo->itemText(i).toStdString(), kTransitionNames[static_cast<size_t>(i)]);
  }
  EXPECT_EQ(combo->currentIndex(), kDefaultEffect);
  EXPECT_FALSE(combo->isEditable()) << "a drop-down list takes no typing";
  EXPECT_EQ(combo->maxVisibleItems(), 20);
  combo->showPopup();
  QAbstractItemView* view = combo->view();
  EXPECT_EQ(view->sizeHintForRow(0), 13);
  EXPECT_GE(view->height(), 20 * 13);
  EXPECT_LT(view->height(), 21 * 13) << "twenty rows, not all 25";
  combo->hidePopup();
}

// ---- Opening: page, caption, selection ---------------------------------------------------------

TEST_F(DialogTest, OpensOnTheTipsPageWhateverPageWasStored) {
  for (int stored : {0, 1, 2, 3}) {
    SCOPED_TRACE(stored);
    if (stored) Store("ActiveTabSheet", stored);
    auto dialog = Open();
    EXPECT_EQ(Control<QTabWidget>(dialog.get(), "PageControl1")->currentWidget()->objectName(), "t4");
    EXPECT_EQ(dialog->windowTitle(), "Kaltvor - Brelinde");
  }
  EXPECT_TRUE(errors_.empty());
}

struct StoredEffectCase {
  std::optional<int32_t> stored;
  int selected;
  const char* shown;
  const char* stored_by_ok;
};

TEST_F(DialogTest, TheStoredEffectSelectsItsEntryAndOkStoresTheSelection) {
  const StoredEffectCase cases[] = {
      {std::nullopt, 23, "Fade", "23"}, {24, 24, "Random", "24"}, {0, 0, "Box in", "0"},
      {25, -1, "", "-1"},               {-1, -1, "", "-1"},       {5, 5, "Wipe down", "5"},
  };
  for (const StoredEffectCase& c : cases) {
    SCOPED_TRACE(c.stored.value_or(999));
    TearDown();
    SetUp();
    if (c.stored) Store("Effect", *c.stored);
    auto dialog = Open();
    auto* combo = Control<QComboBox>(dialog.get(), "comboEffekt");
    EXPECT_EQ(combo->currentIndex(), c.selected);
    EXPECT_EQ(combo->currentText(), c.shown);
    Click(dialog.get(), "Button9");
    EXPECT_EQ(Stored("Effect"), c.stored_by_ok);
    EXPECT_TRUE(errors_.empty());
  }
}

TEST_F(DialogTest, NothingStoredLeavesAnEmptySettingsKeyAndShowsFade) {
  auto dialog = Open();
  EXPECT_EQ(Control<QComboBox>(dialog.get(), "comboEffekt")->currentText(), "Fade");
  EXPECT_TRUE(hive_->Inner().FindKey(kKey).has_value());
  EXPECT_TRUE(hive_->Inner().Values(kKey).empty());
  EXPECT_TRUE(hive_->writes.empty());
}

// ---- Confirming and cancelling ----------------------------------------------------------------

struct PageCase {
  const char* page;
  std::vector<std::string> writes;
};

TEST_F(DialogTest, OkOnEachPageWritesExactlyThePageNumberThenTheEffect) {
  const PageCase cases[] = {
      {"t1", {"ActiveTabSheet=1", "Effect=7"}},
      {"t2", {"ActiveTabSheet=2", "Effect=7"}},
      {"t3", {"ActiveTabSheet=3", "Effect=7"}},
      {"t4", {"Effect=7"}},
  };
  for (const PageCase& c : cases) {
    SCOPED_TRACE(c.page);
    TearDown();
    SetUp();
    auto dialog = Open();
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    Control<QComboBox>(dialog.get(), "comboEffekt")->setCurrentIndex(7);
    ShowPage(dialog.get(), c.page);
    Click(dialog.get(), "Button9");
    EXPECT_EQ(hive_->writes, c.writes);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(finished.count(), 1) << "the main window closed, so the application ends";
  }
}

TEST_F(DialogTest, OkOnTheTipsPageKeepsTheEarlierPageNumber) {
  Store("ActiveTabSheet", 2);
  auto dialog = Open();
  Click(dialog.get(), "Button9");
  EXPECT_EQ(Stored("ActiveTabSheet"), "2");
  EXPECT_EQ(Stored("Effect"), "23");
}

TEST_F(DialogTest, AbbrechenClosesAndWritesNothing) {
  Store("Effect", 3);
  auto dialog = Open();
  QSignalSpy finished(dialog.get(), &QDialog::finished);
  Control<QComboBox>(dialog.get(), "comboEffekt")->setCurrentIndex(9);
  ShowPage(dialog.get(), "t1");
  Click(dialog.get(), "Button10");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(finished.count(), 1);
  EXPECT_TRUE(hive_->writes.empty());
  EXPECT_EQ(Stored("Effect"), "3");
}

TEST_F(DialogTest, EscapeNeitherClosesNorWrites) {
  auto dialog = Open();
  for (const char* page : {"t1", "t4"}) {
    ShowPage(dialog.get(), page);
    Press(dialog.get(), Qt::Key_Escape);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
  }
  QApplication::processEvents();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(hive_->writes.empty());
}

TEST_F(DialogTest, EnterPressesOk) {
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    SCOPED_TRACE(key);
    TearDown();
    SetUp();
    auto dialog = Open();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    Press(dialog.get(), key);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(hive_->writes, std::vector<std::string>{"Effect=23"});
  }
}

TEST_F(DialogTest, EnterInTheTransitionListPressesOk) {
  auto dialog = Open();
  ShowPage(dialog.get(), "t1");
  auto* combo = Control<QComboBox>(dialog.get(), "comboEffekt");
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Down);  // the next entry, as the arrow key picks it
  QTest::keyClick(combo, Qt::Key_Return);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(hive_->writes, (std::vector<std::string>{"ActiveTabSheet=1", "Effect=24"}));
}

TEST_F(DialogTest, TheTabOrderTakesAbbrechenBeforeOk) {
  auto dialog = Open();
  QWidget* cancel = Control(dialog.get(), "Button10");
  QWidget* next = cancel->nextInFocusChain();
  while (next && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
  EXPECT_EQ(next, Control(dialog.get(), "Button9"));
}

// ---- Links ----------------------------------------------------------------------------------

struct LinkCase {
  const char* page;
  const char* control;
  std::string_view url;  // empty: the spot opens nothing
};

TEST_F(DialogTest, EveryHotAreaAndLinkOpensItsPageAndStoresNothing) {
  const LinkCase cases[] = {
      {"t1", "Image1", links::kImage1Click},
      {"t2", "Image3", links::kImage3Click},
      {"t2", "Image4", links::kStaticText5Click},
      {"t2", "Image5", links::kImage5Click},
      {"t2", "Image6", links::kImage6Click},
      {"t2", "Image7", links::kImage7Click},
      {"t2", "Image8", links::kImage8Click},
      {"t2", "Image9", links::kImage5Click},
      {"t3", "Image10", links::kStaticText5Click},
      {"t3", "StaticText1", links::kStaticText1Click},
      {"t3", "StaticText5", links::kStaticText5Click},
      {"t3", "Button1", links::kButton1Click},
      {"t4", "Image13", links::kImage13Click},
      {"t4", "Image12", links::kImage12Click},
      {"t4", "Image11", links::kImage11Click},
  };
  auto dialog = Open();
  for (const LinkCase& c : cases) {
    SCOPED_TRACE(c.control);
    sys_->opened_urls.clear();
    ShowPage(dialog.get(), c.page);
    // Click where the control lies on its page, so whatever is on top there takes the click.
    QWidget* page = Control(dialog.get(), c.page);
    QWidget* control = Control(dialog.get(), c.control);
    const QPoint spot = control->mapTo(page, control->rect().center());
    QWidget* hit = page->childAt(spot);
    ASSERT_EQ(hit, control) << "covered by " << (hit ? hit->objectName().toStdString() : "nothing");
    QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(page, spot));
    EXPECT_EQ(sys_->opened_urls, std::vector<std::string>{std::string(c.url)});
    EXPECT_TRUE(dialog->isVisible());
  }
  EXPECT_TRUE(hive_->writes.empty());
}

TEST_F(DialogTest, ThePicturesOutsideTheHotAreasOpenNothing) {
  auto dialog = Open();
  for (auto [page, spot] : {std::pair{"t2", QPoint(6, 10)}, {"t2", QPoint(100, 318)},
                            {"t4", QPoint(8, 160)}, {"t4", QPoint(240, 250)}, {"t3", QPoint(400, 40)}}) {
    ShowPage(dialog.get(), page);
    QWidget* hit = Control(dialog.get(), page)->childAt(spot);
    ASSERT_NE(hit, nullptr);
    QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(Control(dialog.get(), page), spot));
    EXPECT_TRUE(sys_->opened_urls.empty()) << hit->objectName().toStdString() << " opened a page";
  }
}

TEST_F(DialogTest, AClickNeedsPressAndReleaseOnTheSameControl) {
  auto dialog = Open();
  ShowPage(dialog.get(), "t4");
  QWidget* area = Control(dialog.get(), "Image13");
  QTest::mousePress(area, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(-20, 5));  // let go outside
  QTest::mouseClick(area, Qt::RightButton);
  EXPECT_TRUE(sys_->opened_urls.empty());
}

TEST_F(DialogTest, TheTwelvePagesAllDiffer) {
  const std::set<std::string_view> pages = {
      links::kImage1Click,      links::kImage3Click,      links::kImage7Click,  links::kImage8Click,
      links::kImage5Click,      links::kImage6Click,      links::kStaticText5Click,
      links::kStaticText1Click, links::kButton1Click,     links::kImage13Click, links::kImage12Click,
      links::kImage11Click,
  };
  EXPECT_EQ(pages.size(), 12u);
}

// ---- Failures -------------------------------------------------------------------------------

TEST_F(DialogTest, AFailingSaveShowsTheRegistryErrorAndTheDialogStaysOpen) {
  const std::pair<const char*, const char*> cases[] = {
      {"t1", "Fehler beim Setzen der Daten für 'ActiveTabSheet'"},
      {"t3", "Fehler beim Setzen der Daten für 'ActiveTabSheet'"},
      {"t4", "Fehler beim Setzen der Daten für 'Effect'"},
  };
  ParentWindow = 4242;
  sys_->windows[4242] = TRect{0, 0, 800, 600};
  hive_->refuse_create = true;
  auto dialog = Open();
  EXPECT_EQ(Control<QComboBox>(dialog.get(), "comboEffekt")->currentText(), "Fade");
  for (auto [page, message] : cases) {
    SCOPED_TRACE(page);
    errors_.clear();
    ShowPage(dialog.get(), page);
    Click(dialog.get(), "Button9");
    EXPECT_EQ(errors_, std::vector<std::string>{message});
    EXPECT_TRUE(dialog->isVisible());
  }
  EXPECT_EQ(sys_->log, std::vector<std::string>{"EnableWindow 4242 false"}) << "the host stays disabled";

  // Still usable: once the hive takes writes again, OK stores and closes.
  hive_->refuse_create = false;
  Click(dialog.get(), "Button9");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(Stored("Effect"), "23");
}

TEST_F(DialogTest, AWronglyTypedEffectIsReportedOnceAndOkReplacesIt) {
  {
    TRegistry reg;
    reg.OpenKey(kKey, true);
    reg.WriteString("Effect", "abc");
  }
  auto dialog = Open();
  EXPECT_EQ(errors_, std::vector<std::string>{"Ungültiger Datentyp für 'Effect'"});
  EXPECT_EQ(dialog->windowTitle(), "Vorlage");
  EXPECT_EQ(Control<QComboBox>(dialog.get(), "comboEffekt")->currentIndex(), -1);
  EXPECT_EQ(Control<QTabWidget>(dialog.get(), "PageControl1")->currentWidget()->objectName(), "t4");
  EXPECT_EQ(Control<QLabel>(dialog.get(), "Image1")->pixmap().size(), QSize(445, 241));
  Click(dialog.get(), "Button9");
  EXPECT_EQ(errors_.size(), 1u);
  EXPECT_EQ(Stored("Effect"), "-1");
  EXPECT_FALSE(dialog->isVisible());
}

// ---- The host window ----------------------------------------------------------------------------

TEST_F(DialogTest, AHostWindowIsDisabledWhileOpenAndActivatedAfterEitherButton) {
  for (const char* button : {"Button9", "Button10"}) {
    SCOPED_TRACE(button);
    sys_->log.clear();
    ParentWindow = 1234;
    sys_->windows[1234] = TRect{10, 10, 400, 300};
    auto dialog = Open();
    EXPECT_EQ(sys_->log, std::vector<std::string>{"EnableWindow 1234 false"});
    Click(dialog.get(), button);
    EXPECT_EQ(sys_->log, (std::vector<std::string>{"EnableWindow 1234 false", "EnableWindow 1234 true",
                                                   "SetForegroundWindow 1234"}));
  }
}

TEST_F(DialogTest, WithoutAHostNothingIsDisabledOrActivated) {
  auto dialog = Open();
  Click(dialog.get(), "Button10");
  EXPECT_TRUE(sys_->log.empty());
}

TEST_F(DialogTest, AHostHandleThatNamesNoWindowStopsTheCreation) {
  ParentWindow = 999;
  try {
    TConfig dialog;
    FAIL() << "created";
  } catch (const EWindowError& e) {
    EXPECT_STREQ(e.what(), "Das Fenster 999 existiert nicht.");
  }
  EXPECT_TRUE(sys_->log.empty()) << "nothing disabled";
}

// ---- StartConfig and the dispatch ----------------------------------------------------------------

struct DispatchCase {
  std::vector<std::string> args;
  WindowHandle parent;
};

TEST_F(DialogTest, TheConfigurationCommandLinesRunTheDialogUntilItCloses) {
  const DispatchCase cases[] = {
      {{"brelinde"}, 0},
      {{"brelinde", "/c"}, 77},  // the foreground window owns it
      {{"brelinde", "/c:0"}, 0},
      {{"brelinde", "/x"}, 0},
      {{"brelinde", "/help", "123"}, 0},
  };
  for (const DispatchCase& c : cases) {
    SCOPED_TRACE(c.args.back());
    sys_->log.clear();
    sys_->foreground = 77;
    sys_->windows[77] = TRect{0, 0, 100, 100};
    bool started = false;
    StartUpModes modes;
    modes.change_password = [] { FAIL(); };
    modes.start_show = [] { FAIL(); };
    modes.report_error = [](const std::string& report) { FAIL() << report; };
    modes.start_config = [&] {
      started = true;
      QTimer::singleShot(0, [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
          if (window->objectName() == "Config" && window->isVisible()) {
            QTest::mouseClick(window->findChild<QPushButton*>("Button10"), Qt::LeftButton);
          }
        }
      });
      StartConfig();
    };
    EXPECT_EQ(RunStartUp(c.args, modes), 0);
    EXPECT_TRUE(started);
    EXPECT_EQ(ParentWindow, c.parent);
    if (c.parent) {
      EXPECT_EQ(sys_->log, (std::vector<std::string>{"EnableWindow 77 false", "EnableWindow 77 true",
                                                     "SetForegroundWindow 77"}));
    } else {
      EXPECT_TRUE(sys_->log.empty());
    }
  }
  EXPECT_TRUE(hive_->writes.empty());
}

TEST_F(DialogTest, AnOwnerThatIsGoneEndsStartUpWithTheWindowError) {
  std::string report;
  StartUpModes modes;
  modes.start_config = [] { StartConfig(); };
  modes.report_error = [&](const std::string& r) { report = r; };
  EXPECT_EQ(RunStartUp({"brelinde", "/c:555"}, modes), 1);
  EXPECT_NE(report.find("EWindowError"), std::string::npos) << report;
  EXPECT_NE(report.find("Das Fenster 555 existiert nicht."), std::string::npos) << report;
}

}  // namespace
}  // namespace brelinde
