// The small toolkit with which a scene is read: typed reads of JSON values that fail with the file and the JSON
// pointer of the place.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>

#include <nlohmann/json.hpp>

#include "AE_Effect.h"

namespace vorlane::host {

struct SceneReader {
    std::string file;
    std::filesystem::path folder;         // relative paths in the scene start here
    std::uint64_t max_source_pixels = 0;  // a picture it names may have no more

    [[noreturn]] void fail(const std::string& pointer, const std::string& message) const;

    static std::string at(const std::string& pointer, const std::string& key);
    static std::string at(const std::string& pointer, std::size_t index);

    // Fails on anything but an object whose keys are all among `keys`.
    void expect_object(const nlohmann::json& j, const std::string& pointer,
                       std::initializer_list<const char*> keys) const;
    double number(const nlohmann::json& j, const std::string& pointer, double min, double max) const;
    A_long integer(const nlohmann::json& j, const std::string& pointer, A_long min, A_long max) const;
    const std::string& text(const nlohmann::json& j, const std::string& pointer) const;
    // An array, of exactly `size` values unless size is 0.
    const nlohmann::json& array(const nlohmann::json& j, const std::string& pointer, std::size_t size = 0) const;
    // The path of a PNG the host can read and that is within the pixel limit, relative to the scene's folder.
    std::filesystem::path readable_png(const nlohmann::json& j, const std::string& pointer) const;
};

}  // namespace vorlane::host
