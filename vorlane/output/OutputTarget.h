// Where `vorlane render --out` puts its frames, picked by the name given:
//
//     frames/                  a folder of frame_0000.png, frame_0001.png, ... (any name without a known extension)
//     shots/garden_####.png    an image sequence: the last run of '#' is the frame number, zero-padded to its length
//     shots/garden_####.exr      (a frame past the padding is written with all its digits: garden_12345.exr)
//     still.png, still.exr     one image; only for a render of one frame
//     cut.mov, cut.mp4, cut.gif  a video made by ffmpeg from the frames in order
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "A.h"

namespace vorlane::host {

enum class TargetKind { Folder, Sequence, Single, Video };
enum class ImageFormat { Png, Exr };
enum class VideoFormat { ProRes4444, H264, Gif };  // .mov, .mp4, .gif

struct OutputTarget {
    TargetKind kind = TargetKind::Folder;
    std::filesystem::path path;  // the folder, the pattern, the image or the video, as given
    ImageFormat image = ImageFormat::Png;
    VideoFormat video = VideoFormat::ProRes4444;
};

// A name that cannot be a target ("frames.jpg": a format not written), in one line for the user.
class TargetError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads what --out was given. Throws TargetError for an extension of a picture or video format that is not written.
OutputTarget parse_output_target(const std::string& out);

bool is_video(const OutputTarget& target);

// The file frame `frame` is written to; for a video, the video itself.
std::filesystem::path frame_file(const OutputTarget& target, A_long frame);

// True when something is under the name, a link that points nowhere included: writing there would replace it.
bool name_taken(const std::filesystem::path& path);

// Checks a file a render writes beside its frames (the --trace log) as the frames' names are checked: a name taken
// needs `force`. `option` names it in the message. Throws TargetError.
void check_new_file(const std::filesystem::path& path, bool force, const std::string& option);

// The files of these frames that already exist (for a video or a single image, the one name if it exists). A
// folder of frames is never asked: rendering into it replaces its frames, as it always has.
std::vector<std::filesystem::path> existing_outputs(const OutputTarget& target, const std::vector<A_long>& frames);

// Checks, before anything is rendered, that the target can take these frames: one image needs one frame, a
// pattern or an image format needs a build that writes it, names that exist need `force`. Throws TargetError.
void check_target(const OutputTarget& target, const std::vector<A_long>& frames, bool force);

// Makes the folder the target's files go into. Throws TargetError.
void prepare_target_folder(const OutputTarget& target);

}  // namespace vorlane::host
