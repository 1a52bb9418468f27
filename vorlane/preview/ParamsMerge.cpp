#include "preview/ParamsMerge.h"

namespace vorlane::host {
namespace {

using Json = nlohmann::ordered_json;

// A value the current state names and the file's values did not: the user's change. A parameter the current state
// leaves unnamed (a popup outside its choices) is one Save has nothing to say about.
bool changed(const Json& read, const Json& now, const std::string& name) {
    if (!now.contains(name)) {
        return false;
    }
    return !read.contains(name) || read.at(name) != now.at(name);
}

}  // namespace

Json merged_params(const Json& written, const Json& read, const Json& now) {
    Json params = written.is_object() ? written : Json::object();
    for (auto& [name, value] : params.items()) {
        if (changed(read, now, name)) {
            value = now.at(name);
        }
    }
    for (const auto& [name, value] : now.items()) {
        if (!params.contains(name) && changed(read, now, name)) {
            params[name] = value;
        }
    }
    return params;
}

}  // namespace vorlane::host
