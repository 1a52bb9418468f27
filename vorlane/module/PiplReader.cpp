#include "module/PiplReader.h"

#include <fstream>
#include <iterator>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace vorlane::host {

#if defined(_WIN32)
std::vector<std::uint8_t> read_pipl(const LoadedModule& module) {
    const auto handle = static_cast<HMODULE>(module.native_handle());
    HRSRC resource =
        FindResourceExA(handle, "PIPL", MAKEINTRESOURCEA(kPiplResourceId), static_cast<WORD>(kPiplLanguageId));
    HGLOBAL loaded = resource ? LoadResource(handle, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        throw ModuleError("module '" + module.path().string() + "' carries no PIPL resource " +
                          std::to_string(kPiplResourceId));
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + SizeofResource(handle, resource));
}
#else
std::vector<std::uint8_t> read_pipl(const LoadedModule& module) {
    std::filesystem::path file = module.path();
    file.replace_extension(".pipl");
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw ModuleError("module '" + module.path().string() + "' has no PiPL beside it ('" + file.string() +
                          "' is missing)");
    }
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
#endif

}  // namespace vorlane::host
