// PNG files in and out of worlds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <stdexcept>

#include "AE_Effect.h"
#include "pixels/TemporaryFile.h"
#include "pixels/Worlds.h"

namespace vorlane::host {

class PngError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A picture whose header says it is larger than a reader allows: refused before its pixels are decoded.
class PngTooLarge : public PngError {
  public:
    using PngError::PngError;
};

// A frame of the largest composition: no picture the host writes has more pixels.
constexpr std::uint64_t kLargestFramePixels = 16384ull * 16384ull;

// What a PNG's header says; the file is read whole, its chunks checked to lie within it.
struct PngInfo {
    A_long width = 0;
    A_long height = 0;
    PF_PixelFormat native = PF_PixelFormat_ARGB32;  // ARGB64 for 16-bit files: the format that keeps all of them
};

// Throws PngError for a file that is not a readable PNG, PngTooLarge beyond `max_pixels`.
PngInfo png_info(const std::filesystem::path& path, std::uint64_t max_pixels = kLargestFramePixels);

// Reads any PNG (1 to 16 bits, grey, grey + alpha, palette, RGB, RGBA; transparency chunks honoured) into a new
// world of the given format with straight alpha. 16-bit values 0..65535 become 0..32768. Throws PngError, and
// PngTooLarge before decoding a picture of more than `max_pixels`.
WorldStorage read_png(const std::filesystem::path& path, PF_PixelFormat format,
                      std::uint64_t max_pixels = kLargestFramePixels);

// Decodes the whole picture and drops it: for the question "would a render read this file?". Throws as read_png.
void check_png_decodes(const std::filesystem::path& path, std::uint64_t max_pixels = kLargestFramePixels);

// The format that keeps all of a file's precision: ARGB64 for 16-bit files, ARGB32 otherwise. Throws PngError.
PF_PixelFormat native_png_format(const std::filesystem::path& path);

// How hard the compressor works: Fast writes a frame in a fraction of the time Small takes, for files somewhat
// larger; Small makes the smallest files this writer can.
enum class PngCompression { Fast, Small };

// Writes the world as an RGBA PNG with straight alpha, 8 or 16 bits per channel (16-bit worlds' 0..32768 become
// 0..65535). The file appears complete or not at all: it is written beside its final name and renamed over it (or,
// with Existing::Keep, onto it only while the name is free). Throws PngError.
void write_png(const std::filesystem::path& path, const PF_EffectWorld& world, int bits_per_channel,
               PngCompression compression = PngCompression::Fast, Existing existing = Existing::Replace);

// The same file's bytes into a stream, for a picture that goes elsewhere than a file. Throws PngError.
void encode_png(std::ostream& out, const PF_EffectWorld& world, int bits_per_channel,
                PngCompression compression = PngCompression::Fast);

}  // namespace vorlane::host
