#include "output/FfmpegCommand.h"

#include <cstdio>
#include <cstdlib>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace vorlane::host {

std::string piped_pixel_format(const VideoSettings& settings) {
    switch (settings.format) {
        case VideoFormat::ProRes4444:
            return settings.bits == 16 ? "rgba64le" : "rgba";
        case VideoFormat::H264:
            return "rgb24";
        case VideoFormat::Gif:
            break;
    }
    return "rgba";
}

std::size_t piped_frame_bytes(const VideoSettings& settings) {
    const std::string format = piped_pixel_format(settings);
    const std::size_t pixel = format == "rgba64le" ? 8 : format == "rgba" ? 4 : 3;
    return pixel * static_cast<std::size_t>(settings.width) * static_cast<std::size_t>(settings.height);
}

std::vector<std::string> ffmpeg_arguments(const VideoSettings& settings, const std::filesystem::path& file) {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.6g", settings.frame_rate);
    std::vector<std::string> args = {
        "-hide_banner", "-loglevel",
        "error",        "-y",
        "-f",           "rawvideo",
        "-pix_fmt",     piped_pixel_format(settings),
        "-s",           std::to_string(settings.width) + "x" + std::to_string(settings.height),
        "-framerate",   rate,
        "-i",           "pipe:0"};
    switch (settings.format) {
        case VideoFormat::ProRes4444:
            args.insert(args.end(),
                        {"-c:v", "prores_ks", "-profile:v", "4444", "-pix_fmt", "yuva444p10le", "-f", "mov"});
            break;
        case VideoFormat::H264:
            // 4:2:0 needs an even width and height: an odd one gets a row or column of the matte colour.
            char pad[96];
            std::snprintf(pad, sizeof pad, "pad=ceil(iw/2)*2:ceil(ih/2)*2:0:0:0x%02X%02X%02X", settings.matte.red,
                          settings.matte.green, settings.matte.blue);
            args.insert(args.end(),
                        {"-vf", pad, "-c:v", "libx264", "-pix_fmt", "yuv420p", "-movflags", "+faststart", "-f", "mp4"});
            break;
        case VideoFormat::Gif:
            // A palette per frame, made from that frame: ffmpeg then holds one frame at a time, however long the
            // render, where one palette for all would need every frame before the first is written.
            args.insert(args.end(),
                        {"-vf", "split[a][b];[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1", "-f", "gif"});
            break;
    }
    args.push_back(file.string());
    return args;
}

std::filesystem::path find_program(const std::string& name) {
#ifdef _WIN32
    (void)name;
    return {};
#else
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) {
            end = dirs.size();
        }
        const std::string dir = dirs.substr(start, end - start);
        const std::filesystem::path candidate = std::filesystem::path(dir.empty() ? "." : dir) / name;
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec) && access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return {};
#endif
}

std::string video_unavailable(const OutputTarget& target) {
    const std::string ext = target.path.extension().string();
#ifdef _WIN32
    return ext + " video is made by the Linux build only; render PNG here (NAME_####.png) and encode it there";
#else
    if (find_program("ffmpeg").empty()) {
        return ext +
               " video needs ffmpeg, which is not on PATH; install Debian's ffmpeg package (apt-get install ffmpeg)";
    }
    return {};
#endif
}

}  // namespace vorlane::host
