// The Windows build has no OpenEXR library to link (Debian packages none for mingw-w64).
#include "output/ExrWrite.h"

namespace vorlane::host {

std::string exr_unavailable() {
    return "OpenEXR files are written by the Linux build only; render PNG here (NAME_####.png)";
}

void write_exr(const std::filesystem::path& path, const PF_EffectWorld&, Existing) {
    throw ExrError("cannot write " + path.string() + ": " + exr_unavailable());
}

}  // namespace vorlane::host
