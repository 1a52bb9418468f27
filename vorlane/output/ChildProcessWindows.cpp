// The Windows build makes no video (see video_unavailable), so it never starts a child.
#include "output/ChildProcess.h"

namespace vorlane::host {

struct ChildProcess::State {};

ChildProcess::ChildProcess(const std::filesystem::path& program, const std::vector<std::string>&,
                           const std::filesystem::path&)
    : state_(nullptr) {  // nothing to own
    throw ChildError("cannot start " + program.string() + ": the Windows build starts no programs");
}

ChildProcess::~ChildProcess() = default;

bool ChildProcess::write(const void*, std::size_t) {
    return false;
}

int ChildProcess::finish() {
    return -1;
}

void ChildProcess::kill() {}

}  // namespace vorlane::host
