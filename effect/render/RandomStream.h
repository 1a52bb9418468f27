// The seeded generator behind every variation of a render. Its exact arithmetic decides the picture, so it is our
// own and never the platform's random function.
#pragma once

#include <cstdint>

namespace vorlane::effect {

struct RandomStream {
    uint32_t state = 1;
};

void seed_stream(RandomStream& stream, int32_t seed);

// The next 15-bit value, 0 to 32767.
int32_t next_value(RandomStream& stream);

// 32767 maps to 0 like 0 does, so no draw ever reaches 1.
float unit_draw(int32_t value);
double unit_draw_double(int32_t value);

// Incremental mode reseeds every pass with this, in 32-bit signed arithmetic. For the seeds "Seed" offers it is the
// seed mod 32767 in every pass, so every pass repeats one sequence.
int32_t incremental_pass_seed(int32_t pass_index, int32_t seed);

// The stream of the calling thread. Renders on different threads never share a state; every render seeds it before
// any of its values can reach the picture.
RandomStream& thread_random_stream();

}  // namespace vorlane::effect
