// The built module rendering small scenes through the host, as After Effects loads it.
#pragma once

#include "module/LoadedModule.h"
#include "support/scene_render.h"

namespace vorlane::host::test {

// Loaded before the session that drives it and unloaded after: the session's records point into the module.
struct LoadedEffect {
    LoadedModule module = LoadedModule::open(VORLANE_MODULE_PATH);
};

// Every world of the host has a guard page after its last row here: an overrun crashes the test where it happens.
class RenderFixture : private LoadedEffect, public SceneRender {
  protected:
    RenderFixture() : SceneRender(module.entry()) {}

  private:
    GuardedWorlds guard_;
};

inline PF_Pixel pixel8(const PF_EffectWorld& world, A_long x, A_long y) {
    return pixel_row<PF_Pixel>(world, y)[x];
}

}  // namespace vorlane::host::test
