// The settings dialog's transition list against the one catalogue table.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>

#include "config/Config.h"
#include "platform/qt/Application.h"
#include "show/TransitionCatalogue.h"
#include "tests/support/TestFolders.h"

namespace brelinde {
namespace {

TEST(DialogList, HoldsTheCatalogueNamesAndShowsTwentyRowsWhenOpen) {
  if (!QApplication::instance()) new TApplication();  // lives for the whole program
  // A fresh hive, never the user's.
  const test_support::TempConfigHome home("brelinde-dialog-list");
  {
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
}

}  // namespace
}  // namespace brelinde
