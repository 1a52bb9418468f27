#include "farm/SlurmScript.h"

#include <sstream>
#include <utility>
#include <vector>

#include "farm/SbatchValues.h"

namespace vorlane::host {

std::string shell_quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

namespace {

// Slurm reads #SBATCH lines without a shell, so their values are written bare; they are held to characters that
// need no quoting (SbatchValues.h), and a '#' is escaped.
void sbatch_line(std::ostream& out, const std::string& option, const std::string& value) {
    out << "#SBATCH --" << option << "=" << sbatch_escaped(value) << "\n";
}

using SbatchOptions = std::vector<std::pair<std::string, std::string>>;

// What every batch script starts with: the interpreter, its #SBATCH options (the partition and time limit when
// given), a comment saying what it does, and the shell's strict mode.
void script_head(std::ostream& out, const SbatchOptions& options, const std::string& partition, const std::string& time,
                 const char* purpose) {
    out << "#!/bin/bash\n";
    for (const auto& [option, value] : options) {
        sbatch_line(out, option, value);
    }
    if (!partition.empty()) {
        sbatch_line(out, "partition", partition);
    }
    if (!time.empty()) {
        sbatch_line(out, "time", time);
    }
    out << purpose << "set -euo pipefail\n";
}

}  // namespace

std::string slurm_batch_script(const SlurmJob& job) {
    std::ostringstream out;
    script_head(out,
                {{"job-name", job.name},
                 {"array", "0-" + std::to_string(job.chunks.size() - 1)},
                 {"cpus-per-task", std::to_string(job.threads)},
                 {"output", (job.logs / "task-%A_%a.log").generic_string()}},
                job.partition, job.time,
                "# Written by vorlane farm slurm. Each task renders one chunk of frames; frames already written are "
                "kept,\n# so submitting this script again renders only the frames still missing.\n");
    out << "vorlane=" << shell_quote(job.vorlane.generic_string()) << "\n";
    out << "module=" << shell_quote(job.module.generic_string()) << "\n";
    out << "scene=" << shell_quote(job.scene.generic_string()) << "\n";
    out << "out=" << shell_quote(job.out.generic_string()) << "\n";
    out << "chunks=(";
    for (std::size_t i = 0; i < job.chunks.size(); ++i) {
        out << (i > 0 ? " " : "") << chunk_text(job.chunks[i]);
    }
    out << ")\n";
    out << "for file in \"$vorlane\" \"$module\" \"$scene\"; do\n"
           "  if [ ! -e \"$file\" ]; then\n"
           "    echo \"vorlane farm: $file is missing on $(hostname)\" >&2\n"
           "    exit 1\n"
           "  fi\n"
           "done\n"
           "frames=${chunks[${SLURM_ARRAY_TASK_ID:?not run as a task of a Slurm job array}]}\n"
           "echo \"vorlane farm: task ${SLURM_ARRAY_TASK_ID} on $(hostname): frames $frames\"\n"
           "exec \"$vorlane\" --module \"$module\" render \"$scene\" --frames \"$frames\" --out \"$out\" \\\n"
           "  -j \"${SLURM_CPUS_PER_TASK:-1}\" --skip-existing\n";
    return out.str();
}

std::string slurm_encode_script(const SlurmEncodeJob& job) {
    std::ostringstream out;
    script_head(
        out,
        {{"job-name", job.name}, {"cpus-per-task", "1"}, {"output", (job.logs / "encode-%j.log").generic_string()}},
        job.partition, job.time,
        "# Written by vorlane farm slurm. Submitted to run after the render's job array has succeeded: makes "
        "the\n# video from its frames, then removes them once the video is whole.\n");
    out << "vorlane=" << shell_quote(job.vorlane.generic_string()) << "\n";
    out << "frames=" << shell_quote(job.frames.generic_string()) << "\n";
    out << "video=" << shell_quote(job.video.generic_string()) << "\n";
    out << "if [ ! -e \"$vorlane\" ]; then\n"
           "  echo \"vorlane farm: $vorlane is missing on $(hostname)\" >&2\n"
           "  exit 1\n"
           "fi\n";
    out << "\"$vorlane\" encode \"$frames\" --frames " << chunk_text(job.range) << " --out \"$video\" --fps " << job.fps
        << " --matte " << job.matte << (job.force ? " --force" : "") << "\n";
    // encode puts the video under its name only when it is complete, and set -e ends the script if it fails.
    out << "rm -rf -- \"$frames\"\n"
           "echo \"vorlane farm: wrote $video and removed its frames\"\n";
    return out.str();
}

}  // namespace vorlane::host
