// The PiPL a host reads before it calls anything: on Windows the module's own resource (type "PIPL", id 16000, US
// English); elsewhere the file of the same bytes beside the module, named after it (Vorlane.so -> Vorlane.pipl).
#pragma once

#include <cstdint>
#include <vector>

#include "module/LoadedModule.h"

namespace vorlane::host {

constexpr int kPiplResourceId = 16000;
constexpr int kPiplLanguageId = 1033;

// Throws ModuleError when the module carries no PiPL.
std::vector<std::uint8_t> read_pipl(const LoadedModule& module);

}  // namespace vorlane::host
