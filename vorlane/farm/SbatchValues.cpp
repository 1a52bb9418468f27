#include "farm/SbatchValues.h"

#include <algorithm>
#include <cctype>

namespace vorlane::host {

namespace {

// Decided here rather than by <cctype>, whose answers follow the locale.
bool is_letter_or_digit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool is_name_char(char c) {
    return is_letter_or_digit(c) || c == '_' || c == '-' || c == '.';
}

bool all_of(const std::string& value, bool (*allowed)(char)) {
    return !value.empty() && std::all_of(value.begin(), value.end(), allowed);
}

std::string upper(std::string text) {
    for (char& c : text) {
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return text;
}

}  // namespace

bool is_partition_value(const std::string& value) {
    return all_of(value, [](char c) { return is_name_char(c) || c == ','; });
}

bool is_time_value(const std::string& value) {
    if (upper(value) == "UNLIMITED" || upper(value) == "INFINITE") {
        return true;
    }
    return all_of(value, [](char c) { return (c >= '0' && c <= '9') || c == ':' || c == '-'; });
}

bool is_sbatch_path(const std::string& value) {
    return all_of(value, [](char c) {
        return is_name_char(c) || c == '/' || c == '+' || c == ',' || c == '=' || c == '@' || c == '~' || c == ':' ||
               c == '#';
    });
}

std::string sbatch_escaped(const std::string& value) {
    std::string escaped;
    for (const char c : value) {
        escaped += c == '#' ? std::string("\\#") : std::string(1, c);
    }
    return escaped;
}

std::string sbatch_job_name(const std::string& from) {
    std::string name = from;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !is_name_char(c); }, '_');
    return name;
}

}  // namespace vorlane::host
