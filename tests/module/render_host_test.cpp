// A render as the host runs it: several threads against one module, the trace of every host call, and the error
// and clean-up rule with any one host call made to fail.
#include "render_fixture.h"

#include <cstring>
#include <fstream>
#include <latch>
#include <numeric>
#include <set>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "cli/RenderTrace.h"
#include "frames/FrameLoop.h"

namespace vorlane::host::test {
namespace {

std::string busy_scene() {
    return R"json({"comp": {"width": 48, "height": 32, "frame_rate": 24, "duration_frames": 6},
        "effect_layer": {"background": [255, 20, 20, 20],
                         "masks": [{"ellipse": [24, 16, 18, 10]}, {"svg": "M 2 30 C 10 0 30 0 46 30"}]},
        "layers": [{"builtin": "star", "width": 9, "height": 9}, {"image": "layer.png"}],
        "params": {"Layers": 2, "Frequency 1": 60, "Frequency 2": 40, "Path Selection": 1, "Use All Paths": true,
                   "Mode": "Incremental", "Instances": 6, "Evolution": [[0, 10], [5, 100]],
                   "Evolution Randomness": 40, "Scale Randomness": 50, "Rotation Randomness": 30,
                   "Opacity Randomness": 30, "Flip Randomness": "XY", "Time Offset Randomness (frames)": 3}})json";
}

std::vector<unsigned char> pixels_of(const PF_EffectWorld& world) {
    std::vector<unsigned char> bytes;
    for (A_long y = 0; y < world.height; ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(world.data) + std::ptrdiff_t(y) * world.rowbytes;
        bytes.insert(bytes.end(), row, row + world.width * 4);
    }
    return bytes;
}

std::map<A_long, std::vector<unsigned char>> render_all(RenderJob& job, int threads) {
    std::map<A_long, std::vector<unsigned char>> frames;
    std::mutex mutex;
    FrameHooks hooks;
    hooks.after = [&](A_long frame, FrameResult& result) {
        EXPECT_EQ(result.err, PF_Err_NONE);
        EXPECT_TRUE(result.leaks.empty());
        std::lock_guard lock(mutex);
        frames[frame] = pixels_of(result.output.world());
        return true;
    };
    EXPECT_TRUE(render_frames(job, {0, 1, 2, 3, 4, 5}, threads, hooks));
    return frames;
}

TEST_F(RenderFixture, TwoThreadsRenderTheSameFramesAsOne) {
    write_layer(7, 5, PF_Pixel{255, 200, 40, 40}, PF_Pixel{255, 40, 40, 200});
    load(busy_scene());
    const auto one = render_all(*job, 1);
    const auto two = render_all(*job, 2);
    ASSERT_EQ(one.size(), 6u);
    EXPECT_EQ(one, two);
    EXPECT_NE(one.at(0), one.at(5));  // the animation shows
    EXPECT_EQ(session.suites().outstanding(), 0);
}

// Every pixel's bytes, 4 or 8 to a pixel as the depth has it, without the rows' padding.
std::vector<unsigned char> pixel_bytes(const PF_EffectWorld& world) {
    const std::size_t per_pixel = (world.world_flags & PF_WorldFlag_DEEP) != 0 ? 8 : 4;
    std::vector<unsigned char> bytes;
    for (A_long y = 0; y < world.height; ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(world.data) + std::ptrdiff_t(y) * world.rowbytes;
        bytes.insert(bytes.end(), row, row + std::size_t(world.width) * per_pixel);
    }
    return bytes;
}

struct ThreadedFrame {
    PF_Err err = PF_Err_NONE;
    std::size_t leaks = 0;
    std::vector<unsigned char> pixels;
};

class CrowdRender : public RenderFixture {
  protected:
    void load_crowd(const std::string& name) {
        const std::filesystem::path file = std::filesystem::path(VORLANE_TEST_DATA) / name;
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        job.reset();
        scene = parse_scene(text.str(), file);
        job.emplace(session, scene, prepare_scene_session(session, scene, ParamChanges{}));
    }

    // `threads` renders of `frame` started together; the results are checked on the test's thread.
    std::vector<ThreadedFrame> render_at_once(A_long frame, int threads) {
        std::vector<ThreadedFrame> results(static_cast<std::size_t>(threads));
        std::latch start(threads);
        std::vector<std::thread> workers;
        for (ThreadedFrame& result : results) {
            workers.emplace_back([&] {
                start.arrive_and_wait();
                FrameResult made = render_frame(*job, frame);
                result = {made.err, made.leaks.size(), pixel_bytes(made.output.world())};
            });
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
        return results;
    }
};

TEST_F(CrowdRender, FourThreadsRenderingOneFrameAtOnceMatchItsSerialRenderAtBothDepths) {
    for (const char* name : {"crowd-8.json", "crowd-16.json"}) {
        SCOPED_TRACE(name);
        load_crowd(name);
        const FrameResult serial = frame(7);
        ASSERT_EQ(serial.err, PF_Err_NONE);
        const std::vector<unsigned char> expected = pixel_bytes(serial.output.world());
        for (const ThreadedFrame& result : render_at_once(7, 4)) {
            EXPECT_EQ(result.err, PF_Err_NONE);
            EXPECT_EQ(result.leaks, 0u);
            EXPECT_TRUE(result.pixels == expected) << "a frame rendered beside others differs from its serial render";
        }
        EXPECT_EQ(session.suites().outstanding(), 0);
    }
}

TEST_F(CrowdRender, FourThreadsRenderingAllFramesMatchOneThreadAtBothDepths) {
    for (const char* name : {"crowd-8.json", "crowd-16.json"}) {
        SCOPED_TRACE(name);
        load_crowd(name);
        std::vector<A_long> frames(12);
        std::iota(frames.begin(), frames.end(), 0);
        std::map<int, std::map<A_long, std::vector<unsigned char>>> made;
        for (int threads : {1, 4}) {
            std::mutex mutex;
            FrameHooks hooks;
            hooks.after = [&](A_long frame, FrameResult& result) {
                std::lock_guard lock(mutex);
                made[threads][frame] = pixel_bytes(result.output.world());
                return result.err == PF_Err_NONE && result.leaks.empty();
            };
            EXPECT_TRUE(render_frames(*job, frames, threads, hooks));
        }
        ASSERT_EQ(made[1].size(), 12u);
        EXPECT_TRUE(made[1] == made[4]);
        EXPECT_NE(made[1].at(0), made[1].at(11));
    }
}

TEST_F(RenderFixture, TheTraceListsEveryHostCallOfAFrameInOrder) {
    write_layer(7, 5, PF_Pixel{255, 200, 40, 40}, PF_Pixel{255, 40, 40, 200});
    load(busy_scene());
    const std::uint64_t before = session.gate().calls();
    {
        RenderTrace trace(dir / "trace.jsonl", session.gate(), {3}, Existing::Replace);
        trace.begin_frame(3);
        ASSERT_EQ(frame(3).err, PF_Err_NONE);
        trace.end_frame(3);
    }
    const std::uint64_t calls = session.gate().calls() - before;
    std::ifstream in(dir / "trace.jsonl");
    std::string line;
    std::vector<nlohmann::json> lines;
    while (std::getline(in, line)) {
        lines.push_back(nlohmann::json::parse(line));
    }
    ASSERT_EQ(lines.size(), calls);
    int checkouts = 0, transforms = 0;
    for (const nlohmann::json& call : lines) {
        EXPECT_EQ(call["frame"], 3);
        EXPECT_TRUE(call.contains("err"));
        if (call["call"] == "checkout_param") {
            ++checkouts;
            EXPECT_EQ(call["time_step"], 100);
            EXPECT_EQ(call["time_scale"], 2400);
            EXPECT_TRUE(call["index"].is_number() && call["time"].is_number());
        }
        if (call["call"] == "transform_world") {
            ++transforms;
            const nlohmann::json& m = call["matrix"];
            ASSERT_TRUE(m.is_array() && m.size() == 3 && m[0].size() == 3) << call.dump();
            EXPECT_EQ(m[2][2].get<double>(), 1.0);
            for (const char* key : {"opacity", "opacitySu", "xfer", "quality", "src_width", "src_height"}) {
                EXPECT_TRUE(call.contains(key)) << key;
            }
        }
    }
    EXPECT_GT(checkouts, 0);
    EXPECT_GT(transforms, 0);
    EXPECT_EQ(lines.back()["call"], "ReleaseSuite");
}

TEST_F(RenderFixture, AFailedWorldEndsTheRenderWithItsErrorAndNothingLeaks) {
    write_layer(7, 5, PF_Pixel{255, 200, 40, 40}, PF_Pixel{255, 40, 40, 200});
    load(busy_scene());
    session.gate().fail_function("PF_NewWorld", PF_Err_OUT_OF_MEMORY);
    const FrameResult result = frame(4);
    EXPECT_EQ(result.err, PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(session.gate().calls_of("transform_world"), 0u);
    EXPECT_EQ(session.suites().outstanding(), 0);
}

TEST_F(RenderFixture, AnyOneFailedHostCallLeavesNothingBehind) {
    write_layer(7, 5, PF_Pixel{255, 200, 40, 40}, PF_Pixel{255, 40, 40, 200});
    load(busy_scene());
    const std::uint64_t start = session.gate().calls();
    ASSERT_EQ(frame(4).err, PF_Err_NONE);
    const std::uint64_t per_frame = session.gate().calls() - start;
    const A_long injected = 0x7E57;
    std::string failed_call;
    session.gate().set_observer([&](const HostCallRecord& record) {
        if (record.injected) {
            failed_call = record.function;
        }
    });
    // A refused release leaves its item with the host by definition; every other refusal must leave nothing.
    const std::set<std::string> releases = {"checkin_param", "PF_CheckinPath",  "PF_PathCleanupSegLength",
                                            "dispose_world", "PF_DisposeWorld", "ReleaseSuite"};
    for (std::uint64_t k = 1; k <= per_frame; ++k) {
        session.gate().clear_faults();
        session.gate().fail_call_number(session.gate().calls() + k, injected);
        const int outstanding = session.suites().outstanding();
        failed_call.clear();
        const FrameResult result = render_frame(*job, 4);
        if (releases.count(failed_call) != 0) {
            continue;
        }
        // A refused suite ends the command at once with the suite handler's own code; the effect still gives back
        // everything it held on that path.
        EXPECT_TRUE(result.err == PF_Err_NONE || result.err == injected || result.err == 516)
            << failed_call << ": " << result.err;
        EXPECT_TRUE(result.leaks.empty()) << failed_call << ": " << result.leaks.front();
        EXPECT_EQ(session.suites().outstanding(), outstanding) << failed_call;
    }
    session.gate().set_observer({});
}

}  // namespace
}  // namespace vorlane::host::test
