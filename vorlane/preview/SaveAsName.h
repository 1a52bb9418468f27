// The file a "Save As" from the page writes: a name in the scene's own folder, never a path. The page is reachable
// by whoever holds the token; a name that could climb out of the folder or follow a link elsewhere would let a
// request write any file the user can.
#pragma once

#include <filesystem>
#include <string>
#include <variant>

namespace vorlane::host {

struct SaveAsRefusal {
    std::string reason;   // one line
    bool exists = false;  // only because the file exists: the user may confirm replacing it
};

// The file `name` names in `folder`, or why it is refused. An existing regular file is refused unless `overwrite`;
// a link, a folder or anything else that is not a plain file is always refused.
std::variant<std::filesystem::path, SaveAsRefusal> save_as_path(const std::filesystem::path& folder,
                                                                const std::string& name, bool overwrite);

}  // namespace vorlane::host
