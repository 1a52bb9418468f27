// `vorlane preview`: the effect's controls and its picture in the browser, served on this machine until Ctrl+C.
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli/Interrupt.h"
#include "cli/RenderOptions.h"
#include "cli/Subcommands.h"
#include "preview/PreviewServer.h"
#include "scene/DemoScene.h"
#include "scene/SceneLoad.h"

namespace vorlane::host {
namespace {

struct PreviewArgs {
    std::string scene;
    std::string host = "127.0.0.1";
    int port = 0;
    int threads = 2;
    std::string save_as;
    std::string resolution = "full";
};

// A port a bookmark can keep; when something else holds it, any free one.
constexpr int kUsualPort = 8642;

std::string read_scene_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::unique_ptr<PreviewServer> listen(PreviewState& state, PreviewOptions options, bool port_given) {
    if (port_given) {
        return std::make_unique<PreviewServer>(state, options);
    }
    options.port = kUsualPort;
    try {
        return std::make_unique<PreviewServer>(state, options);
    } catch (const std::runtime_error&) {
        options.port = 0;
        return std::make_unique<PreviewServer>(state, options);
    }
}

int run_preview(const CliState& state, const PreviewArgs& args, bool port_given) {
    if (args.threads < 1) {
        throw CommandFailure("-j takes a number of threads of 1 or more");
    }
    if (args.port < 0 || args.port > 65535) {
        throw CommandFailure("--port takes a port number from 1 to 65535");
    }
    HostedEffect effect = open_effect(state);
    PreviewState preview{.session = *effect.session,
                         .scene = args.scene.empty() ? demo_scene() : load_scene_file(args.scene),
                         .scene_text = args.scene.empty() ? demo_scene_text() : read_scene_text(args.scene)};
    open_preview(preview);
    PreviewOptions options;
    options.host = args.host;
    options.port = args.port;
    options.threads = args.threads;
    options.resolution = args.resolution;
    options.save_path = !args.save_as.empty() ? std::filesystem::path(args.save_as) : std::filesystem::path(args.scene);
    if (args.host != "127.0.0.1" && args.host != "localhost" && args.host != "::1") {
        state.err << "vorlane: warning: listening on " << args.host
                  << ", not only on this machine: anyone with the token can edit and save the scene\n";
    }
    std::unique_ptr<PreviewServer> server;
    try {
        server = listen(preview, options, port_given);
    } catch (const std::runtime_error& e) {
        throw CommandFailure(e.what());
    }
    const InterruptWatch interrupt;
    std::thread serving([&] { server->run(); });
    state.out << "vorlane preview: open " << server->url() << "  (Ctrl+C stops it)" << std::endl;
    while (!interrupt.requested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    server->stop();
    serving.join();
    return 0;
}

}  // namespace

void add_preview_command(CLI::App& app, CliState& state) {
    auto args = std::make_shared<PreviewArgs>();
    CLI::App* preview = app.add_subcommand(
        "preview", "show the effect's controls and picture in the browser (the built-in demo without a scene)");
    preview->add_option("scene", args->scene, "the scene file (JSON)")->check(CLI::ExistingFile);
    CLI::Option* port = preview->add_option("--port", args->port, "the port to listen on (default: 8642, or any)");
    preview->add_option("--host", args->host, "the address to listen on (default: 127.0.0.1, this machine only)");
    preview->add_option("-j", args->threads, "frames rendered at once (default: 2)");
    add_resolution_option(
        *preview, [args](const std::string& name) { args->resolution = name; },
        "the page's starting resolution: full, half, third or quarter (default: full)");
    preview->add_option("--save-as", args->save_as, "where Save writes the scene (default: the scene file)");
    preview->callback([&state, args, port] {
        const bool port_given = port->count() > 0;
        state.action = [&state, args, port_given] { return run_preview(state, *args, port_given); };
    });
}

}  // namespace vorlane::host
