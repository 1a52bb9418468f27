// Whether every picture a scene names decodes: what `check` asks so that it finds what a render would fail on.
// Reading a scene looks at each picture's header only, which a file cut short or damaged past it still passes.
#pragma once

#include "scene/Scene.h"

namespace vorlane::host {

// Decodes every source picture (each frame of a sequence, the background image) on a few threads. Throws
// SceneError at the place in the scene of the first, in the scene's order, that does not decode.
void decode_scene_sources(const Scene& scene);

}  // namespace vorlane::host
