// What the fuzz targets share: the built module, loaded once for the whole run, and the check that turns a broken
// rule into a crash the fuzzer records.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "module/LoadedModule.h"

namespace vorlane::host::fuzz {

// A fault of the code under test: print what broke and abort, so that libFuzzer keeps the input.
[[noreturn]] inline void finding(const char* what) {
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

inline void require(bool holds, const char* what) {
    if (!holds) {
        finding(what);
    }
}

// The module named by VORLANE_MODULE, else the one beside the fuzzer. Loaded at the first call, which the targets
// make from LLVMFuzzerInitialize so that its coverage counters are known before fuzzing starts; never unloaded.
inline PF_EntryPointFunc effect_entry() {
    static const std::unique_ptr<LoadedModule> module = [] {
        const char* named = std::getenv("VORLANE_MODULE");
        return std::make_unique<LoadedModule>(
            LoadedModule::open(named != nullptr ? std::filesystem::path(named) : default_module_path()));
    }();
    return module->entry();
}

}  // namespace vorlane::host::fuzz
