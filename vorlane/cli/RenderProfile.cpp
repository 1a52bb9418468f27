#include "cli/RenderProfile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <string>

namespace vorlane::host {

namespace {

constexpr std::array kGroups = {CallGroup::Paths,     CallGroup::Worlds,     CallGroup::Copy,
                                CallGroup::Transform, CallGroup::Parameters, CallGroup::Other};

double ms(std::chrono::nanoseconds time) {
    return std::chrono::duration<double, std::milli>(time).count();
}

void write_row(std::ostream& out, const std::string& name, std::size_t width, const CallTally& tally) {
    char line[160];
    std::snprintf(line, sizeof line, "  %-*s %8llu %11.3f\n", static_cast<int>(width), name.c_str(),
                  static_cast<unsigned long long>(tally.calls), ms(tally.time));
    out << line;
}

void write_header(std::ostream& out, const char* what, std::size_t width) {
    char line[160];
    std::snprintf(line, sizeof line, "  %-*s %8s %11s\n", static_cast<int>(width), what, "calls", "ms");
    out << line;
}

void write_block(std::ostream& out, const std::string& title, std::chrono::nanoseconds command,
                 const CallProfile& profile) {
    const std::map<std::string, CallTally> calls = calls_by_name(profile);
    std::array<CallTally, kGroups.size()> groups{};
    CallTally all;
    std::size_t width = std::string("parameters").size();
    for (const auto& [name, tally] : calls) {
        CallTally& group = groups[static_cast<std::size_t>(group_of(name))];
        group.calls += tally.calls;
        group.time += tally.time;
        all.calls += tally.calls;
        width = std::max(width, name.size());
    }
    // The host's calls all run inside the command; a clock's rounding must not make the effect's share negative.
    const std::chrono::nanoseconds host = std::min(profile.host_time, command);
    char head[200];
    std::snprintf(head, sizeof head, "%s: command %.3f ms = effect %.3f ms + host %.3f ms in %llu calls\n",
                  title.c_str(), ms(command), ms(command - host), ms(host), static_cast<unsigned long long>(all.calls));
    out << head;
    write_header(out, "group", width);
    for (CallGroup group : kGroups) {
        write_row(out, group_name(group), width, groups[static_cast<std::size_t>(group)]);
    }
    std::vector<std::pair<std::string, CallTally>> by_time(calls.begin(), calls.end());
    std::stable_sort(by_time.begin(), by_time.end(),
                     [](const auto& a, const auto& b) { return a.second.time > b.second.time; });
    write_header(out, "call", width);
    for (const auto& [name, tally] : by_time) {
        write_row(out, name, width, tally);
    }
}

}  // namespace

const char* group_name(CallGroup group) {
    switch (group) {
        case CallGroup::Paths:
            return "paths";
        case CallGroup::Worlds:
            return "worlds";
        case CallGroup::Copy:
            return "copy";
        case CallGroup::Transform:
            return "transform";
        case CallGroup::Parameters:
            return "parameters";
        case CallGroup::Other:
            break;
    }
    return "other";
}

CallGroup group_of(std::string_view function) {
    if (function.find("Path") != std::string_view::npos) {
        return CallGroup::Paths;
    }
    if (function == "transform_world") {
        return CallGroup::Transform;
    }
    if (function == "copy" || function == "copy_hq") {
        return CallGroup::Copy;
    }
    if (function == "checkout_param" || function == "checkin_param") {
        return CallGroup::Parameters;
    }
    for (std::string_view world :
         {"new_world", "dispose_world", "PF_NewWorld", "PF_DisposeWorld", "fill", "PF_GetPixelFormat"}) {
        if (function == world) {
            return CallGroup::Worlds;
        }
    }
    return CallGroup::Other;
}

void write_profile(std::ostream& out, const std::vector<FrameProfile>& frames) {
    std::chrono::nanoseconds command{0};
    CallProfile all;
    for (const FrameProfile& frame : frames) {
        write_block(out, "frame " + std::to_string(frame.frame), frame.command, frame.calls);
        command += frame.command;
        all.host_time += frame.calls.host_time;
        for (const auto& [name, tally] : frame.calls.by_function) {
            all.by_function[name].calls += tally.calls;
            all.by_function[name].time += tally.time;
        }
    }
    write_block(out, "all " + std::to_string(frames.size()) + " frames", command, all);
}

}  // namespace vorlane::host
