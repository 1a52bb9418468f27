// The bytes of an image file the host reads (a layer's picture, a frame a render wrote). Only a regular file is
// read, and only once its size is known to fit: a path naming a device reads without end, a FIFO blocks until some
// writer comes, and neither is an image.
#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

namespace vorlane::host {

// Throws PngError naming the path when it is not a regular file, is larger than `max_bytes` or cannot be read.
std::vector<unsigned char> read_image_file(const std::filesystem::path& path, std::size_t max_bytes);

}  // namespace vorlane::host
