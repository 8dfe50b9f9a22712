#pragma once

#include <cstddef>
#include <type_traits>
#include <variant>

#include "settings/Settings.h"

namespace detonix {

// Settings unlike the defaults in every value, each row at another point of the range it takes:
// a mixed-up, dropped or rounded value shows. The fractions have no short decimal form.
inline TSettings Unusual() {
  TSettings s;
  for (size_t i = 0; i < SettingRows.size(); ++i) {
    const TSettingRow& row = SettingRows[i];
    // From the low end of the range to the high, a step further for each row.
    const double within = row.Range.Low + (row.Range.High - row.Range.Low) * static_cast<double>(i + 1) /
                                              static_cast<double>(SettingRows.size() + 2);
    std::visit([&]<class T>(T TSettings::* field) {
      if constexpr (std::is_same_v<T, bool>) {
        s.*field = row.Default == 0;
      } else if constexpr (std::is_same_v<T, double>) {
        s.*field = within != row.Default ? within : (within + row.Range.Low) / 2;
      } else if (row.Names == TValueNames::vnCharacters) {
        // The next character after the default.
        const auto next = (static_cast<T>(row.Default) / ImagesPerCharacter + 1) % static_cast<T>(CharacterNames.size());
        s.*field = next * ImagesPerCharacter;
      } else {
        s.*field = static_cast<T>(within) + (static_cast<T>(within) == static_cast<T>(row.Default) ? 1 : 0);
      }
    }, row.Field);
  }
  return s;
}

}  // namespace detonix
