#include "ui/ControlValue.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "AE_Macros.h"
#include "ui/NearestName.h"

namespace vorlane::host {
namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

bool parse_number(std::string_view text, double* number) {
    text = trim(text);
    if (!text.empty() && text.back() == '%') {
        text = trim(text.substr(0, text.size() - 1));
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || end != copy.c_str() + copy.size() || !std::isfinite(value)) {
        return false;
    }
    *number = value;
    return true;
}

std::string fixed_decimals(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

int popup_choice_count(const PF_ParamDef& def) {
    const char* names = def.u.pd.u.namesptr;
    if (names == nullptr) {
        return def.u.pd.num_choices;
    }
    int count = 1;
    for (const char* c = names; *c != '\0'; ++c) {
        count += *c == '|' ? 1 : 0;
    }
    return count;
}

bool out_of_range(double value, double min, double max, std::string* error) {
    if (value < min || value > max) {
        *error = "must lie between " + fixed_decimals(min, 0) + " and " + fixed_decimals(max, 0);
        return true;
    }
    return false;
}

bool parse_checkbox(std::string_view text, PF_ParamDef* def, std::string* error) {
    // Only the four words the message names (in any case): "yes" or "1" would make every other word a question.
    const std::string word = lower(trim(text));
    if (word == "on" || word == "true") {
        def->u.bd.value = 1;
    } else if (word == "off" || word == "false") {
        def->u.bd.value = 0;
    } else {
        *error = "takes on, off, true or false";
        return false;
    }
    return true;
}

bool parse_popup(std::string_view text, PF_ParamDef* def, std::string* error) {
    const int count = popup_choice_count(*def);
    const std::string wanted = lower(trim(text));
    for (int choice = 1; choice <= count; ++choice) {
        if (lower(popup_choice(*def, choice)) == wanted) {
            def->u.pd.value = choice;
            return true;
        }
    }
    double number = 0.0;
    if (parse_number(text, &number) && number == std::floor(number) && number >= 1 && number <= count) {
        def->u.pd.value = static_cast<PF_ParamValue>(number);
        return true;
    }
    std::string choices;
    std::vector<std::string> names;
    for (int choice = 1; choice <= count; ++choice) {
        choices += (choice > 1 ? ", " : "") + popup_choice(*def, choice);
        names.push_back(popup_choice(*def, choice));
    }
    const std::string near = nearest_name(trim(text), names);
    *error = "takes one of " + choices + ", or a number from 1 to " + std::to_string(count) +
             (near.empty() ? "" : "; did you mean \"" + near + "\"?");
    return false;
}

}  // namespace

std::string popup_choice(const PF_ParamDef& def, int choice) {
    const char* names = def.u.pd.u.namesptr;
    if (names == nullptr || choice < 1) {
        return std::to_string(choice);
    }
    std::string_view rest(names);
    for (int i = 1; i < choice; ++i) {
        const size_t bar = rest.find('|');
        if (bar == std::string_view::npos) {
            return std::to_string(choice);
        }
        rest.remove_prefix(bar + 1);
    }
    return std::string(rest.substr(0, rest.find('|')));
}

std::string format_control_value(const PF_ParamDef& def) {
    switch (def.param_type) {
        case PF_Param_SLIDER:
            return std::to_string(def.u.sd.value);
        case PF_Param_FLOAT_SLIDER: {
            const bool percent = (def.u.fs_d.display_flags & PF_ValueDisplayFlag_PERCENT) != 0;
            return fixed_decimals(def.u.fs_d.value, def.u.fs_d.precision) + (percent ? "%" : "");
        }
        case PF_Param_ANGLE:
            return fixed_decimals(FIX_2_FLOAT(def.u.ad.value), 1) + " deg";
        case PF_Param_CHECKBOX:
            return def.u.bd.value != 0 ? "on" : "off";
        case PF_Param_POPUP:
            return popup_choice(def, def.u.pd.value);
        case PF_Param_LAYER:
            return "None";
        case PF_Param_PATH:
            return def.u.path_d.dephault > 0 ? "Mask " + std::to_string(def.u.path_d.dephault) : "None";
        case PF_Param_BUTTON:
            return "[" + std::string(def.u.button_d.u.namesptr ? def.u.button_d.u.namesptr : "") + "]";
        default:
            return "";
    }
}

bool control_number(const PF_ParamDef& def, double* number) {
    switch (def.param_type) {
        case PF_Param_SLIDER:
            *number = def.u.sd.value;
            return true;
        case PF_Param_FLOAT_SLIDER:
            *number = def.u.fs_d.value;
            return true;
        case PF_Param_ANGLE:
            *number = FIX_2_FLOAT(def.u.ad.value);
            return true;
        case PF_Param_CHECKBOX:
            *number = def.u.bd.value != 0 ? 1 : 0;
            return true;
        case PF_Param_POPUP:
            *number = def.u.pd.value;
            return true;
        default:
            return false;
    }
}

bool parse_control_value(std::string_view text, PF_ParamDef* def, std::string* error) {
    PF_ParamDef edited = *def;
    double number = 0.0;
    switch (def->param_type) {
        case PF_Param_CHECKBOX:
            if (!parse_checkbox(text, &edited, error)) {
                return false;
            }
            break;
        case PF_Param_POPUP:
            if (!parse_popup(text, &edited, error)) {
                return false;
            }
            break;
        case PF_Param_SLIDER:
            if (!parse_number(text, &number) || number != std::floor(number)) {
                *error = "takes a whole number";
                return false;
            }
            if (out_of_range(number, def->u.sd.valid_min, def->u.sd.valid_max, error)) {
                return false;
            }
            edited.u.sd.value = static_cast<PF_ParamValue>(number);
            break;
        case PF_Param_FLOAT_SLIDER:
            if (!parse_number(text, &number)) {
                *error = "takes a number";
                return false;
            }
            if (out_of_range(number, static_cast<double>(def->u.fs_d.valid_min),
                             static_cast<double>(def->u.fs_d.valid_max), error)) {
                return false;
            }
            edited.u.fs_d.value = number;
            break;
        case PF_Param_ANGLE:
            if (!parse_number(text, &number) || std::fabs(number) > 32767.0) {
                *error = "takes an angle in degrees";
                return false;
            }
            edited.u.ad.value = static_cast<PF_Fixed>(std::lround(number * INT2FIX(1)));
            break;
        default:
            *error = "cannot be set from text";
            return false;
    }
    *def = edited;
    return true;
}

}  // namespace vorlane::host
