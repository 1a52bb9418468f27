// The preview's HTTP server: the page, and the API it drives.
//
//     GET  /api/params          the controls, as `vorlane params --json` prints them
//     GET  /api/state           the controls with what the page draws them from (ranges, choices, keyframes)
//     POST /api/edit            {"name": ..., "value": ..., "frame": N}: one edit; the new controls, or 400
//     POST /api/undo, /api/redo, /api/save
//     POST /api/save-as         {"name": "x.json", "overwrite": false}: Save into another file of the scene's folder
//     POST /api/reload          the scene read again from disk, unsaved edits and undo history dropped
//     GET  /api/frame/N         frame N as PNG (?res=full|half|third|quarter&quality=high|low&ahead=1)
//     GET  /api/masks/N         the mask outlines at frame N as SVG path data
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "preview/EditRecovery.h"
#include "preview/PreviewState.h"

namespace vorlane::host {

struct PreviewOptions {
    std::string host = "127.0.0.1";
    int port = 0;  // 0: any free port
    int threads = 1;
    std::filesystem::path save_path;  // where Save writes; empty for nowhere
    std::string token;                // empty: a fresh one
    std::string resolution = "full";  // the page's starting resolution: full, half, third or quarter
    // What the save target must still hold for Save to write it; none: what it holds now. A recovery over a scene
    // that changed on disk since names the text the edits were made over, so that Save keeps the newer file.
    std::optional<std::string> save_expects;
    EditRecovery* recovery = nullptr;  // told of every change and save; none: edits are kept nowhere
};

class PreviewServer {
  public:
    // Binds the port; throws std::runtime_error when it cannot.
    PreviewServer(PreviewState& state, PreviewOptions options);
    ~PreviewServer();
    PreviewServer(const PreviewServer&) = delete;
    PreviewServer& operator=(const PreviewServer&) = delete;

    int port() const;
    const std::string& token() const;
    std::string url() const;  // the page's address, token included
    void run();               // serves until stop()
    void stop();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vorlane::host
