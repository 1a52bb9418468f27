// What a frame costs in host calls, and that the values the effect reads once per render rather than per instance
// leave every picture as it was: crowded scenes with every random variation on, hashed pixel by pixel.
#include "render_fixture.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "params/ParamIndex.h"

namespace vorlane::host::test {

using namespace vorlane::effect;
namespace {

struct Fnv1a {
    std::uint64_t hash = 14695981039346656037ull;
    void add(const void* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            hash = (hash ^ static_cast<const unsigned char*>(data)[i]) * 1099511628211ull;
        }
    }
    void add(const std::string& text) { add(text.data(), text.size()); }
};

// Numbers enter as the doubles they denote, whatever digits the host printed them with; everything else as text.
// Rounded, a number enters with seven significant digits: the host's sine and cosine differ between platforms in
// their last bits, far below what a pixel shows.
void add_value(Fnv1a& digest, const std::string& value, bool rounded) {
    const char* p = value.c_str();
    while (*p != '\0') {
        char* end = nullptr;
        double number = (std::isdigit(static_cast<unsigned char>(*p)) || *p == '-') ? std::strtod(p, &end) : 0.0;
        if (end == nullptr || end == p) {
            digest.add(p, 1);
            ++p;
            continue;
        }
        if (rounded) {
            char text[32];
            std::snprintf(text, sizeof text, "%.7g", number);
            number = std::strtod(text, nullptr);
        }
        number = number == 0.0 ? 0.0 : number;  // -0 as 0
        digest.add(&number, sizeof number);
        p = end;
    }
}

bool is_frequency(const HostCallRecord& call) {
    for (const auto& [key, value] : call.args) {
        if (key == "index" || key == "id") {
            const int index = std::stoi(value);
            return index >= frequency_param(1) && index <= frequency_param(kMaxLayers);
        }
    }
    return false;
}

// Everything of a frame's host calls that decides its picture, in order: the clear and the copy of the input, the
// layers checked out and at which times, the worlds made for them, their copies, and every composite with its
// matrix and opacities; not the addresses, and not the "Frequency" sliders, whose reading is what changed.
class PictureDigest {
  public:
    explicit PictureDigest(CallGate& gate) : gate_(gate) {
        gate_.set_observer([this](const HostCallRecord& call) { note(call); });
    }
    ~PictureDigest() { gate_.set_observer({}); }
    PictureDigest(const PictureDigest&) = delete;
    PictureDigest& operator=(const PictureDigest&) = delete;

    std::uint64_t value() const { return digest_.hash; }
    int composites() const { return composites_; }

  private:
    void note(const HostCallRecord& call) {
        static const std::set<std::string> drawing = {
            "fill", "copy", "copy_hq", "PF_NewWorld", "transform_world", "checkout_param"};
        if (drawing.count(call.function) == 0 || is_frequency(call)) {
            return;
        }
        composites_ += call.function == "transform_world" ? 1 : 0;
        digest_.add(call.function);
        for (const auto& [key, value] : call.args) {
            if (value.rfind("0x", 0) != 0) {
                digest_.add(key);
                add_value(digest_, value, key == "matrix");
            }
        }
        digest_.add(&call.err, sizeof call.err);
    }

    CallGate& gate_;
    Fnv1a digest_;
    int composites_ = 0;
};

std::string read_file(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Three masks of 4, 1 and 4 segments, all five layers, every randomness on, "Auto Orient" on, and shares that send
// most picks past the first slots, so that the slot walk reads every frequency.
std::string busy_scene(const std::string& mode, int depth) {
    return R"({"comp": {"width": 160, "height": 120, "frame_rate": 24, "duration_frames": 24},
        "effect_layer": {"background": [255, 12, 16, 24],
                         "masks": [{"ellipse": [80, 60, 60, 40]}, {"svg": "M 4 110 C 40 10 100 130 156 30"},
                                   {"rect": [20, 16, 140, 104]}]},
        "layers": [{"builtin": "blob", "width": 12, "height": 12}, {"builtin": "star", "width": 14, "height": 14},
                   {"builtin": "arrow", "width": 16, "height": 9}, {"image": "layer.png"},
                   {"builtin": "counter", "width": 18, "height": 12}],
        "params": {"Layers": 5, "Frequency 1": 10, "Frequency 2": 10, "Frequency 3": 20, "Frequency 4": 30,
                   "Frequency 5": 30, "Path Selection": 1, "Use All Paths": true, "Mode": ")" +
           mode + R"s(", "Instances": 30, "Evolution": 80, "Evolution Randomness": 40, "Bidirectional": true,
                   "Scale Randomness": 60, "Rotation Randomness": 100, "Opacity Randomness": 50,
                   "Flip Randomness": "XY", "Time Factor Randomness": 80, "Time Offset Randomness (frames)": 5,
                   "Seed": 777},
        "render": {"depth": )s" +
           std::to_string(depth) + R"(, "quality": "high"}})";
}

class CallBudget : public RenderFixture {
  protected:
    CallBudget() { write_layer(10, 8, PF_Pixel{255, 230, 60, 30}, PF_Pixel{160, 30, 90, 230}); }

    void load_file(const std::string& path) {
        job.reset();
        scene = parse_scene(read_file(path), path);
        job.emplace(session, scene, prepare_scene_session(session, scene, {}));
    }

    // The calls of one frame: "checkout_param" with the index it asked for, every other function by its name.
    std::vector<std::string> frame_calls(A_long number, PF_Err* err) {
        std::vector<std::string> calls;
        session.gate().set_observer([&calls](const HostCallRecord& call) {
            std::string line = call.function;
            for (const auto& [key, value] : call.args) {
                if (call.function == "checkout_param" && key == "index") {
                    line += " " + value;
                }
            }
            calls.push_back(line);
        });
        FrameResult result = render_frame(*job, number);
        session.gate().set_observer({});
        *err = result.err;
        last_leaks = result.leaks;
        return calls;
    }

    std::vector<std::string> last_leaks;

    std::uint64_t digest_of_frame(A_long number) {
        PictureDigest digest(session.gate());
        EXPECT_EQ(frame(number).err, PF_Err_NONE);
        EXPECT_GT(digest.composites(), 0);
        return digest.value();
    }
};

// Host calls per frame by what they serve. Per instance: "Layer n" checked out and in; its world made, copied,
// composited and disposed of; sine and cosine; its point evaluated, with atan2. Per segment of each mask and pass:
// prepared, measured and cleaned up, then prepared and cleaned up once more for the instances on it. Per mask and
// pass: its identifier, its segment count, its outline checked out and in. Per render: six suites acquired and
// released, the pixel format, the clear, the copy of the input, the mask count, the closing progress, and "Path
// Selection" and each "Frequency" checked out and in.
constexpr std::uint64_t kPerInstance = 10;
constexpr std::uint64_t kPerSegment = 5;
constexpr std::uint64_t kPerMaskAndPass = 4;
constexpr std::uint64_t kPerRender = 32;

struct FrameCalls {
    std::uint64_t total = 0;
    std::uint64_t evaluations = 0;
    std::uint64_t preparations = 0;
    std::map<A_long, int> checkouts;  // by parameter index
};

TEST_F(CallBudget, AFrameCostsAFewHostCallsPerInstanceAndPerSegment) {
    load(busy_scene("Constant", 8));
    // Constant mode, 30 "Instances" doubled by "Bidirectional": 60 spots on each of the three masks, which have
    // 4, 1 and 4 segments.
    const std::uint64_t instances = 180, segments = 9, masks = 3;
    for (const A_long number : {5, 6}) {
        FrameCalls calls;
        session.gate().set_observer([&calls](const HostCallRecord& call) {
            ++calls.total;
            if (call.function == "PF_PathEvalSegLengthDeriv1") {
                ++calls.evaluations;
            }
            if (call.function == "PF_PathPrepareSegLength") {
                ++calls.preparations;
            }
            if (call.function == "checkout_param") {
                for (const auto& [key, value] : call.args) {
                    if (key == "index") {
                        ++calls.checkouts[std::stoi(value)];
                    }
                }
            }
        });
        const FrameResult result = frame(number);
        session.gate().set_observer({});
        ASSERT_EQ(result.err, PF_Err_NONE);
        ASSERT_EQ(calls.evaluations, instances) << "the scene no longer walks the spots it is meant to";
        EXPECT_LE(calls.total, kPerInstance * instances + kPerSegment * segments + kPerMaskAndPass * masks + kPerRender)
            << "frame " << number;
        // Once to measure, once for the instances on it.
        EXPECT_LE(calls.preparations, 2 * segments) << "frame " << number;
        // Every slot is reached in every frame, and each frequency read once in it.
        for (int slot = 1; slot <= kMaxLayers; ++slot) {
            EXPECT_EQ(calls.checkouts[frequency_param(slot)], 1) << "Frequency " << slot << ", frame " << number;
        }
    }
}

// Digests of frames rendered before the frequencies were read once per render, the same on Linux and Windows: any
// change in which slot an instance shows, in the random sequence or in the instance count would show here.
TEST_F(CallBudget, FramesDrawWhatAFrequencyReadPerInstanceDrew) {
    struct Case {
        std::string scene;
        A_long frame;
        std::uint64_t digest;
    };
    const Case files[] = {{"crowd-8.json", 3, 18194491970702483019ull},
                          {"crowd-8.json", 11, 7085904989772996202ull},
                          {"crowd-16.json", 7, 12550104694188999257ull}};
    for (const Case& c : files) {
        load_file(std::string(VORLANE_TEST_DATA "/") + c.scene);
        EXPECT_EQ(digest_of_frame(c.frame), c.digest) << c.scene << " frame " << c.frame;
    }
    load(busy_scene("Constant", 8));
    EXPECT_EQ(digest_of_frame(5), 9293758099086296475ull) << "Constant, 8 bits";
    load(busy_scene("Incremental", 16));
    EXPECT_EQ(digest_of_frame(9), 3427953351580315533ull) << "Incremental, 16 bits";
}

// "Distribution" Path with "Seed" 12345 picks about 13.2, 36.4 and 59.7 on masks 0, 1 and 2: with three equal shares
// the first pass needs only "Frequency 1", the second also "Frequency 2", and no pass "Frequency 3".
std::string path_picked_scene() {
    const std::string third = std::to_string(100.0 / 3.0);
    return R"({"comp": {"width": 64, "height": 48, "frame_rate": 24, "duration_frames": 4},
        "effect_layer": {"background": [255, 0, 0, 255],
                         "masks": [{"ellipse": [32, 24, 20, 14]}, {"rect": [4, 4, 60, 44]},
                                   {"ellipse": [32, 24, 10, 8]}]},
        "layers": [{"image": "layer.png"}, {"builtin": "star", "width": 8, "height": 8}, {"image": "layer.png"}],
        "params": {"Layers": 3, "Frequency 1": )" +
           third + R"(, "Frequency 2": )" + third + R"(, "Frequency 3": )" + third +
           R"(, "Path Selection": 1, "Use All Paths": true, "Mode": "Constant", "Distribution": "Path",
                   "Instances": 4, "Seed": 12345}})";
}

std::ptrdiff_t position_of(const std::vector<std::string>& calls, const std::string& call, std::ptrdiff_t from = 0) {
    return std::find(calls.begin() + from, calls.end(), call) - calls.begin();
}

TEST_F(CallBudget, EachFrequencyIsReadWhereTheWalkFirstNeedsItAndNowhereElse) {
    load(path_picked_scene());
    PF_Err err = PF_Err_NONE;
    const std::vector<std::string> calls = frame_calls(0, &err);
    ASSERT_EQ(err, PF_Err_NONE);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "transform_world"), 12);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "checkout_param 7"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "checkout_param 8"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "checkout_param 9"), 0);
    // The first instance of each pass that needs a new share reads it as every instance once did: after its point,
    // checked straight back in, before its layer.
    const std::vector<std::string> first = {"atan2", "checkout_param 7", "checkin_param", "checkout_param 2"};
    const std::ptrdiff_t one = position_of(calls, "checkout_param 7");
    EXPECT_TRUE(std::equal(first.begin(), first.end(), calls.begin() + one - 1));
    EXPECT_EQ(one, position_of(calls, "PF_PathEvalSegLengthDeriv1") + 2);
    const std::vector<std::string> second = {"atan2", "checkout_param 8", "checkin_param", "checkout_param 3"};
    const std::ptrdiff_t two = position_of(calls, "checkout_param 8");
    EXPECT_TRUE(std::equal(second.begin(), second.end(), calls.begin() + two - 1));
    EXPECT_GT(two, position_of(calls, "PF_PathInfo", position_of(calls, "PF_PathInfo") + 1));
}

TEST_F(CallBudget, AFrequencyThatCannotBeReadEndsTheRenderWhereItIsFirstNeeded) {
    load(path_picked_scene());
    PF_Err err = PF_Err_NONE;
    const std::vector<std::string> clean = frame_calls(0, &err);
    const std::ptrdiff_t checkout = position_of(clean, "checkout_param 8");
    constexpr A_long kFault = 0x51;
    for (const std::ptrdiff_t refused : {checkout, checkout + 1}) {
        session.gate().fail_call_number(session.gate().calls() + std::uint64_t(refused) + 1, kFault);
        const std::vector<std::string> calls = frame_calls(0, &err);
        session.gate().clear_faults();
        EXPECT_EQ(err, kFault) << clean[std::size_t(refused)];
        // The first pass is drawn; nothing is checked out after the refusal, and all but a refused check-in is back.
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "transform_world"), 4);
        EXPECT_EQ(std::count_if(calls.begin() + refused + 1, calls.end(),
                                [](const std::string& call) { return call.rfind("checkout_param", 0) == 0; }),
                  0);
        EXPECT_EQ(last_leaks, refused == checkout ? std::vector<std::string>{}
                                                  : std::vector<std::string>{"1 parameter(s) not checked in"});
    }
}

}  // namespace
}  // namespace vorlane::host::test
