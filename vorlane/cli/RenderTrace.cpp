#include "cli/RenderTrace.h"

#include <memory>

#include <nlohmann/json.hpp>

#include "cli/Subcommands.h"

namespace vorlane::host {

namespace {

// The frame being rendered on this thread. Owned by the trace (its open frames); the thread keeps only a plain
// pointer, since the Windows runtime can crash running thread-local destructors as a worker thread exits.
thread_local RenderTrace::FrameBuffer* buffer = nullptr;

// Arguments come as text: numbers and JSON arrays (the matrix) are written as such, anything else as a string.
nlohmann::ordered_json argument_value(const std::string& text) {
    nlohmann::ordered_json value = nlohmann::ordered_json::parse(text, nullptr, false);
    if (value.is_discarded()) {
        return text;
    }
    if (value.is_string()) {
        const std::string& inner = value.get_ref<const std::string&>();
        if (!inner.empty() && inner.front() == '[') {
            nlohmann::ordered_json array = nlohmann::ordered_json::parse(inner, nullptr, false);
            if (!array.is_discarded()) {
                return array;
            }
        }
    }
    return value;
}

}  // namespace

std::string trace_line(A_long frame, const HostCallRecord& record) {
    nlohmann::ordered_json line;
    line["frame"] = frame;
    line["call"] = record.function;
    for (const auto& [name, text] : record.args) {
        line[name] = argument_value(text);
    }
    line["err"] = record.err;
    if (record.injected) {
        line["injected"] = true;
    }
    return line.dump();
}

RenderTrace::RenderTrace(const std::filesystem::path& path, CallGate& gate, std::vector<A_long> frames,
                         Existing existing)
    : gate_(gate),
      file_(path, existing),
      out_(file_.path(), std::ios::binary | std::ios::trunc),
      order_(std::move(frames)) {
    if (!out_) {
        throw CommandFailure("cannot write the trace file " + path.string());
    }
    gate_.set_observer([](const HostCallRecord& record) {
        if (buffer != nullptr) {
            buffer->lines.push_back(trace_line(buffer->frame, record));
        }
    });
}

RenderTrace::~RenderTrace() {
    if (!finished_) {
        close_and_keep(false);
    }
}

void RenderTrace::finish() {
    finished_ = true;
    close_and_keep(true);
}

void RenderTrace::close_and_keep(bool report) {
    gate_.set_observer({});
    std::lock_guard lock(mutex_);
    for (const auto& [frame, lines] : done_) {
        for (const std::string& line : lines) {
            out_ << line << '\n';
        }
    }
    done_.clear();
    out_.close();
    const bool written = !out_.fail();
    const std::error_code error = written ? file_.keep() : std::error_code{};
    if (report && !written) {
        throw CommandFailure("cannot write the trace file " + file_.final_path().string());
    }
    if (report && error) {
        throw CommandFailure(file_.keep_failure(error));
    }
}

void RenderTrace::begin_frame(A_long frame) {
    auto opened = std::make_unique<FrameBuffer>(FrameBuffer{frame, {}});
    buffer = opened.get();
    std::lock_guard lock(mutex_);
    open_[frame] = std::move(opened);
}

void RenderTrace::end_frame(A_long frame) {
    buffer = nullptr;
    std::lock_guard lock(mutex_);
    const auto it = open_.find(frame);
    if (it == open_.end()) {
        return;
    }
    done_[frame] = std::move(it->second->lines);
    open_.erase(it);
    write_ready();
}

void RenderTrace::write_ready() {
    while (next_ < order_.size()) {
        const auto it = done_.find(order_[next_]);
        if (it == done_.end()) {
            return;
        }
        for (const std::string& line : it->second) {
            out_ << line << '\n';
        }
        done_.erase(it);
        ++next_;
    }
    out_.flush();
}

}  // namespace vorlane::host
