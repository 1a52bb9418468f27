// Image files that are not what they claim, as every reader of the host meets them (a layer's picture, a frame
// checked by --skip-existing and `farm status`, a frame `encode` reads): each is refused with one line naming the
// file, without a crash, without blocking and without decoding a picture larger than allowed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "farm/FrameFiles.h"
#include "pixels/Png.h"
#include "scene/SourceLimit.h"
#include "support/test_folder.h"

namespace vorlane::host {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

Bytes bytes_of(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_bytes(const fs::path& file, const Bytes& bytes) {
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void put_big_endian(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + std::size_t(i)] = static_cast<char>(value >> (24 - 8 * i));
    }
}

class ImageRead : public ::testing::Test {
  protected:
    ImageRead() : dir(test::test_folder("vorlane_image_")) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        WorldStorage world(16, 12, PF_PixelFormat_ARGB32);
        write_png(valid(), world.world(), 8);
    }
    ~ImageRead() override { fs::remove_all(dir); }

    fs::path valid() const { return dir / "valid.png"; }
    // The valid file with its bytes changed by `edit`, under `name`.
    fs::path edited(const std::string& name, const std::function<void(Bytes&)>& edit) const {
        Bytes bytes = bytes_of(valid());
        edit(bytes);
        write_bytes(dir / name, bytes);
        return dir / name;
    }

    fs::path dir;
};

// One line that names the file: what a command prints after "vorlane: ".
void expect_one_line_naming(const std::string& message, const fs::path& file, const std::string& says) {
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    EXPECT_NE(message.find(file.string()), std::string::npos) << message;
    EXPECT_NE(message.find(says), std::string::npos) << message;
}

TEST_F(ImageRead, DamagedPngsAreRefusedInOneLineByEveryReader) {
    const Bytes start = bytes_of(valid());
    ASSERT_EQ(std::string(start.data() + 37, 4), "IDAT") << "the writer's first chunk after IHDR";
    struct Case {
        fs::path file;
        std::string says;
    };
    const std::vector<Case> cases = {
        // The length field of the first IDAT chunk at its largest: stb fails without a reason.
        {edited("idat-length.png", [](Bytes& b) { put_big_endian(b, 33, 0xFFFFFFFFu); }), "runs past the end"},
        {edited("idat-2gb.png", [](Bytes& b) { put_big_endian(b, 33, 0x7FFFFFF0u); }), "runs past the end"},
        {edited("cut.png", [](Bytes& b) { b.resize(b.size() - 20); }), "not a readable PNG"},
        {edited("no-iend.png", [](Bytes& b) { b.resize(b.size() - 12); }), "ends before its IEND"},
        {edited("not-png.png", [](Bytes& b) { b[1] = 'Q'; }), "not a PNG file"},
        // A header claiming 4000 x 4000 over the few bytes of data of a 16 x 12 picture.
        {edited("claims-more.png", [](Bytes& b) { put_big_endian(b, 16, 4000), put_big_endian(b, 20, 4000); }),
         "too few"},
        {edited("bad-zlib.png", [](Bytes& b) { b[41] = char(0xFF), b[42] = char(0xFF); }), "not a readable PNG"},
        {dir / "absent.png", "no such file"},
        {dir, "is a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.filename().string());
        try {
            read_png(c.file, PF_PixelFormat_ARGB64);
            ADD_FAILURE() << "read";
        } catch (const PngError& e) {
            expect_one_line_naming(e.what(), c.file, c.says);
        }
        EXPECT_THROW(check_png_decodes(c.file), PngError);
        EXPECT_FALSE(frame_file_whole(c.file));
    }
}

#if !defined(_WIN32)

TEST_F(ImageRead, OnlyRegularFilesAreReadAndNothingBlocks) {
    const fs::path fifo = dir / "fifo.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path link = dir / "zero.png";
    fs::create_symlink("/dev/zero", link);
    for (const fs::path& file : {fifo, fs::path("/dev/zero"), link}) {
        SCOPED_TRACE(file.string());
        const auto start = std::chrono::steady_clock::now();
        try {
            png_info(file);
            ADD_FAILURE() << "read";
        } catch (const PngError& e) {
            expect_one_line_naming(e.what(), file, "not a regular file");
        }
        EXPECT_THROW(read_png(file, PF_PixelFormat_ARGB32), PngError);
        EXPECT_FALSE(frame_file_whole(file));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    }
}

#endif

TEST_F(ImageRead, ASourcePastThePixelLimitIsRefusedFromItsHeaderWithTheWayToRaiseIt) {
    EXPECT_EQ(png_info(valid(), 16 * 12).width, 16);
    EXPECT_NO_THROW(read_source_png(valid(), PF_PixelFormat_ARGB32, 16 * 12));
    // 1,000,000 x 1,000,000 claimed: refused before the data is looked at, so the size is what is named.
    const fs::path huge =
        edited("huge.png", [](Bytes& b) { put_big_endian(b, 16, 1000000), put_big_endian(b, 20, 1000000); });
    for (const fs::path& file : {valid(), huge}) {
        try {
            read_source_png(file, PF_PixelFormat_ARGB32, 100);
            ADD_FAILURE() << file;
        } catch (const PngTooLarge& e) {
            expect_one_line_naming(e.what(), file, "VORLANE_MAX_SOURCE_PIXELS");
        }
        EXPECT_THROW(source_png_info(file, 100), PngTooLarge);
        EXPECT_THROW(check_source_png_decodes(file, 100), PngTooLarge);
    }
}

void set_limit(const char* value) {
#if defined(_WIN32)
    _putenv_s("VORLANE_MAX_SOURCE_PIXELS", value);
#else
    if (*value == '\0') {
        ::unsetenv("VORLANE_MAX_SOURCE_PIXELS");
    } else {
        ::setenv("VORLANE_MAX_SOURCE_PIXELS", value, 1);
    }
#endif
}

TEST(SourceLimit, TheEnvironmentRaisesOrLowersItAndANonNumberIsRefused) {
    const std::vector<std::pair<const char*, std::uint64_t>> taken = {
        {"", kDefaultMaxSourcePixels}, {"1000", 1000}, {"268435456", 268435456}};
    for (const auto& [value, limit] : taken) {
        set_limit(value);
        EXPECT_EQ(max_source_pixels(), limit) << value;
    }
    for (const char* value : {"0", "12k", "-5", "1e9", "99999999999999999999"}) {
        set_limit(value);
        EXPECT_THROW(max_source_pixels(), std::runtime_error) << value;
    }
    set_limit("");
}

}  // namespace
}  // namespace vorlane::host
