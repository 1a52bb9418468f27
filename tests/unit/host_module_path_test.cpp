// Where vorlane looks for the module when --module names none: in a build folder beside itself, once installed in
// ../lib/vorlane/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "module/LoadedModule.h"
#include "support/test_folder.h"

namespace vorlane::host::test {
namespace {

namespace fs = std::filesystem;

#if defined(_WIN32)
constexpr const char* kModuleName = "Vorlane.aex";
#else
constexpr const char* kModuleName = "Vorlane.so";
#endif

void touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

TEST(ModulePath, BesideTheExecutableFirstThenInstalledUnderLibElseBeside) {
    const fs::path root = test_folder("vorlane_modpath_");
    fs::remove_all(root);
    const fs::path exe = root / "usr" / "bin" / "vorlane";
    const fs::path beside = root / "usr" / "bin" / kModuleName;
    const fs::path installed = root / "usr" / "lib" / "vorlane" / kModuleName;
    touch(exe);  // ../lib is found through the executable's own folder

    // Neither there: the usual place, so that the error names it.
    EXPECT_EQ(module_path_for(exe), beside);

    touch(installed);
    EXPECT_EQ(module_path_for(exe), installed);

    // A folder of that name is not a module.
    fs::create_directories(beside);
    EXPECT_EQ(module_path_for(exe), installed);
    fs::remove(beside);

    // A module beside the executable wins: a build folder's own, not an installed one.
    touch(beside);
    EXPECT_EQ(module_path_for(exe), beside);

    fs::remove_all(root);
}

}  // namespace
}  // namespace vorlane::host::test
