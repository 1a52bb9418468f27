#include "scene/SourceDecoding.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "scene/SourceLimit.h"

namespace vorlane::host {

namespace {

// Each thread holds one decoded picture at a time: a few of them keep the memory of several large sources bounded.
constexpr unsigned kMaxThreads = 4;

struct PictureToDecode {
    std::filesystem::path path;
    std::string pointer;  // where the scene names it
    std::string what;     // "frame 12: " for a sequence's frame, empty otherwise
};

std::vector<PictureToDecode> pictures_of(const Scene& scene) {
    std::vector<PictureToDecode> pictures;
    if (const auto* image = std::get_if<BackgroundImage>(&scene.background)) {
        pictures.push_back({image->path, "/effect_layer/background", ""});
    }
    for (std::size_t i = 0; i < scene.layers.size(); ++i) {
        const std::string at = "/layers/" + std::to_string(i);
        if (!scene.layers[i]) {
            continue;
        }
        if (const auto* image = std::get_if<ImageSource>(&*scene.layers[i])) {
            pictures.push_back({image->path, at + "/image", ""});
        } else if (const auto* sequence = std::get_if<SequenceSource>(&*scene.layers[i])) {
            for (A_long k = 0; k < sequence->count; ++k) {
                pictures.push_back({sequence->frame_path(k), at + "/sequence", "frame " + std::to_string(k) + ": "});
            }
        }
    }
    return pictures;
}

}  // namespace

void decode_scene_sources(const Scene& scene) {
    const std::vector<PictureToDecode> pictures = pictures_of(scene);
    // The first failure in the scene's order is the one reported, whichever thread met it first.
    std::vector<std::optional<std::string>> failures(pictures.size());
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> first_failed{pictures.size()};
    const auto work = [&] {
        for (std::size_t i = next++; i < pictures.size() && i < first_failed; i = next++) {
            try {
                check_source_png_decodes(pictures[i].path, scene.max_source_pixels);
            } catch (const std::exception& e) {
                failures[i] = e.what();
                for (std::size_t seen = first_failed; i < seen && !first_failed.compare_exchange_weak(seen, i);) {
                }
            }
        }
    };
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads && t < pictures.size(); ++t) {
        helpers.emplace_back(work);
    }
    work();
    for (std::thread& helper : helpers) {
        helper.join();
    }
    if (const std::size_t i = first_failed; i < pictures.size()) {
        throw SceneError(scene.file.string(), pictures[i].pointer,
                         "cannot decode the image: " + pictures[i].what + *failures[i]);
    }
}

}  // namespace vorlane::host
