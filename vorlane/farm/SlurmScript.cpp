#include "farm/SlurmScript.h"

#include <sstream>

namespace vorlane::host {

std::string shell_quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

namespace {

// Slurm reads #SBATCH lines without a shell, so their values are written bare; they are checked not to need quoting.
void sbatch_line(std::ostream& out, const std::string& option, const std::string& value) {
    out << "#SBATCH --" << option << "=" << value << "\n";
}

}  // namespace

std::string slurm_batch_script(const SlurmJob& job) {
    std::ostringstream out;
    out << "#!/bin/bash\n";
    sbatch_line(out, "job-name", job.name);
    sbatch_line(out, "array", "0-" + std::to_string(job.chunks.size() - 1));
    sbatch_line(out, "cpus-per-task", std::to_string(job.threads));
    sbatch_line(out, "output", (job.logs / "task-%A_%a.log").string());
    if (!job.partition.empty()) {
        sbatch_line(out, "partition", job.partition);
    }
    if (!job.time.empty()) {
        sbatch_line(out, "time", job.time);
    }
    out << "# Written by vorlane farm slurm. Each task renders one chunk of frames; frames already written are kept,\n"
           "# so submitting this script again renders only the frames still missing.\n"
           "set -euo pipefail\n";
    out << "vorlane=" << shell_quote(job.vorlane.string()) << "\n";
    out << "module=" << shell_quote(job.module.string()) << "\n";
    out << "scene=" << shell_quote(job.scene.string()) << "\n";
    out << "out=" << shell_quote(job.out.string()) << "\n";
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

}  // namespace vorlane::host
