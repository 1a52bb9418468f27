#include "cli/FarmCommand.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>

#include "cli/FrameList.h"
#include "cli/RenderProgress.h"
#include "farm/FarmRecord.h"
#include "farm/FrameFiles.h"
#include "farm/SbatchValues.h"
#include "farm/Slurm.h"
#include "farm/SlurmScript.h"
#include "frames/SceneSession.h"
#include "scene/SceneLoad.h"
#include "scene/SourceDecoding.h"

namespace vorlane::host {

namespace {

// The exit status of `farm status` when frames are missing, apart from 1 for a command that failed.
constexpr int kFramesMissingStatus = 2;

struct SlurmArgs {
    std::string scene;
    std::string out;
    std::string frames;
    int chunk = 10;
    std::string partition;
    std::string time;
    int threads = 1;
    bool force = false;
    bool submit = false;
};

struct StatusArgs {
    std::string out;
    std::string frames;
};

// Values that go into #SBATCH lines, which Slurm reads without a shell (see SbatchValues.h). The value is not
// echoed: it may hold the very characters that would break the line it is printed on.
void require_partition(const std::string& partition) {
    if (!partition.empty() && !is_partition_value(partition)) {
        throw CommandFailure(
            "--partition takes a partition's name: letters, digits, '_', '-', '.' (',' between names)");
    }
}

void require_time(const std::string& time) {
    if (!time.empty() && !is_time_value(time)) {
        throw CommandFailure(
            "--time takes a time limit as sbatch does: digits with ':' and '-' (2:00:00, 1-12), or "
            "UNLIMITED");
    }
}

void require_sbatch_path(const std::filesystem::path& folder) {
    if (!is_sbatch_path(folder.generic_string())) {
        throw CommandFailure("the farm folder " + folder.generic_string() +
                             " holds a character a batch script's log path cannot carry; keep to letters, digits "
                             "and / _ - . + , = @ ~ :");
    }
}

std::filesystem::path running_executable() {
#if defined(_WIN32)
    throw CommandFailure("farm slurm needs the Linux vorlane: Slurm's nodes run Linux programs");
#else
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        throw CommandFailure("cannot tell where vorlane itself is: " + ec.message());
    }
    return exe;
#endif
}

// Makes the folder and writes and removes a file in it, so that a folder the tasks could not write is found now.
void require_writable_folder(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        throw CommandFailure("cannot make the output folder " + folder.string() + ": " + ec.message());
    }
    const std::filesystem::path probe = folder / ".vorlane-farm-probe";
    try {
        write_text_file(probe, "");
    } catch (const std::exception&) {
        throw CommandFailure("cannot write in the output folder " + folder.string());
    }
    std::filesystem::remove(probe, ec);
}

// The tasks keep frames already written: say so, in case they are of another version of the scene.
void warn_about_frames_kept(const CliState& state, const OutputTarget& target, const std::vector<A_long>& frames) {
    std::vector<A_long> present;
    std::error_code ec;
    for (const A_long frame : frames) {
        if (std::filesystem::exists(frame_file(target, frame), ec)) {
            present.push_back(frame);
        }
    }
    if (!present.empty()) {
        state.err << "vorlane: note: " << target.path.string() << " already holds frames " << frame_runs(present)
                  << "; the tasks keep them (remove them to render them again)\n";
    }
}

bool partition_exists(const std::string& partition) {
    try {
        return slurm_partition_exists(partition);
    } catch (const std::runtime_error& e) {
        throw CommandFailure(e.what());
    }
}

OutputTarget parsed_target(const std::string& out) {
    try {
        OutputTarget target = parse_output_target(out);
        target.path = std::filesystem::absolute(target.path).lexically_normal();
        return target;
    } catch (const TargetError& e) {
        throw CommandFailure(e.what());
    }
}

// What the tasks write: the target itself, or for a video a folder of frames beside it that the encode job turns
// into the video.
OutputTarget task_target(const OutputTarget& target, const FarmFiles& files) {
    if (!is_video(target)) {
        return target;
    }
    OutputTarget frames;
    frames.kind = TargetKind::Folder;
    frames.path = files.frames;
    return frames;
}

// Refuses what the tasks or the encode job could not write, before anything is submitted.
void check_farm_target(const OutputTarget& target, const std::vector<A_long>& frames, bool force) {
    if (target.kind == TargetKind::Single) {
        throw CommandFailure("--out " + target.path.string() +
                             " is one image; a farm render writes a folder, NAME_####.png, NAME_####.exr or a video");
    }
    try {
        // Frames already there are kept by the tasks, not replaced, so only a video is held to --force.
        check_target(target, frames, is_video(target) ? force : true);
    } catch (const TargetError& e) {
        throw CommandFailure(e.what());
    }
    require_writable_folder(target.kind == TargetKind::Folder ? target.path : target.path.parent_path());
}

std::string hex_colour(const PF_Pixel& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
}

// The colour a video without alpha shows where the frames are transparent, as a render to a video picks it.
std::string video_matte(const Scene& scene) {
    const auto* colour = std::get_if<BackgroundColor>(&scene.background);
    return colour != nullptr ? hex_colour(colour->color) : "000000";
}

void write_script(const std::filesystem::path& file, const std::string& text) {
    try {
        write_text_file(file, text);
    } catch (const std::runtime_error& e) {
        throw CommandFailure(e.what());
    }
    std::error_code ec;
    std::filesystem::permissions(file, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add, ec);
}

SlurmEncodeJob encode_job(const SlurmJob& job, const SlurmArgs& args, const Scene& scene, const OutputTarget& video,
                          const std::vector<A_long>& frames) {
    SlurmEncodeJob encode;
    encode.name = job.name + "-encode";
    encode.vorlane = job.vorlane;
    encode.frames = job.out;
    encode.video = video.path;
    encode.logs = job.logs;
    encode.range = {frames.front(), frames.back()};
    char fps[32];
    std::snprintf(fps, sizeof fps, "%.2f", scene.comp.frame_rate);
    encode.fps = fps;
    encode.matte = video_matte(scene);
    encode.force = args.force;
    encode.partition = args.partition;
    encode.time = args.time;
    return encode;
}

int run_farm_slurm(const CliState& state, const SlurmArgs& args) {
    if (args.chunk < 1) {
        throw CommandFailure("--chunk takes a number of frames of 1 or more");
    }
    if (args.threads < 1) {
        throw CommandFailure("-j takes a number of threads of 1 or more");
    }
    require_partition(args.partition);
    require_time(args.time);
    const std::filesystem::path vorlane = running_executable();

    // The scene is loaded and its values given to the effect as a task will, so that it fails here, not on a node.
    const Scene scene = load_scene_file(args.scene);
    decode_scene_sources(scene);
    const std::vector<A_long> frames = frame_list(args.frames, scene.comp.duration_frames);
    {
        HostedEffect effect = open_effect(state);
        prepare_scene_session(*effect.session, scene, {});
    }
    if (args.submit && !args.partition.empty() && !partition_exists(args.partition)) {
        throw CommandFailure("the cluster has no partition \"" + args.partition + "\" (see sinfo)");
    }
    const OutputTarget target = parsed_target(args.out);
    const FarmFiles files = farm_files(target.path);
    require_sbatch_path(files.folder);
    check_farm_target(target, frames, args.force);
    const OutputTarget tasks = task_target(target, files);
    if (is_video(target)) {
        require_writable_folder(tasks.path);
    }

    SlurmJob job;
    job.name = sbatch_job_name("vorlane-" + std::filesystem::path(args.scene).stem().string());
    job.vorlane = vorlane;
    job.module = std::filesystem::absolute(state.module_path).lexically_normal();
    job.scene = std::filesystem::absolute(args.scene).lexically_normal();
    job.out = tasks.path;
    job.logs = files.logs;
    job.chunks = chunk_frames(frames.front(), frames.back(), args.chunk);
    job.partition = args.partition;
    job.time = args.time;
    job.threads = args.threads;

    std::error_code ec;
    std::filesystem::create_directories(files.logs, ec);
    if (ec) {
        throw CommandFailure("cannot make " + files.logs.string() + ": " + ec.message());
    }
    write_script(files.script, slurm_batch_script(job));
    if (is_video(target)) {
        write_script(files.encode_script, slurm_encode_script(encode_job(job, args, scene, target, frames)));
    }
    FarmRecord record{job.scene, frames.front(), frames.back(), args.chunk, {}};
    write_farm_record(files.record, record);
    warn_about_frames_kept(state, tasks, frames);
    const std::string plan = "frames " + frame_runs(frames) + " in " + std::to_string(job.chunks.size()) +
                             " task(s) of up to " + std::to_string(args.chunk) + " frame(s)";
    if (!args.submit) {
        state.out << "wrote " << files.script.string() << " (" << plan << "); submit it with: sbatch "
                  << files.script.string();
        if (is_video(target)) {
            state.out << ", then: sbatch --dependency=afterok:JOB --kill-on-invalid-dep=yes "
                      << files.encode_script.string();
        }
        state.out << "\n";
        return 0;
    }
    std::string encode_id;
    try {
        record.job = slurm_submit(files.script);
        write_farm_record(files.record, record);
        if (is_video(target)) {
            encode_id = slurm_submit(files.encode_script, record.job);
        }
    } catch (const std::runtime_error& e) {
        throw CommandFailure(e.what() + (record.job.empty() ? "" : " (job " + record.job + " was submitted)"));
    }
    state.out << "submitted job " << record.job << ": " << plan;
    if (!encode_id.empty()) {
        state.out << ", and job " << encode_id << " to make " << target.path.string() << " once they all succeed";
    }
    state.out << "; logs in " << files.logs.string() << "\n";
    return 0;
}

int run_farm_status(const CliState& state, const StatusArgs& args) {
    const OutputTarget target = parsed_target(args.out);
    const FarmFiles files = farm_files(target.path);
    std::optional<FarmRecord> record;
    try {
        record = read_farm_record(files.record);
    } catch (const std::runtime_error& e) {
        throw CommandFailure(e.what());
    }
    if (is_video(target) && std::filesystem::is_regular_file(target.path)) {
        state.out << target.path.string() << ": the video is made\n";
        return 0;
    }
    if (!record && args.frames.empty()) {
        throw CommandFailure("no farm render writes to " + args.out + " (no " + files.record.string() +
                             "); give --frames A-B");
    }
    // No scene is loaded to bound the frames by: any frame number is taken.
    const std::string range =
        args.frames.empty() ? std::to_string(record->first) + "-" + std::to_string(record->last) : args.frames;
    const std::vector<A_long> frames = frame_list(range, std::numeric_limits<A_long>::max());
    const OutputTarget tasks = task_target(target, files);
    const std::vector<A_long> missing = missing_frames(tasks, frames);
    state.out << tasks.path.string() << ": " << frames.size() - missing.size() << " of " << frames.size()
              << " frames whole";
    if (!missing.empty()) {
        state.out << "; missing " << missing.size() << ": " << frame_runs(missing);
    }
    if (is_video(target)) {
        state.out << "; the video " << target.path.string() << " is not made yet";
    }
    state.out << "\n";
    return missing.empty() && !is_video(target) ? 0 : kFramesMissingStatus;
}

}  // namespace

void add_farm_command(CLI::App& app, CliState& state) {
    CLI::App* farm = app.add_subcommand("farm", "render on a cluster, and see what a farm render has written");
    farm->require_subcommand(1);

    auto slurm = std::make_shared<SlurmArgs>();
    CLI::App* submit = farm->add_subcommand("slurm", "write (and with --submit, submit) a Slurm job array");
    submit->add_option("scene", slurm->scene, "the scene file (JSON)")->required();
    submit->add_option("--out", slurm->out, "a folder for frame_NNNN.png, NAME_####.png, NAME_####.exr, or a video")
        ->required();
    submit->add_option("--frames", slurm->frames, "the frames to render, A-B or A (default: all)");
    submit->add_option("--chunk", slurm->chunk, "frames per task (default: 10)");
    submit->add_option("--partition", slurm->partition, "the Slurm partition (default: the cluster's)");
    submit->add_option("--time", slurm->time, "the time limit per task, as sbatch takes it");
    submit->add_option("-j", slurm->threads, "CPUs per task, the frames each task renders at once (default: 1)");
    submit->add_flag("--force", slurm->force, "replace the video if it exists");
    submit->add_flag("--submit", slurm->submit, "submit the script with sbatch and print the job id");
    submit->callback([&state, slurm] { state.action = [&state, slurm] { return run_farm_slurm(state, *slurm); }; });

    auto status = std::make_shared<StatusArgs>();
    CLI::App* show = farm->add_subcommand("status", "list the frames of a farm render that are missing");
    show->add_option("out", status->out, "the --out of the farm render")->required();
    show->add_option("--frames", status->frames, "the frames to look for (default: those of the farm render)");
    show->callback([&state, status] { state.action = [&state, status] { return run_farm_status(state, *status); }; });
}

}  // namespace vorlane::host
