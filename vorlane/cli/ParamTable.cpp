#include "cli/ParamTable.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "AE_Macros.h"

namespace vorlane::host {
namespace {

// Module strings are trusted only this far.
constexpr std::size_t kMaxModuleString = 1024;

std::string bounded(const char* text) {
    return text ? std::string(text, strnlen(text, kMaxModuleString)) : "";
}

std::string number(double value, int decimals = -1) {
    char text[48];
    if (decimals < 0) {
        std::snprintf(text, sizeof text, "%g", value);
    } else {
        std::snprintf(text, sizeof text, "%.*f", std::clamp(decimals, 0, 6), value);
    }
    return text;
}

std::string fixed(PF_Fixed value) {
    return number(FIX_2_FLOAT(value));
}

std::string range(const std::string& low, const std::string& high) {
    return low + " .. " + high;
}

std::string type_name(PF_ParamType type) {
    // By type number, from PF_Param_LAYER.
    static constexpr const char* kNames[] = {"layer",        "slider",    "fixed slider", "angle",       "checkbox",
                                             "color",        "point",     "popup",        "custom",      "no data",
                                             "float slider", "arbitrary", "path",         "group start", "group end",
                                             "button",       "reserved",  "reserved",     "point 3d"};
    static_assert(std::size(kNames) == PF_Param_POINT_3D + 1, "a name for every type the interface declares");
    return type >= 0 && type < static_cast<PF_ParamType>(std::size(kNames)) ? kNames[static_cast<std::size_t>(type)]
                                                                            : "type " + std::to_string(type);
}

std::string choice(const char* names, A_long value) {
    const std::string all = bounded(names);
    std::size_t start = 0;
    for (A_long n = 1; start <= all.size(); ++n) {
        const std::size_t end = std::min(all.find('|', start), all.size());
        if (n == value) {
            return all.substr(start, end - start);
        }
        start = end + 1;
    }
    return "no choice";
}

void append_word(std::string& text, const char* word) {
    if (!text.empty()) {
        text.push_back(' ');
    }
    text.append(word);
}

std::string flag_names(const PF_ParamDef& def) {
    // One bit has two names: on a layer parameter it marks a track matte, on any other it asks old projects to keep
    // the value they were saved with.
    const bool layer = def.param_type == PF_Param_LAYER;
    const std::pair<PF_ParamFlags, const char*> kFlags[] = {
        {PF_ParamFlag_SUPERVISE, "SUP"},
        {PF_ParamFlag_CANNOT_TIME_VARY, "CTV"},
        {PF_ParamFlag_COLLAPSE_TWIRLY, "TW"},
        {PF_ParamFlag_CANNOT_INTERP, "CANNOT_INTERP"},
        layer ? std::pair{PF_ParamFlag_LAYER_PARAM_IS_TRACKMATTE, "TRACKMATTE"}
              : std::pair{PF_ParamFlag_USE_VALUE_FOR_OLD_PROJECTS, "OLD_PROJECTS"},
        {PF_ParamFlag_EXCLUDE_FROM_HAVE_INPUTS_CHANGED, "NOT_AN_INPUT"},
        {PF_ParamFlag_SKIP_REVEAL_WHEN_UNHIDDEN, "SKIP_REVEAL"}};
    std::string text;
    PF_ParamFlags rest = def.flags;
    for (const auto& [bit, name] : kFlags) {
        if ((def.flags & bit) != 0) {
            append_word(text, name);
            rest &= ~bit;
        }
    }
    if (rest != 0) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(rest));
        append_word(text, hex);
    }
    if (def.ui_flags != 0) {
        text += (text.empty() ? "ui " : " ui ") + std::to_string(def.ui_flags);
    }
    return text;
}

void fill_values(ParamRow& row, const PF_ParamDef& def) {
    const PF_ParamDefUnion& u = def.u;
    switch (def.param_type) {
        case PF_Param_LAYER:
            row.dephault = u.ld.dephault == PF_LayerDefault_MYSELF ? "this layer"
                           : u.ld.dephault == PF_LayerDefault_NONE ? "none"
                                                                   : std::to_string(u.ld.dephault);
            break;
        case PF_Param_SLIDER:
            row.dephault = std::to_string(u.sd.dephault);
            row.valid_range = range(std::to_string(u.sd.valid_min), std::to_string(u.sd.valid_max));
            row.slider_range = range(std::to_string(u.sd.slider_min), std::to_string(u.sd.slider_max));
            break;
        case PF_Param_FIX_SLIDER:
            row.dephault = fixed(u.fd.dephault);
            row.valid_range = range(fixed(u.fd.valid_min), fixed(u.fd.valid_max));
            row.slider_range = range(fixed(u.fd.slider_min), fixed(u.fd.slider_max));
            break;
        case PF_Param_FLOAT_SLIDER: {
            const std::string unit = (u.fs_d.display_flags & PF_ValueDisplayFlag_PERCENT) ? "%" : "";
            row.dephault = number(static_cast<double>(u.fs_d.dephault), u.fs_d.precision) + unit;
            row.valid_range =
                range(number(static_cast<double>(u.fs_d.valid_min)), number(static_cast<double>(u.fs_d.valid_max)));
            row.slider_range =
                range(number(static_cast<double>(u.fs_d.slider_min)), number(static_cast<double>(u.fs_d.slider_max)));
            break;
        }
        case PF_Param_ANGLE:
            row.dephault = fixed(u.ad.dephault) + " deg";
            break;
        case PF_Param_CHECKBOX:
            row.dephault = u.bd.dephault ? "on" : "off";
            if (const std::string caption = bounded(u.bd.u.nameptr); !caption.empty()) {
                row.dephault += " \"" + caption + "\"";
            }
            break;
        case PF_Param_COLOR: {
            char text[16];
            std::snprintf(text, sizeof text, "#%02X%02X%02X", u.cd.dephault.red, u.cd.dephault.green,
                          u.cd.dephault.blue);
            row.dephault = text;
            break;
        }
        case PF_Param_POINT:
            row.dephault = fixed(u.td.x_dephault) + ", " + fixed(u.td.y_dephault);
            break;
        case PF_Param_POPUP:
            row.dephault = std::to_string(u.pd.dephault) + " (" + choice(u.pd.u.namesptr, u.pd.dephault) + ")";
            row.valid_range = range("1", std::to_string(u.pd.num_choices)) + ": " + bounded(u.pd.u.namesptr);
            break;
        case PF_Param_BUTTON:
            row.dephault = "[" + bounded(u.button_d.u.namesptr) + "]";
            break;
        case PF_Param_PATH:
            row.dephault = u.path_d.dephault == 0 ? "no mask" : "mask " + std::to_string(u.path_d.dephault);
            break;
        default:
            break;
    }
}

// The table's columns, left to right: every field of a row.
constexpr std::string ParamRow::*kColumns[] = {&ParamRow::index,    &ParamRow::name,        &ParamRow::type,
                                               &ParamRow::dephault, &ParamRow::valid_range, &ParamRow::slider_range,
                                               &ParamRow::flags};
static_assert(sizeof(ParamRow) == std::size(kColumns) * sizeof(std::string), "a column for every field of a row");

}  // namespace

ParamRow param_row(int index, const PF_ParamDef& def) {
    ParamRow row;
    row.index = std::to_string(index);
    // The name is a fixed field that need not hold a terminator.
    row.name = index == 0 ? "(input layer)" : std::string(def.name, strnlen(def.name, sizeof def.name));
    row.type = type_name(def.param_type);
    fill_values(row, def);
    row.flags = flag_names(def);
    return row;
}

void print_param_table(std::ostream& out, const std::vector<ParamRow>& rows) {
    const ParamRow header{.index = "#",
                          .name = "name",
                          .type = "type",
                          .dephault = "default",
                          .valid_range = "valid range",
                          .slider_range = "slider range",
                          .flags = "flags"};
    std::array<std::size_t, std::size(kColumns)> width{};
    const auto widen = [&](const ParamRow& r) {
        for (std::size_t i = 0; i < width.size(); ++i) {
            width[i] = std::max(width[i], (r.*kColumns[i]).size());
        }
    };
    widen(header);
    std::for_each(rows.begin(), rows.end(), widen);
    const auto print = [&](const ParamRow& r) {
        std::string line;
        for (std::size_t i = 0; i < width.size(); ++i) {
            const std::string& cell = r.*kColumns[i];
            line += cell;
            if (i + 1 < width.size()) {
                line += std::string(width[i] - cell.size() + 2, ' ');
            }
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        out << line << "\n";
    };
    print(header);
    std::for_each(rows.begin(), rows.end(), print);
    out << "\nflags: SUP the effect reacts when it changes; CTV cannot be keyframed; TW starts folded up in the "
           "panel\n"
           "`vorlane params --describe NAME` says what a parameter does.\n";
}

}  // namespace vorlane::host
