// A folder of the running test's own under the temporary folder, named after its suite and name: unit and module
// binaries may run the same test names at once.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace vorlane::host::test {

inline std::filesystem::path test_folder(const std::string& prefix) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::filesystem::temp_directory_path() /
           (prefix + std::string(info->test_suite_name()) + "_" + info->name());
}

}  // namespace vorlane::host::test
