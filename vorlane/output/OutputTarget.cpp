#include "output/OutputTarget.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <system_error>

#include "output/ExrWrite.h"
#include "output/VideoEncoder.h"

namespace vorlane::host {

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Extensions of formats people may expect but that are not written: a folder so named would surprise them.
bool is_unwritten_format(const std::string& ext) {
    static const char* const kNames[] = {".jpg", ".jpeg", ".tif",  ".tiff", ".bmp",  ".webp", ".tga", ".dpx",
                                         ".avi", ".mkv",  ".webm", ".m4v",  ".apng", ".psd",  ".hdr"};
    return std::any_of(std::begin(kNames), std::end(kNames), [&](const char* name) { return ext == name; });
}

// The position and length of the last run of '#' in the file name; length 0 when there is none.
std::pair<std::size_t, std::size_t> hash_run(const std::string& name) {
    const std::size_t last = name.rfind('#');
    if (last == std::string::npos) {
        return {0, 0};
    }
    std::size_t first = last;
    while (first > 0 && name[first - 1] == '#') {
        --first;
    }
    return {first, last - first + 1};
}

std::string format_name(const OutputTarget& target) {
    if (target.kind == TargetKind::Video) {
        return target.path.extension().string();
    }
    return target.image == ImageFormat::Exr ? "OpenEXR" : "PNG";
}

}  // namespace

OutputTarget parse_output_target(const std::string& out) {
    OutputTarget target;
    target.path = out;
    const std::string ext = lower(target.path.extension().string());
    if (ext == ".png" || ext == ".exr") {
        target.image = ext == ".png" ? ImageFormat::Png : ImageFormat::Exr;
        const std::string stem = target.path.stem().string();
        target.kind = hash_run(stem).second > 0 ? TargetKind::Sequence : TargetKind::Single;
    } else if (ext == ".mov" || ext == ".mp4" || ext == ".gif") {
        target.kind = TargetKind::Video;
        target.video = ext == ".mov" ? VideoFormat::ProRes4444 : ext == ".mp4" ? VideoFormat::H264 : VideoFormat::Gif;
    } else if (is_unwritten_format(ext)) {
        throw TargetError("--out " + out + ": " + ext +
                          " is not written; give a folder, NAME_####.png, NAME_####.exr, .mov, .mp4 or .gif");
    }
    return target;
}

bool is_video(const OutputTarget& target) {
    return target.kind == TargetKind::Video;
}

std::filesystem::path frame_file(const OutputTarget& target, A_long frame) {
    switch (target.kind) {
        case TargetKind::Folder: {
            char name[32];
            std::snprintf(name, sizeof name, "frame_%04ld.png", static_cast<long>(frame));
            return target.path / name;
        }
        case TargetKind::Sequence: {
            const std::string name = target.path.filename().string();
            const auto [at, length] = hash_run(target.path.stem().string());
            char digits[32];
            std::snprintf(digits, sizeof digits, "%0*ld", static_cast<int>(std::min<std::size_t>(length, 20)),
                          static_cast<long>(frame));
            return target.path.parent_path() / (name.substr(0, at) + digits + name.substr(at + length));
        }
        case TargetKind::Single:
        case TargetKind::Video:
            break;
    }
    return target.path;
}

bool name_taken(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found && !ec;
}

void check_new_file(const std::filesystem::path& path, bool force, const std::string& option) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw TargetError(option + " " + path.string() + " is a folder, not a file");
    }
    if (!force && name_taken(path)) {
        throw TargetError(option + " " + path.string() + " already exists; --force replaces it");
    }
}

std::vector<std::filesystem::path> existing_outputs(const OutputTarget& target, const std::vector<A_long>& frames) {
    std::vector<std::filesystem::path> found;
    if (target.kind == TargetKind::Folder) {
        return found;
    }
    if (target.kind != TargetKind::Sequence) {
        if (name_taken(target.path)) {
            found.push_back(target.path);
        }
        return found;
    }
    for (A_long frame : frames) {
        if (std::filesystem::path file = frame_file(target, frame); name_taken(file)) {
            found.push_back(std::move(file));
        }
    }
    return found;
}

void check_target(const OutputTarget& target, const std::vector<A_long>& frames, bool force) {
    const std::string out = target.path.string();
    if (target.kind == TargetKind::Single && frames.size() != 1) {
        throw TargetError(
            "--out " + out + " names one image, but " + std::to_string(frames.size()) +
            " frames are rendered; put #### in the name for the frame number, e.g. " +
            (target.path.parent_path() / (target.path.stem().string() + "_####" + target.path.extension().string()))
                .string());
    }
    if (target.kind != TargetKind::Video && target.kind != TargetKind::Folder && target.image == ImageFormat::Exr) {
        if (const std::string why = exr_unavailable(); !why.empty()) {
            throw TargetError("--out " + out + ": " + why);
        }
    }
    if (target.kind == TargetKind::Video) {
        if (const std::string why = video_unavailable(target); !why.empty()) {
            throw TargetError("--out " + out + ": " + why);
        }
    }
    if (target.kind == TargetKind::Folder) {
        std::error_code ec;
        if (std::filesystem::exists(target.path, ec) && !std::filesystem::is_directory(target.path, ec)) {
            throw TargetError("--out " + out + " is a file, not a folder");
        }
        return;
    }
    if (force) {
        return;
    }
    const std::vector<std::filesystem::path> existing = existing_outputs(target, frames);
    if (!existing.empty()) {
        std::string what = existing.front().string();
        if (existing.size() > 1) {
            what += " and " + std::to_string(existing.size() - 1) + " more " + format_name(target) + " file(s)";
        }
        throw TargetError(what + " already exist" + (existing.size() > 1 ? "" : "s") + "; --force replaces " +
                          (existing.size() > 1 ? "them" : "it"));
    }
}

void prepare_target_folder(const OutputTarget& target) {
    const std::filesystem::path folder = target.kind == TargetKind::Folder ? target.path : target.path.parent_path();
    if (folder.empty()) {
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        throw TargetError("cannot make the output folder " + folder.string() + ": " + ec.message());
    }
}

}  // namespace vorlane::host
