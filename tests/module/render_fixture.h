// The built module rendering small scenes through the host, with pictures to look at: a scene is written beside
// layer images the test makes, loaded as `vorlane render` loads it, and rendered frame by frame.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "vorlane/module/LoadedModule.h"
#include "vorlane/render/RenderJob.h"
#include "vorlane/render/SceneSession.h"
#include "vorlane/render_services/PixelTraits.h"
#include "vorlane/render_services/Png.h"
#include "vorlane/scene/SceneLoad.h"
#include "vorlane/session/Session.h"

namespace vorlane::test {

class RenderFixture : public ::testing::Test {
  protected:
    RenderFixture()
        : dir(std::filesystem::temp_directory_path() /
              ("vorlane_render_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))) {
        std::filesystem::create_directories(dir);
        EXPECT_EQ(session.global_setup(), PF_Err_NONE);
    }
    ~RenderFixture() override {
        job.reset();
        std::filesystem::remove_all(dir);
    }

    // A w x h image, left half one colour, right half another (a, r, g, b), as layer.png.
    void write_layer(A_long w, A_long h, PF_Pixel left, PF_Pixel right) {
        WorldStorage image(w, h, PF_PixelFormat_ARGB32);
        for (A_long y = 0; y < h; ++y) {
            for (A_long x = 0; x < w; ++x) {
                pixel_row<PF_Pixel>(image.world(), y)[x] = x < w / 2 ? left : right;
            }
        }
        write_png(dir / "layer.png", image.world(), 8);
    }

    void load(const std::string& scene_text, const ParamChanges& changes = {}) {
        job.reset();
        scene = parse_scene(scene_text, dir / "scene.json");
        job.emplace(session, scene, prepare_scene_session(session, scene, changes));
    }

    FrameResult frame(A_long number) {
        FrameResult result = render_frame(*job, number);
        EXPECT_TRUE(result.leaks.empty()) << result.leaks.front();
        return result;
    }

    LoadedModule module = LoadedModule::open(VORLANE_MODULE_PATH);
    Session session{module.entry()};
    std::filesystem::path dir;
    Scene scene;
    std::optional<RenderJob> job;
};

inline PF_Pixel pixel8(const PF_EffectWorld& world, A_long x, A_long y) {
    return pixel_row<PF_Pixel>(world, y)[x];
}

}  // namespace vorlane::test
