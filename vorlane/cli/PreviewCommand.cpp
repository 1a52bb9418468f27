// `vorlane preview`: the effect's controls and its picture in the browser, served on this machine until Ctrl+C.
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli/Interrupt.h"
#include "cli/RenderOptions.h"
#include "cli/Subcommands.h"
#include "preview/EditRecovery.h"
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
    bool recover = false;
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

// The command that takes kept edits back, as the user would type it.
std::string recover_command(const PreviewArgs& args) {
    return "vorlane preview " + (args.scene.empty() ? std::string() : args.scene + " ") + "--recover";
}

// The scene as the kept edits left it: the text it was read from, with their values.
Scene recovered_scene(const KeptEdits& kept, const std::string& scene) {
    nlohmann::ordered_json text = nlohmann::ordered_json::parse(kept.read_text);
    text["params"] = kept.edited.params;
    return parse_scene(text.dump(), scene.empty() ? "(built-in demo scene)" : scene);
}

// Said at start when edits of this scene are kept and not taken back.
void say_kept(std::ostream& err, const PreviewArgs& args, const KeptEdits& kept, const std::filesystem::path& file,
              bool changed_on_disk) {
    err << "vorlane preview: unsaved edits of " << kept.scene << " from " << kept.written << " are kept in "
        << file.string() << (changed_on_disk ? " (the scene has changed on disk since)" : "") << ": `"
        << recover_command(args) << "` takes them back; the first edit made without it replaces them\n";
}

// Said when recovering edits made over a scene file that has changed since: they are shown over the file as it was
// then, and Save refuses to write over the newer one.
void say_recovered(std::ostream& err, const KeptEdits& kept, const std::filesystem::path& file, bool changed_on_disk) {
    err << "vorlane preview: recovered the unsaved edits from " << kept.written << " (" << file.string() << ")";
    if (changed_on_disk) {
        err << "; " << kept.scene
            << " has changed on disk since: they are shown over the scene as it was then, and Save will not "
               "write over the newer file (start with --save-as FILE to keep both)";
    }
    err << "\n";
}

// Said at Ctrl+C when edits are unsaved.
void say_stopped(std::ostream& err, const PreviewArgs& args, const EditRecovery& recovery) {
    if (!recovery.unsaved()) {
        return;
    }
    if (recovery.file().empty()) {
        err << "vorlane preview: stopped with unsaved edits, which are lost: there is no state folder to keep them "
               "in (set HOME or XDG_STATE_HOME)\n";
    } else {
        err << "vorlane preview: stopped with unsaved edits; they are kept in " << recovery.file().string() << ": `"
            << recover_command(args) << "` takes them back\n";
    }
}

int run_preview(const CliState& state, const PreviewArgs& args, bool port_given) {
    if (args.threads < 1) {
        throw CommandFailure("-j takes a number of threads of 1 or more");
    }
    if (args.port < 0 || args.port > 65535) {
        throw CommandFailure("--port takes a port number from 1 to 65535");
    }
    const std::string key = recovery_scene_key(args.scene);
    const std::filesystem::path kept_file = recovery_file_for(key);
    const std::optional<KeptEdits> kept = read_kept_edits(kept_file, key);
    if (args.recover && !kept) {
        throw CommandFailure("no unsaved edits of " + key + " are kept" +
                             (kept_file.empty() ? " (no state folder: HOME is not set)" : " in " + kept_file.string()));
    }
    const std::string on_disk = args.scene.empty() ? demo_scene_text() : read_scene_text(args.scene);
    const bool changed_on_disk = kept && kept->read_text != on_disk;
    HostedEffect effect = open_effect(state);
    PreviewState preview{.session = *effect.session,
                         .scene = args.recover ? recovered_scene(*kept, args.scene)
                                               : (args.scene.empty() ? demo_scene() : load_scene_file(args.scene)),
                         .scene_text = args.recover ? kept->read_text : on_disk};
    open_preview(preview);
    if (args.recover) {
        choose_layers(preview, kept->edited.layers);
        // Save tells the user's changes from what the file says by the values the file gave, not the recovered ones.
        preview.read_params = kept->read.params;
        preview.read_layers = kept->read.layers;
    }
    EditRecovery recovery(kept_file, key, preview.scene_text, args.recover ? kept->read : kept_values(preview));
    if (args.recover) {
        recovery.changed(preview);
        say_recovered(state.err, *kept, kept_file, changed_on_disk);
    } else if (kept) {
        say_kept(state.err, args, *kept, kept_file, changed_on_disk);
    }
    PreviewOptions options;
    options.host = args.host;
    options.port = args.port;
    options.threads = args.threads;
    options.resolution = args.resolution;
    options.save_path = !args.save_as.empty() ? std::filesystem::path(args.save_as) : std::filesystem::path(args.scene);
    if (args.recover && args.save_as.empty()) {
        options.save_expects = preview.scene_text;
    }
    options.recovery = &recovery;
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
    say_stopped(state.err, args, recovery);
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
    preview->add_flag("--recover", args->recover,
                      "take back the unsaved edits of the scene kept from an earlier preview (stopped or killed)");
    preview->callback([&state, args, port] {
        const bool port_given = port->count() > 0;
        state.action = [&state, args, port_given] { return run_preview(state, *args, port_given); };
    });
}

}  // namespace vorlane::host
