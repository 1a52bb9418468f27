// The 40 parameters the effect adds, as data: what parameter set-up hands the host, row by row in index order.
#pragma once

#include <span>
#include <string_view>

#include "AE_Effect.h"

namespace vorlane::effect {

// A slider's range; float sliders narrow it to single precision.
struct ValueRange {
    double min = 0.0;
    double max = 0.0;
};

// A popup's choices separated by "|", and how many there are, counted when the table is compiled. Converts from the
// string so that a row names only the string.
struct PopupChoices {
    const char* names = nullptr;
    A_short count = 0;

    constexpr PopupChoices() = default;
    constexpr PopupChoices(const char* choice_names) : names(choice_names), count(count_of(choice_names)) {}

  private:
    static constexpr A_short count_of(std::string_view names) {
        A_short count = 1;
        for (const char c : names) {
            count = static_cast<A_short>(count + (c == '|' ? 1 : 0));
        }
        return count;
    }
};

struct ParamRow {
    PF_ParamIndex index = 0;     // also the disk id; of the first copy when the row repeats
    const char* name = nullptr;  // the name itself, or its stem before the copy number; null for the group end
    int copies = 1;              // 1, or one per layer slot
    PF_ParamType param_type = PF_Param_RESERVED;
    PF_ParamFlags flags = 0;
    ValueRange valid{};   // sliders only
    ValueRange slider{};  // sliders only
    // The default: a number, a popup choice counted from 1, 0 or 1 for a checkbox, degrees for the angle, the mask
    // number for the path.
    double dephault = 0.0;
    PF_ValueDisplayFlags display_flags = PF_ValueDisplayFlag_NONE;
    PopupChoices choices{};         // popups only
    const char* caption = nullptr;  // the button's or beside the checkbox
};

// Every row, in index order. The strings live as long as the module.
std::span<const ParamRow> param_rows();

inline constexpr A_short kFloatSliderPrecision = 1;
inline constexpr PF_FpShort kCurveTolerance = 0.05f;

}  // namespace vorlane::effect
