#include "config/SettingsStore.h"

#include <stdexcept>
#include <string>

#include "platform/Registry.h"

namespace brelinde {

int32_t ReadStoredEffect() {
  TRegistry reg;
  reg.OpenKey(std::string(kSettingsKey), true);
  const std::string effect(kEffectValue);
  if (reg.ValueExists(effect)) return reg.ReadInteger(effect);
  return kDefaultEffect;
}

void SaveStoredSettings(std::optional<int32_t> active_tab_sheet, int32_t effect) {
  if (active_tab_sheet && (*active_tab_sheet < 1 || *active_tab_sheet > 3)) {
    throw std::invalid_argument("ActiveTabSheet must be 1, 2 or 3, not " +
                                std::to_string(*active_tab_sheet));
  }
  TRegistry reg;
  reg.OpenKey(std::string(kSettingsKey), true);
  if (active_tab_sheet) reg.WriteInteger(std::string(kActiveTabSheetValue), *active_tab_sheet);
  reg.WriteInteger(std::string(kEffectValue), effect);
}

}  // namespace brelinde
