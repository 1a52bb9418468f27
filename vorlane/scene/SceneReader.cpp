#include "scene/SceneReader.h"

#include <cmath>

#include "scene/Scene.h"
#include "scene/SourceLimit.h"

namespace vorlane::host {

using nlohmann::json;

void SceneReader::fail(const std::string& pointer, const std::string& message) const {
    throw SceneError(file, pointer, message);
}

std::string SceneReader::at(const std::string& pointer, const std::string& key) {
    std::string token;
    for (char c : key) {
        token += c == '~' ? std::string("~0") : c == '/' ? std::string("~1") : std::string(1, c);
    }
    return pointer + "/" + token;
}

std::string SceneReader::at(const std::string& pointer, std::size_t index) {
    return pointer + "/" + std::to_string(index);
}

void SceneReader::expect_object(const json& j, const std::string& pointer,
                                std::initializer_list<const char*> keys) const {
    if (!j.is_object()) {
        fail(pointer, "expected an object");
    }
    for (const auto& [key, value] : j.items()) {
        bool known = false;
        for (const char* allowed : keys) {
            known = known || key == allowed;
        }
        if (!known) {
            fail(at(pointer, key), "unknown key \"" + key + "\"");
        }
    }
}

double SceneReader::number(const json& j, const std::string& pointer, double min, double max) const {
    if (!j.is_number()) {
        fail(pointer, "expected a number");
    }
    const double value = j.get<double>();
    if (!std::isfinite(value) || value < min || value > max) {
        fail(pointer, "must lie between " + json(min).dump() + " and " + json(max).dump());
    }
    return value;
}

A_long SceneReader::integer(const json& j, const std::string& pointer, A_long min, A_long max) const {
    if (!j.is_number()) {
        fail(pointer, "expected a number");
    }
    const double value = j.get<double>();
    if (!std::isfinite(value) || value < min || value > max) {
        fail(pointer, "must lie between " + std::to_string(min) + " and " + std::to_string(max));
    }
    if (value != std::floor(value)) {
        fail(pointer, "expected a whole number");
    }
    return static_cast<A_long>(value);
}

const std::string& SceneReader::text(const json& j, const std::string& pointer) const {
    if (!j.is_string()) {
        fail(pointer, "expected a string");
    }
    return j.get_ref<const std::string&>();
}

const json& SceneReader::array(const json& j, const std::string& pointer, std::size_t size) const {
    if (!j.is_array()) {
        fail(pointer, "expected an array");
    }
    if (size != 0 && j.size() != size) {
        fail(pointer, "expected an array of " + std::to_string(size) + " values");
    }
    return j;
}

std::filesystem::path SceneReader::readable_png(const json& j, const std::string& pointer) const {
    const std::filesystem::path path = folder / text(j, pointer);
    try {
        source_png_info(path, max_source_pixels);
    } catch (const std::exception& e) {
        fail(pointer, "cannot read the image: " + std::string(e.what()));
    }
    return path;
}

}  // namespace vorlane::host
