// The registered parameters as a table a person reads: index, UI name, type, default, valid range, slider range,
// flags. The records come from the effect; strings it points at (popup choices, captions) are read with a bound.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "AE_Effect.h"

namespace vorlane::host {

struct ParamRow {
    std::string index, name, type, dephault, valid_range, slider_range, flags;
};

ParamRow param_row(int index, const PF_ParamDef& def);
void print_param_table(std::ostream& out, const std::vector<ParamRow>& rows);

}  // namespace vorlane::host
