// The process's peak resident memory, for tests that bound what a render may take: a rise of the peak over a
// render is at most what the render held at once (less when an earlier peak of the process was higher).
#pragma once

#include <cstdint>

#ifdef _WIN32
#define PSAPI_VERSION 2  // GetProcessMemoryInfo from kernel32, no psapi library to link
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

namespace vorlane::host::test {

inline std::uint64_t peak_resident_bytes() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;  // Linux counts in kilobytes
#endif
}

}  // namespace vorlane::host::test
