// Small scenes rendered through the host: a scene is written beside layer images the test makes, loaded as
// `vorlane render` loads it, and rendered frame by frame through whichever entry point the test binary drives
// (the effect linked in, or the built module).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "frames/RenderJob.h"
#include "frames/SceneSession.h"
#include "pixels/PixelTraits.h"
#include "pixels/Png.h"
#include "scene/SceneLoad.h"
#include "session/Session.h"
#include "suites/StandardSuites.h"
#include "support/test_folder.h"

namespace vorlane::host::test {

class SceneRender : public ::testing::Test {
  protected:
    explicit SceneRender(PF_EntryPointFunc entry)
        : session(entry, standard_services()), dir(test_folder("vorlane_render_")) {
        std::filesystem::create_directories(dir);
        EXPECT_EQ(session.global_setup(), PF_Err_NONE);
    }
    ~SceneRender() override {
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

    Session session;
    std::filesystem::path dir;
    Scene scene;
    std::optional<RenderJob> job;
};

}  // namespace vorlane::host::test
