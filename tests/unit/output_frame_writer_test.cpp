// The writers that run beside the render: every frame written once, a video's in order whatever order they come
// in, a bounded number waiting, and a failed write stopping the rest.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "output/FrameWriter.h"

namespace vorlane::host {
namespace {

WorldStorage tiny() {
    return WorldStorage(1, 1, PF_PixelFormat_ARGB32);
}

TEST(FrameWriter, InOrderWritesByIndexWhateverOrderFramesArriveIn) {
    std::vector<A_long> written;
    FrameWriter writer([&](A_long frame, const PF_EffectWorld&) { written.push_back(frame); }, 4, 8, true);
    for (std::size_t index : {2u, 0u, 3u, 1u, 4u}) {
        ASSERT_TRUE(writer.push(index, static_cast<A_long>(10 + index), tiny()));
    }
    writer.finish();
    EXPECT_EQ(written, (std::vector<A_long>{10, 11, 12, 13, 14}));
}

TEST(FrameWriter, InOrderStopsAtAGapWhenFinished) {
    std::vector<A_long> written;
    FrameWriter writer([&](A_long frame, const PF_EffectWorld&) { written.push_back(frame); }, 1, 8, true);
    writer.push(0, 0, tiny());
    writer.push(2, 2, tiny());
    writer.release();
    writer.finish();
    EXPECT_EQ(written, (std::vector<A_long>{0}));
}

TEST(FrameWriter, ALaterFrameWaitsWhileTheQueueIsFullUntilTheDueOneComesOrTheRenderStops) {
    std::atomic<int> writes{0};
    FrameWriter writer([&](A_long, const PF_EffectWorld&) { ++writes; }, 1, 1, true);
    ASSERT_TRUE(writer.push(1, 1, tiny()));  // waits for index 0
    std::atomic<bool> pushed{false};
    std::thread later([&] {
        writer.push(2, 2, tiny());
        pushed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(pushed) << "a third frame held while the queue is full and the due one missing";
    writer.release();  // the due frame will not come
    later.join();
    EXPECT_TRUE(pushed);
    writer.finish();
    EXPECT_EQ(writes, 0);
}

TEST(FrameWriter, UnorderedWritersWriteEveryFrameOnceOnSeveralThreads) {
    std::atomic<int> sum{0}, count{0};
    FrameWriter writer(
        [&](A_long frame, const PF_EffectWorld&) {
            sum += frame;
            ++count;
        },
        3, 2, false);
    std::vector<std::thread> renderers;
    for (int t = 0; t < 4; ++t) {
        renderers.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i) {
                const int frame = t * 25 + i;
                writer.push(static_cast<std::size_t>(frame), frame, tiny());
            }
        });
    }
    for (std::thread& r : renderers) {
        r.join();
    }
    writer.finish();
    EXPECT_EQ(count, 100);
    EXPECT_EQ(sum, 99 * 100 / 2);
}

TEST(FrameWriter, AFailedWriteRefusesLaterFramesAndIsRethrownByFinish) {
    FrameWriter writer(
        [&](A_long frame, const PF_EffectWorld&) {
            if (frame == 1) {
                throw std::runtime_error("disk full");
            }
        },
        1, 1, true);
    EXPECT_TRUE(writer.push(0, 0, tiny()));
    EXPECT_TRUE(writer.push(1, 1, tiny()));
    bool refused = false;
    for (int i = 2; i < 200 && !refused; ++i) {
        refused = !writer.push(static_cast<std::size_t>(i), i, tiny());
    }
    EXPECT_TRUE(refused);
    try {
        writer.finish();
        ADD_FAILURE() << "the failure was not reported";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "disk full");
    }
}

}  // namespace
}  // namespace vorlane::host
