// Whole frames through the built module: a frame of the demo, and a frame of a thousand instances. The module is
// the one named by VORLANE_MODULE, else the one beside the host's binaries.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "frames/RenderJob.h"
#include "frames/SceneSession.h"
#include "module/LoadedModule.h"
#include "scene/DemoScene.h"
#include "scene/SceneLoad.h"
#include "session/Session.h"
#include "suites/StandardSuites.h"

namespace vorlane::host {
namespace {

std::filesystem::path module_path() {
    if (const char* named = std::getenv("VORLANE_MODULE")) {
        return named;
    }
    const std::filesystem::path beside = default_module_path();
    if (std::filesystem::exists(beside)) {
        return beside;
    }
    return beside.parent_path().parent_path() / "bin" / beside.filename();
}

struct Bench {
    explicit Bench(Scene s) : scene(std::move(s)) {
        session.global_setup();
        job = std::make_unique<RenderJob>(session, scene, prepare_scene_session(session, scene, {}));
    }
    LoadedModule module = LoadedModule::open(module_path());
    Session session{module.entry(), standard_services()};
    Scene scene;
    std::unique_ptr<RenderJob> job;
};

void run(benchmark::State& state, Bench& bench, A_long frame) {
    for (auto _ : state) {
        FrameResult result = render_frame(*bench.job, frame);
        if (result.err != PF_Err_NONE) {
            state.SkipWithError("the render failed");
            return;
        }
        benchmark::DoNotOptimize(result.output.world().data);
    }
}

void BM_DemoFrame(benchmark::State& state) {
    Bench bench(demo_scene());
    run(state, bench, 40);
}
BENCHMARK(BM_DemoFrame)->Unit(benchmark::kMillisecond);

void BM_ThousandInstances(benchmark::State& state) {
    Bench bench(parse_scene(R"({"comp": {"width": 960, "height": 540},
        "effect_layer": {"masks": [{"ellipse": [480, 270, 400, 220]}]},
        "layers": [{"builtin": "blob", "width": 24, "height": 24}],
        "params": {"Path Selection": 1, "Mode": "Constant", "Instances": 990, "Scale Randomness": 50,
                   "Rotation Randomness": 50, "Opacity Randomness": 50, "Composite": "On Transparent"}})",
                            "thousand.json"));
    run(state, bench, 0);  // "Instances" 990 walks 1000 spots
}
BENCHMARK(BM_ThousandInstances)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorlane::host
