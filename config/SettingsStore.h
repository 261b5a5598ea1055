// The settings key and the store logic of the show's ReadEffect and the dialog's LoadSettings and
// SaveSettings. Every call opens the key with creation (the result of the open is ignored, so a
// key that cannot be made simply finds nothing), works on it and closes it, also when it throws.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "show/TransitionCatalogue.h"

namespace brelinde {

inline constexpr std::string_view kSettingsKey = "Software\\Kaltvor\\Kaltvor - Brelinde";
inline constexpr std::string_view kEffectValue = "Effect";
inline constexpr std::string_view kActiveTabSheetValue = "ActiveTabSheet";

// The stored effect index, unchanged whatever its range; kDefaultEffect when "Effect" is absent.
// Throws ERegistryException when "Effect" is no REG_DWORD.
int32_t ReadStoredEffect();

// Writes "ActiveTabSheet" (1 Options, 2 Links, 3 About; nullopt for the Tips page, which writes
// nothing), then "Effect". A failing write throws ERegistryException and nothing after it is
// written. A page number outside 1 to 3 is a caller's mistake: std::invalid_argument, nothing
// written.
void SaveStoredSettings(std::optional<int32_t> active_tab_sheet, int32_t effect);

}  // namespace brelinde
