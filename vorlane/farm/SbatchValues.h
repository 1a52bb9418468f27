// Values that go bare into a batch script's #SBATCH lines. sbatch reads those lines without a shell and splits
// them at any white space (a vertical tab or a form feed as well as a space), so a value that held one would add
// options of its own. Each kind of value is held to the characters it can have, not screened for bad ones.
#pragma once

#include <string>

namespace vorlane::host {

// Letters, digits, '_', '-' and '.', and ',' between the names of a list of partitions.
bool is_partition_value(const std::string& value);

// A time limit as sbatch takes it: digits with ':' and '-' ("90", "2:00:00", "1-12"), or UNLIMITED or INFINITE.
bool is_time_value(const std::string& value);

// A path Slurm writes logs to: letters, digits and / _ - . + , = @ ~ : # only (no '%', which Slurm expands). The
// '#' of a NAME_####.png target's farm folder is written escaped (sbatch_escaped).
bool is_sbatch_path(const std::string& value);

// The value as an #SBATCH line carries it: an unescaped '#' there starts a comment that ends the value.
std::string sbatch_escaped(const std::string& value);

// A job's name made from a file's name: letters, digits, '_', '-' and '.' kept, every other byte made '_'. A name
// only labels the job in squeue, so a scene called "shot 1 (final).json" is submitted, not refused.
std::string sbatch_job_name(const std::string& from);

}  // namespace vorlane::host
