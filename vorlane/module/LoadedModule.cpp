#include "module/LoadedModule.h"

#include <system_error>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace vorlane::host {
namespace {

constexpr const char* kEntryPointName = "EntryPointFunc";

#if defined(_WIN32)
std::string last_error_text() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "error " + std::to_string(code);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
        message.pop_back();
    }
    return message;
}

void* load_library(const std::filesystem::path& path, std::string* error) {
    HMODULE module = LoadLibraryW(path.wstring().c_str());
    if (module == nullptr) {
        *error = last_error_text();
    }
    return reinterpret_cast<void*>(module);
}

void* find_symbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void unload_library(void* handle) {
    FreeLibrary(static_cast<HMODULE>(handle));
}
#else
void* load_library(const std::filesystem::path& path, std::string* error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* text = dlerror();
        *error = text ? text : "unknown error";
    }
    return handle;
}

void* find_symbol(void* handle, const char* name) {
    return dlsym(handle, name);
}

void unload_library(void* handle) {
    dlclose(handle);
}
#endif

}  // namespace

LoadedModule LoadedModule::open(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        throw ModuleError("cannot load module '" + path.string() + "': no such file");
    }
    // An absolute path keeps the loader from searching its library path for a bare file name.
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    std::string error;
    void* handle = load_library(ec ? path : absolute, &error);
    if (handle == nullptr) {
        throw ModuleError("cannot load module '" + path.string() + "': " + error);
    }
    void* symbol = find_symbol(handle, kEntryPointName);
    if (symbol == nullptr) {
        unload_library(handle);
        throw ModuleError("module '" + path.string() + "' exports no " + kEntryPointName);
    }
    return LoadedModule(handle, reinterpret_cast<PF_EntryPointFunc>(symbol), path);
}

LoadedModule::LoadedModule(void* handle, PF_EntryPointFunc entry_point, std::filesystem::path path)
    : handle_(handle), entry_(entry_point), path_(std::move(path)) {}

LoadedModule::LoadedModule(LoadedModule&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      entry_(std::exchange(other.entry_, nullptr)),
      path_(std::move(other.path_)) {}

LoadedModule& LoadedModule::operator=(LoadedModule&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
        entry_ = std::exchange(other.entry_, nullptr);
        path_ = std::move(other.path_);
    }
    return *this;
}

LoadedModule::~LoadedModule() {
    close();
}

void LoadedModule::close() {
    if (handle_ != nullptr) {
        unload_library(handle_);
        handle_ = nullptr;
        entry_ = nullptr;
    }
}

std::filesystem::path module_path_for(const std::filesystem::path& executable) {
#if defined(_WIN32)
    constexpr const char* kModuleName = "Vorlane.aex";
#else
    constexpr const char* kModuleName = "Vorlane.so";
#endif
    if (executable.empty()) {
        return kModuleName;
    }
    const std::filesystem::path beside = executable.parent_path() / kModuleName;
    const std::filesystem::path installed = executable.parent_path() / ".." / "lib" / "vorlane" / kModuleName;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(beside, ec) && std::filesystem::is_regular_file(installed, ec)) {
        return installed.lexically_normal();
    }
    return beside;
}

std::filesystem::path default_module_path() {
    std::filesystem::path executable;
#if defined(_WIN32)
    wchar_t buffer[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    if (length > 0 && length < std::size(buffer)) {
        executable = std::filesystem::path(std::wstring(buffer, length));
    }
#else
    std::error_code ec;
    executable = std::filesystem::read_symlink("/proc/self/exe", ec);
#endif
    return module_path_for(executable);
}

}  // namespace vorlane::host
