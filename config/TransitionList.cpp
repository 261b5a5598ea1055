#include "config/TransitionList.h"

#include <QComboBox>
#include <QSize>
#include <QStyledItemDelegate>

#include "show/TransitionCatalogue.h"

namespace brelinde {

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

}  // namespace brelinde
