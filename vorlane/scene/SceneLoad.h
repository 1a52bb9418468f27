// Reading a scene from JSON. Every fault of the input is a SceneError naming the file and the JSON pointer of the
// place; paths inside the scene are taken relative to the scene file's folder, and every image they name is
// opened once here, so that a render never starts on a scene it cannot finish.
#pragma once

#include <filesystem>
#include <string>

#include "scene/Scene.h"

namespace vorlane::host {

Scene load_scene_file(const std::filesystem::path& path);

// `file` names the scene in messages and its folder anchors relative paths.
Scene parse_scene(const std::string& text, const std::filesystem::path& file);

}  // namespace vorlane::host
