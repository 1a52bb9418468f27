#include "preview/SaveAsName.h"

#include <algorithm>

#include <nlohmann/json.hpp>

namespace vorlane::host {
namespace {

constexpr std::size_t kMaxName = 255;  // what Linux file systems take in one name

bool plain_name(const std::string& name) {
    const bool control =
        std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    return !name.empty() && name.size() <= kMaxName && name != "." && name != ".." && !control &&
           name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
}

}  // namespace

std::variant<std::filesystem::path, SaveAsRefusal> save_as_path(const std::filesystem::path& folder,
                                                                const std::string& name, bool overwrite) {
    if (folder.empty()) {
        return SaveAsRefusal{"the built-in demo has no folder to save in: start the preview with --save-as FILE"};
    }
    if (!plain_name(name)) {
        // Quoted as JSON, so that a name with a line break in it still makes a one-line answer.
        return SaveAsRefusal{nlohmann::json(name).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
                             " is not a file name: Save As takes a name in the scene's folder, "
                             "without / \\ or .."};
    }
    const std::filesystem::path path = folder / name;
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return path;
    }
    if (status.type() != std::filesystem::file_type::regular) {
        return SaveAsRefusal{path.string() + " is not a plain file (a link, a folder or another kind); not written"};
    }
    if (!overwrite) {
        return SaveAsRefusal{path.string() + " exists; not replaced unless asked to (\"overwrite\": true)", true};
    }
    return path;
}

}  // namespace vorlane::host
