#include "ui/NearestName.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <numeric>

#include "session/Session.h"

namespace vorlane::host {
namespace {

char folded(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Levenshtein distance over case-folded characters, one row at a time.
std::size_t edit_distance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const std::size_t swap = diagonal + (folded(a[i - 1]) == folded(b[j - 1]) ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, swap});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::string nearest_name(std::string_view typed, const std::vector<std::string>& candidates) {
    // A third of the name may be wrong, at least two characters: beyond that the guess is more noise than help.
    const std::size_t limit = std::max<std::size_t>(2, typed.size() / 3);
    std::string best;
    std::size_t best_distance = limit + 1;
    for (const std::string& candidate : candidates) {
        if (candidate.empty()) {
            continue;
        }
        const std::size_t distance = edit_distance(typed, candidate);
        if (distance < best_distance) {
            best = candidate;
            best_distance = distance;
        }
    }
    return best;
}

std::string did_you_mean(const Session& session, std::string_view typed) {
    std::vector<std::string> names;
    const std::vector<PF_ParamDef> params = session.params();
    for (std::size_t i = 1; i < params.size(); ++i) {
        if (params[i].param_type != PF_Param_GROUP_END) {
            names.emplace_back(params[i].name, strnlen(params[i].name, sizeof params[i].name));
        }
    }
    const std::string nearest = nearest_name(typed, names);
    return nearest.empty() ? "" : "; did you mean \"" + nearest + "\"?";
}

}  // namespace vorlane::host
