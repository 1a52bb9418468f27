// The --trace log of a render: JSON Lines, one object per host call in call order,
// {"frame": F, "call": NAME, <arguments>..., "err": CODE}. Calls are gathered per frame on the thread that renders
// it and written frame by frame in frame order, so that with several threads the lines of a frame stay together.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "AE_Effect.h"
#include "pixels/TemporaryFile.h"
#include "session/CallGate.h"

namespace vorlane::host {

// One call as a line of the log.
std::string trace_line(A_long frame, const HostCallRecord& record);

class RenderTrace {
  public:
    // Opens the file and starts observing the gate; frames must be announced in the order they will be written.
    // The log is written under a temporary name and put under `path` as the frames are (see TemporaryFile.h), so
    // a name that is a link is replaced, never written through. Throws CommandFailure.
    RenderTrace(const std::filesystem::path& path, CallGate& gate, std::vector<A_long> frames, Existing existing);
    ~RenderTrace();  // finishes, if finish() was not called, without a word on failure

    // Stops observing, writes what is still held and puts the log under its name. Throws CommandFailure.
    void finish();
    RenderTrace(const RenderTrace&) = delete;
    RenderTrace& operator=(const RenderTrace&) = delete;

    void begin_frame(A_long frame);  // on the rendering thread
    void end_frame(A_long frame);    // on the same thread

    struct FrameBuffer {
        A_long frame = 0;
        std::vector<std::string> lines;
    };

  private:
    void write_ready();

    void close_and_keep(bool report);

    CallGate& gate_;
    TemporaryFile file_;
    std::ofstream out_;
    bool finished_ = false;
    std::vector<A_long> order_;
    std::size_t next_ = 0;
    std::mutex mutex_;
    std::map<A_long, std::unique_ptr<FrameBuffer>> open_;  // begun on some thread, not yet ended
    std::map<A_long, std::vector<std::string>> done_;
};

}  // namespace vorlane::host
