#include "preview/EditRecovery.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "pixels/TemporaryFile.h"
#include "preview/SceneSave.h"

namespace vorlane::host {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kDemoKey = "(built-in demo)";
constexpr int kFormat = 1;

std::filesystem::path state_folder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/') {
        return std::filesystem::path(state) / "vorlane";
    }
    if (const char* home = std::getenv("HOME"); home && *home == '/') {
        return std::filesystem::path(home) / ".local" / "state" / "vorlane";
    }
    return {};
}

// FNV-1a: stable across builds and machines, which std::hash is not promised to be.
std::string hash_of(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (int shift = 60; shift >= 0; shift -= 4) {
        out.push_back(kDigits[(hash >> shift) & 0xf]);
    }
    return out;
}

std::string utc_now() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
    return text;
}

Json values_json(const KeptValues& values) {
    return Json{{"params", values.params}, {"layers", values.layers}};
}

KeptValues values_from(const Json& json) {
    KeptValues values;
    values.params = json.at("params");
    values.layers = json.at("layers").get<LayerChoice>();
    return values;
}

std::optional<std::string> write_whole(const std::filesystem::path& file, const std::string& text) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    // Edits are one user's work: the folder is theirs alone.
    std::filesystem::permissions(file.parent_path(), std::filesystem::perms::owner_all, error);
    return write_file_whole(file, text);
}

}  // namespace

std::string recovery_scene_key(const std::filesystem::path& scene) {
    if (scene.empty()) {
        return kDemoKey;
    }
    std::error_code error;
    const std::filesystem::path whole = std::filesystem::weakly_canonical(std::filesystem::absolute(scene), error);
    return (error ? std::filesystem::absolute(scene) : whole).string();
}

std::filesystem::path recovery_file_for(const std::string& key) {
    const std::filesystem::path folder = state_folder();
    if (folder.empty()) {
        return {};
    }
    const std::string name = key == kDemoKey ? "demo" : std::filesystem::path(key).stem().string();
    return folder / "recovery" / (name + "-" + hash_of(key) + ".json");
}

KeptValues kept_values(const PreviewState& state) {
    return {saved_params(state), state.layers};
}

std::optional<KeptEdits> read_kept_edits(const std::filesystem::path& file, const std::string& key) {
    if (file.empty()) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    try {
        const Json json = Json::parse(text.str());
        if (json.at("vorlane_recovery") != kFormat || json.at("scene") != key) {
            return std::nullopt;
        }
        return KeptEdits{key, json.at("read_text").get<std::string>(), values_from(json.at("read")),
                         values_from(json.at("edited")), json.at("written").get<std::string>()};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

EditRecovery::EditRecovery(std::filesystem::path file, std::string key, std::string read_text, KeptValues read)
    : edits_file_(std::move(file)), kept_{std::move(key), std::move(read_text), read, read, {}} {}

std::optional<std::string> EditRecovery::changed(const PreviewState& state) {
    std::lock_guard lock(mutex_);
    {
        // Read within this lock, so that of two edits written at once the later values are written last.
        const auto held = state.lock.shared();
        kept_.edited = kept_values(state);
    }
    unsaved_ = kept_.edited != kept_.read;
    if (edits_file_.empty()) {
        return std::nullopt;
    }
    if (!unsaved_) {
        std::error_code ignored;
        std::filesystem::remove(edits_file_, ignored);
        return std::nullopt;
    }
    kept_.written = utc_now();
    const Json json{{"vorlane_recovery", kFormat},
                    {"scene", kept_.scene},
                    {"written", kept_.written},
                    {"read", values_json(kept_.read)},
                    {"edited", values_json(kept_.edited)},
                    {"read_text", kept_.read_text}};
    try {
        return write_whole(edits_file_, json.dump(1) + "\n");
    } catch (const std::exception& e) {
        return "cannot keep the unsaved edits in " + edits_file_.string() + ": " + e.what();
    }
}

void EditRecovery::saved(const PreviewState& state) {
    std::lock_guard lock(mutex_);
    {
        const auto held = state.lock.shared();
        kept_.read = kept_values(state);
    }
    kept_.edited = kept_.read;
    unsaved_ = false;
    if (!edits_file_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(edits_file_, ignored);
    }
}

void EditRecovery::reloaded(const PreviewState& state) {
    {
        std::lock_guard lock(mutex_);
        const auto held = state.lock.shared();
        kept_.read_text = state.scene_text;
    }
    saved(state);
}

bool EditRecovery::unsaved() const {
    std::lock_guard lock(mutex_);
    return unsaved_;
}

}  // namespace vorlane::host
