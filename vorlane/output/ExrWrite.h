// OpenEXR files out of worlds: RGBA half float, alpha premultiplied, ZIP compressed (lossless), the data and the
// display window both the world's size. 8-bit 0..255 and 16-bit 0..32768 both become 0..1.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "AE_Effect.h"
#include "pixels/TemporaryFile.h"

namespace vorlane::host {

class ExrError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Empty where OpenEXR files can be written; otherwise why not, in one line.
std::string exr_unavailable();

// The file appears complete or not at all: it is written beside its final name and renamed over it (or, with
// Existing::Keep, onto it only while the name is free). Throws ExrError.
void write_exr(const std::filesystem::path& path, const PF_EffectWorld& world, Existing existing = Existing::Replace);

}  // namespace vorlane::host
