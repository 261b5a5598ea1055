// The settings dialog's transition list, filled from the one catalogue table.
#pragma once

class QComboBox;

namespace brelinde {

// Puts the 25 transition names into list, entry i for effect index i, each row row_height
// pixels high when the list is open.
void FillTransitionList(QComboBox* list, int row_height);

}  // namespace brelinde
