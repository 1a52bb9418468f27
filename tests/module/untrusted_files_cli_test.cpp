// Files that are not what they claim, met by the commands a user runs: pictures of a scene that are damaged, too
// large, or not files at all; frames in an output folder that do not decode; a trace path that is a link; a second
// render into a target another holds. Each ends in one line (or, for a frame, in its being rendered again),
// never in a crash, a hang or a file replaced unasked.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "output/OutputTarget.h"
#include "output/TargetLock.h"
#include "pixels/Png.h"
#include "support/cli_run.h"
#include "support/test_folder.h"

namespace vorlane::host::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kParams = R"("params": {"Layers": 1, "Frequency 1": 100, "Path Selection": 1})";

void patch_big_endian(const fs::path& file, std::size_t at, std::uint32_t value) {
    std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(at));
    for (int i = 0; i < 4; ++i) {
        out.put(static_cast<char>(value >> (24 - 8 * i)));
    }
}

class UntrustedFiles : public ::testing::Test {
  protected:
    UntrustedFiles() : dir(test_folder("vorlane_untrusted_")) {
        fs::remove_all(dir);
        fs::create_directories(dir / "seq");
        WorldStorage world(8, 8, PF_PixelFormat_ARGB32);
        write_png(dir / "ok.png", world.world(), 8);
        for (int i = 0; i < 3; ++i) {
            write_png(dir / "seq" / ("p_0" + std::to_string(i) + ".png"), world.world(), 8);
        }
    }
    ~UntrustedFiles() override { fs::remove_all(dir); }

    // A copy of the valid picture, changed by `damage` ("crafted", "zlib", "huge") under `name`.
    fs::path damaged(const std::string& name, const std::string& damage) const {
        const fs::path file = dir / name;
        // Removed first: mingw's copy_file refuses to overwrite whatever the options say.
        fs::remove(file);
        fs::copy_file(dir / "ok.png", file);
        if (damage == "crafted") {
            patch_big_endian(file, 33, 0xFFFFFFFFu);  // the first IDAT chunk's length
        } else if (damage == "zlib") {
            patch_big_endian(file, 41, 0xFFFFFFFFu);  // its data's zlib header: the header still reads
        } else if (damage == "huge") {
            patch_big_endian(file, 16, 16000);
            patch_big_endian(file, 20, 16000);
        }
        return file;
    }

    std::string scene(const std::string& layers, const std::string& background = "") {
        const fs::path file = dir / ("scene" + std::to_string(++scenes) + ".json");
        std::ofstream(file) << R"({"comp": {"width": 64, "height": 48, "duration_frames": 4}, )"
                            << R"("effect_layer": {"masks": [{"svg": "M 10 30 L 90 30"}])"
                            << (background.empty() ? "" : R"(, "background": ")" + background + "\"") << "}, "
                            << R"("layers": [)" << layers << "], " << kParams << "}";
        return file.string();
    }

    fs::path dir;
    int scenes = 0;
};

CliRun timed(const std::vector<std::string>& args, std::chrono::steady_clock::duration* took) {
    const auto start = std::chrono::steady_clock::now();
    CliRun run = vorlane(args);
    *took = std::chrono::steady_clock::now() - start;
    return run;
}

TEST_F(UntrustedFiles, ASourceThatWouldFailTheRenderFailsCheckAndTheRenderInOneLine) {
    damaged("crafted.png", "crafted");
    damaged("zlib.png", "zlib");
    damaged("huge.png", "huge");
    damaged("seq/p_01.png", "zlib");
    const std::string huge = R"({"image": "huge.png"})";
    struct Case {
        std::string scene;
        std::string check_says;   // check names the place in the scene
        std::string render_says;  // a render reads a picture at the frame that needs it; empty: these frames do not
    };
    const std::vector<Case> cases = {
        {scene(R"({"image": "crafted.png"})"), "at /layers/0/image: cannot read the image:", "runs past the end"},
        {scene(R"({"image": "zlib.png"})"), "at /layers/0/image: cannot decode the image:", "zlib.png"},
        {scene(R"({"image": "ok.png"})", "zlib.png"), "at /effect_layer/background: cannot decode", "zlib.png"},
        {scene(R"({"sequence": "seq/p_%02d.png", "count": 3})"), "/layers/0/sequence: cannot decode the image: frame 1",
         ""},
        {scene(huge), "set VORLANE_MAX_SOURCE_PIXELS to allow larger sources", "set VORLANE_MAX_SOURCE_PIXELS"},
        {scene(huge + "," + huge + "," + huge + "," + huge + "," + huge),
         "16000 x 16000 (256000000 pixels), more than the 67108864", "more than the 67108864"},
    };
    for (const Case& c : cases) {
        for (const std::string& command : {std::string("check"), std::string("render")}) {
            if (command == "render" && c.render_says.empty()) {
                continue;
            }
            SCOPED_TRACE(command + " " + c.check_says);
            std::chrono::steady_clock::duration took{};
            std::vector<std::string> args = {command, c.scene};
            if (command == "render") {
                args.insert(args.end(), {"--out", (dir / "out").string(), "-q"});
            }
            const CliRun run = timed(args, &took);
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find(command == "check" ? c.check_says : c.render_says), std::string::npos) << run.err;
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
            EXPECT_LT(took, std::chrono::seconds(5));
        }
    }
}

#if !defined(_WIN32)

TEST_F(UntrustedFiles, APathThatIsNoRegularFileIsRefusedAtOnce) {
    ASSERT_EQ(::mkfifo((dir / "fifo.png").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir / "zero.png");
    for (const char* name : {"fifo.png", "zero.png"}) {
        std::chrono::steady_clock::duration took{};
        const CliRun run = timed({"check", scene(std::string(R"({"image": ")") + name + "\"}")}, &took);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.says("is not a regular file")) << run.err;
        EXPECT_LT(took, std::chrono::seconds(2)) << name;
    }
}

TEST_F(UntrustedFiles, TheTraceIsNeverWrittenThroughALink) {
    std::ofstream(dir / "precious.txt") << "precious";
    fs::create_symlink(dir / "precious.txt", dir / "calls.jsonl");
    const std::vector<std::string> render = {
        "render", "--frames", "0", "--out", (dir / "out").string(), "--trace", (dir / "calls.jsonl").string()};
    const CliRun refused = vorlane(render);
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.says("--trace " + (dir / "calls.jsonl").string() + " already exists; --force replaces it"))
        << refused.err;
    std::vector<std::string> forced = render;
    forced.push_back("--force");
    const CliRun replaced = vorlane(forced);
    ASSERT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_EQ(file_text(dir / "precious.txt"), "precious");
    EXPECT_FALSE(fs::is_symlink(dir / "calls.jsonl"));
    EXPECT_NE(file_text(dir / "calls.jsonl").find("\"frame\":0"), std::string::npos);
}

#endif

TEST_F(UntrustedFiles, AFrameThatDoesNotDecodeIsRenderedAgainCountedMissingAndRefusedByEncode) {
    const fs::path out = dir / "out";
    ASSERT_EQ(vorlane({"render", "--frames", "0-2", "--out", out.string(), "-q"}).status, 0);
    fs::copy_file(out / "frame_0001.png", dir / "frame.png");
    patch_big_endian(out / "frame_0001.png", 33, 0xFFFFFFFFu);
    const CliRun skip = vorlane({"render", "--frames", "0-2", "--out", out.string(), "--skip-existing", "-q"});
    ASSERT_EQ(skip.status, 0) << skip.err;
    EXPECT_TRUE(skip.says("skipped 2 frame(s) already written (0, 2)")) << skip.err;
    EXPECT_NO_THROW(read_png(out / "frame_0001.png", PF_PixelFormat_ARGB32));

    patch_big_endian(out / "frame_0001.png", 33, 0xFFFFFFFFu);
    const CliRun status = vorlane({"farm", "status", out.string(), "--frames", "0-2"});
    EXPECT_EQ(status.status, 2) << status.err;
    EXPECT_NE(status.out.find("2 of 3 frames whole; missing 1: 1"), std::string::npos) << status.out;

#if !defined(_WIN32)  // video is made by the Linux build only
    const CliRun encode = vorlane({"encode", out.string(), "--frames", "0-2", "--out", (dir / "cut.mp4").string()});
    EXPECT_EQ(encode.status, 1);
    EXPECT_NE(encode.err.find((out / "frame_0001.png").string()), std::string::npos) << encode.err;
    EXPECT_EQ(std::count(encode.err.begin(), encode.err.end(), '\n'), 1) << encode.err;
    for (const auto& entry : fs::directory_iterator(dir)) {
        EXPECT_NE(entry.path().filename().string().front(), '.') << "left behind: " << entry.path();
    }
#endif
}

TEST_F(UntrustedFiles, ASecondRenderIntoFramesAnotherHoldsIsRefusedInOneLineNamingTheTarget) {
    const OutputTarget out = parse_output_target((dir / "shots_####.png").string());
    const TargetLock held(out, 0, 2);
    const CliRun refused = vorlane({"render", "--frames", "2-3", "--out", out.path.string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.says("vorlane: another render is writing frames 2-3 of " + out.path.string())) << refused.err;
    EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
    EXPECT_FALSE(fs::exists(dir / "shots_0003.png"));
    // The farm's tasks: other frames of the same target render beside it.
    const CliRun beside = vorlane({"render", "--frames", "3-4", "--out", out.path.string(), "-q"});
    EXPECT_EQ(beside.status, 0) << beside.err;
    EXPECT_TRUE(fs::exists(dir / "shots_0004.png"));
}

}  // namespace
}  // namespace vorlane::host::test
