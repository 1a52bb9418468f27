// PNG files in and out of worlds.
#pragma once

#include <filesystem>
#include <ostream>
#include <stdexcept>

#include "AE_Effect.h"
#include "pixels/Worlds.h"

namespace vorlane::host {

class PngError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads any PNG (1 to 16 bits, grey, grey + alpha, palette, RGB, RGBA; transparency chunks honoured) into a new
// world of the given format with straight alpha. 16-bit values 0..65535 become 0..32768. Throws PngError.
WorldStorage read_png(const std::filesystem::path& path, PF_PixelFormat format);

// The format that keeps all of a file's precision: ARGB64 for 16-bit files, ARGB32 otherwise. Throws PngError.
PF_PixelFormat native_png_format(const std::filesystem::path& path);

// How hard the compressor works: Fast writes a frame in a fraction of the time Small takes, for files somewhat
// larger; Small makes the smallest files this writer can.
enum class PngCompression { Fast, Small };

// Writes the world as an RGBA PNG with straight alpha, 8 or 16 bits per channel (16-bit worlds' 0..32768 become
// 0..65535). The file appears complete or not at all: it is written beside its final name and renamed over it.
// Throws PngError.
void write_png(const std::filesystem::path& path, const PF_EffectWorld& world, int bits_per_channel,
               PngCompression compression = PngCompression::Fast);

// The same file's bytes into a stream, for a picture that goes elsewhere than a file. Throws PngError.
void encode_png(std::ostream& out, const PF_EffectWorld& world, int bits_per_channel,
                PngCompression compression = PngCompression::Fast);

}  // namespace vorlane::host
