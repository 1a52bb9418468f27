#include "render/RandomStream.h"

namespace vorlane::effect {

namespace {

// One linear congruential step modulo 2^32. Saved projects look as they did only while these stay as they are.
constexpr uint32_t kMultiplier = 214013u;
constexpr uint32_t kIncrement = 2531011u;

}  // namespace

void seed_stream(RandomStream& stream, int32_t seed) {
    stream.state = static_cast<uint32_t>(seed);
}

int32_t next_value(RandomStream& stream) {
    stream.state = stream.state * kMultiplier + kIncrement;
    return static_cast<int32_t>((stream.state >> 16) & 0x7FFFu);
}

float unit_draw(int32_t value) {
    return static_cast<float>(value % 32767) / 32767.0f;
}

double unit_draw_double(int32_t value) {
    return static_cast<double>(value % 32767) / 32767.0;
}

int32_t incremental_pass_seed(int32_t pass_index, int32_t seed) {
    // Wrapping as 32-bit arithmetic always did, without the undefined behaviour of a signed overflow.
    const auto sum = static_cast<int32_t>(static_cast<uint32_t>(pass_index) * 32767u + static_cast<uint32_t>(seed));
    return sum % 32767;
}

RandomStream& thread_random_stream() {
    thread_local RandomStream stream;
    return stream;
}

}  // namespace vorlane::effect
