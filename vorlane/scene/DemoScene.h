// The scene `vorlane render` shows when it is given none: built into the program, so it needs no files.
#pragma once

#include "scene/Scene.h"

namespace vorlane::host {

const char* demo_scene_text();
Scene demo_scene();

}  // namespace vorlane::host
