// The scene `vorlane render` shows when it is given none: built into the program, so it needs no files.
#pragma once

#include "vorlane/scene/Scene.h"

namespace vorlane {

const char* demo_scene_text();
Scene demo_scene();

}  // namespace vorlane
