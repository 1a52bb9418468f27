// An effect module loaded as After Effects loads it: the library (dlopen / LoadLibrary) and its exported
// EntryPointFunc. Unloaded when the object goes; every Session over its entry point must be gone by then.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "AE_Effect.h"

namespace vorlane::host {

// A module that cannot be used; what() is one line fit for the user.
class ModuleError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class LoadedModule {
  public:
    // Throws ModuleError when the file is missing, cannot be loaded, or exports no EntryPointFunc.
    static LoadedModule open(const std::filesystem::path& path);

    LoadedModule(LoadedModule&& other) noexcept;
    LoadedModule& operator=(LoadedModule&& other) noexcept;
    ~LoadedModule();

    PF_EntryPointFunc entry() const { return entry_; }
    const std::filesystem::path& path() const { return path_; }
    void* native_handle() const { return handle_; }  // HMODULE on Windows, the dlopen handle elsewhere

  private:
    LoadedModule(void* handle, PF_EntryPointFunc entry_point, std::filesystem::path path);
    void close();

    void* handle_ = nullptr;
    PF_EntryPointFunc entry_ = nullptr;
    std::filesystem::path path_;
};

// Where the module is looked for when none is named: beside the executable (a build folder), else in
// ../lib/vorlane/ from it (an installed vorlane in /usr/bin, the module in /usr/lib/vorlane). The first that exists;
// beside the executable when neither does, so that the error names the usual place.
std::filesystem::path module_path_for(const std::filesystem::path& executable);

// module_path_for the running executable: Vorlane.aex on Windows, Vorlane.so elsewhere.
std::filesystem::path default_module_path();

}  // namespace vorlane::host
