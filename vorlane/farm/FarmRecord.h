// What `farm slurm` leaves beside its output: a folder "<out>.farm" with the batch script (and for a video, the
// encode job's script and the frames it is made from), one log per task, and a record of the render (scene and
// frames) that `farm status` reads when not told which frames to look for.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "A.h"

namespace vorlane::host {

struct FarmRecord {
    std::filesystem::path scene;
    A_long first = 0;
    A_long last = 0;
    A_long chunk = 1;
    std::string job;  // the array's job id once submitted
};

struct FarmFiles {
    std::filesystem::path folder;         // "<out>.farm"
    std::filesystem::path script;         // "<out>.farm/render.sbatch"
    std::filesystem::path encode_script;  // "<out>.farm/encode.sbatch", for a video
    std::filesystem::path frames;         // "<out>.farm/frames", for a video: the frames it is made from
    std::filesystem::path record;         // "<out>.farm/farm.json"
    std::filesystem::path logs;           // "<out>.farm/logs"
};

// `out` taken absolute, without a trailing separator.
FarmFiles farm_files(const std::filesystem::path& out);

void write_farm_record(const std::filesystem::path& file, const FarmRecord& record);
// Nothing when the file is missing; throws std::runtime_error when it is damaged.
std::optional<FarmRecord> read_farm_record(const std::filesystem::path& file);

// Writes the text under a temporary name beside `file` and renames it into place. Throws std::runtime_error.
void write_text_file(const std::filesystem::path& file, const std::string& text);

}  // namespace vorlane::host
