#include "preview/PreviewServer.h"

#include <httplib.h>

#include <iostream>
#include <map>
#include <mutex>
#include <stdexcept>

#include "preview/BodyLimit.h"
#include "preview/BoundedServer.h"
#include "preview/FrameService.h"
#include "preview/MaskOutlines.h"
#include "preview/PreviewPage.h"
#include "preview/RequestGuard.h"
#include "preview/SaveAsName.h"
#include "preview/SceneReload.h"
#include "preview/SceneSave.h"
#include "ui/ControlsView.h"

namespace vorlane::host {
namespace {

using nlohmann::json;

// Requests are small JSON records; anything larger is refused before it is read.
constexpr std::size_t kMaxBody = 16 * 1024;

void reply_line(httplib::Response& res, int status, const std::string& line) {
    res.status = status;
    res.set_content(line + "\n", "text/plain; charset=utf-8");
}

void reply_json(httplib::Response& res, const std::string& text) {
    res.set_content(text, "application/json");
}

// Takes the lock shared: a reload may change the composition's length.
std::optional<A_long> frame_number(const std::string& text, const PreviewState& state) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const long frame = std::stol(text);
    const auto held = state.lock.shared();
    if (frame >= state.scene.comp.duration_frames) {
        return std::nullopt;
    }
    return static_cast<A_long>(frame);
}

std::optional<ViewSettings> view_settings(const httplib::Request& req) {
    ViewSettings view;
    const std::string res = req.has_param("res") ? req.get_param_value("res") : "full";
    const std::string quality = req.has_param("quality") ? req.get_param_value("quality") : "high";
    static const std::map<std::string, int> kDownsamples = {{"full", 1}, {"half", 2}, {"third", 3}, {"quarter", 4}};
    const auto downsample = kDownsamples.find(res);
    if (downsample == kDownsamples.end()) {
        return std::nullopt;
    }
    view.downsample = downsample->second;
    if (quality != "high" && quality != "low") {
        return std::nullopt;
    }
    view.high_quality = quality == "high";
    return view;
}

// Runs before the body is read, so that what the body may be is settled first.
BodyFraming body_framing(const httplib::Request& req) {
    BodyFraming framing;
    const auto lengths = req.headers.equal_range("Content-Length");
    for (auto it = lengths.first; it != lengths.second; ++it) {
        framing.content_lengths.push_back(it->second);
    }
    framing.transfer_encoding = req.has_header("Transfer-Encoding");
    framing.content_encoding = req.get_header_value("Content-Encoding");
    return framing;
}

}  // namespace

struct PreviewServer::Impl {
    Impl(PreviewState& s, PreviewOptions o)
        : state(s), options(std::move(o)), frames(s, options.threads), save(save_target(options.save_path)) {
        if (options.save_expects) {
            save.on_disk = options.save_expects;
        }
    }

    PreviewState& state;
    PreviewOptions options;
    FrameService frames;
    std::mutex save_mutex;
    SaveTarget save;
    GuardConfig guard;
    BoundedServer server{ServerLimits{}};

    void routes();
    void keep_edits();
    void save_as(const httplib::Request& req, httplib::Response& res);
    void reload(httplib::Response& res);
    std::filesystem::path save_as_folder();
    void edit(const httplib::Request& req, httplib::Response& res);
    std::string state_text(const httplib::Request& req);
};

// Runs after every change of the values; a failure to keep them is said once, and the preview goes on.
void PreviewServer::Impl::keep_edits() {
    if (!options.recovery) {
        return;
    }
    static std::once_flag said;
    if (const auto failure = options.recovery->changed(state)) {
        std::call_once(said, [&] { std::cerr << "vorlane: warning: " << *failure << "\n"; });
    }
}

std::string PreviewServer::Impl::state_text(const httplib::Request& req) {
    if (req.has_param("frame")) {
        if (const auto frame = frame_number(req.get_param_value("frame"), state)) {
            show_frame(state, *frame);
        }
    }
    nlohmann::ordered_json out = preview_state_json(state);
    std::lock_guard lock(save_mutex);
    out["can_save"] = !save.path.empty();
    out["save_path"] = save.path.string();
    out["can_save_as"] = !save_as_folder().empty();
    return out.dump();
}

void PreviewServer::Impl::edit(const httplib::Request& req, httplib::Response& res) {
    const json body = json::parse(req.body, nullptr, false);
    if (body.is_discarded() || !body.is_object() || !body.contains("name") || !body["name"].is_string()) {
        return reply_line(res, 400, "expected {\"name\": \"<control>\", \"value\": <value>}");
    }
    A_long frame = 0;
    {
        const auto held = state.lock.shared();
        frame = state.frame;
    }
    if (body.contains("frame")) {
        const json& f = body["frame"];
        if (!f.is_number_integer() || f.get<long long>() < 0 || f.get<long long>() > 100000000) {
            return reply_line(res, 400, "\"frame\" takes a frame number");
        }
        frame = static_cast<A_long>(f.get<long long>());
    }
    const json value = body.contains("value") ? body["value"] : json();
    if (const auto failure = edit_control(state, body["name"].get<std::string>(), value, frame)) {
        return reply_line(res, 400, *failure);
    }
    keep_edits();
    const auto held = state.lock.shared();
    res.set_header("X-Vorlane-Generation", std::to_string(state.generation));
    reply_json(res, params_json(state));
}

// The folder of the file Save writes: the scene's own, or that of --save-as; none when Save writes nowhere (the
// demo without --save-as, whose scene names no folder). Call with save_mutex held.
std::filesystem::path PreviewServer::Impl::save_as_folder() {
    return save.path.empty() ? save.path : std::filesystem::absolute(save.path).parent_path();
}

void PreviewServer::Impl::save_as(const httplib::Request& req, httplib::Response& res) {
    const json body = json::parse(req.body, nullptr, false);
    if (body.is_discarded() || !body.is_object() || !body.contains("name") || !body["name"].is_string() ||
        (body.contains("overwrite") && !body["overwrite"].is_boolean())) {
        return reply_line(res, 400, "expected {\"name\": \"<file name>\", \"overwrite\": false}");
    }
    std::lock_guard lock(save_mutex);
    const bool overwrite = body.value("overwrite", false);
    const auto where = save_as_path(save_as_folder(), body["name"].get<std::string>(), overwrite);
    if (const auto* refused = std::get_if<SaveAsRefusal>(&where)) {
        if (refused->exists) {
            res.set_header("X-Vorlane-Exists", "1");
        }
        return reply_line(res, 409, refused->reason);
    }
    SaveTarget target = save_target(std::get<std::filesystem::path>(where));
    if (const auto failure = save_scene(state, target)) {
        return reply_line(res, 409, *failure);
    }
    // As in any editor, the file saved as is the one Save writes from now on.
    save = std::move(target);
    if (options.recovery) {
        options.recovery->saved(state);
    }
    reply_line(res, 200, "saved " + save.path.string());
}

// Reads the file Save writes, which is the one whose change refused a Save; the scene itself while that file does
// not exist yet (a --save-as not yet written).
void PreviewServer::Impl::reload(httplib::Response& res) {
    {
        std::lock_guard lock(save_mutex);
        std::filesystem::path path = save.path;
        if (!path.empty() && !std::filesystem::exists(path)) {
            const auto held = state.lock.shared();
            path = std::filesystem::is_regular_file(state.scene.file) ? state.scene.file : std::filesystem::path();
        }
        if (path.empty()) {
            return reply_line(res, 409, "nothing to read again: the scene is the built-in demo, not yet saved");
        }
        if (const auto failure = reload_scene(state, path)) {
            return reply_line(res, 409, "not reloaded: " + *failure);
        }
        save.on_disk = save_target(save.path).on_disk;
        if (options.recovery) {
            options.recovery->reloaded(state);
        }
    }
    reply_json(res, state_text(httplib::Request()));
}

void PreviewServer::Impl::routes() {
    server.set_payload_max_length(kMaxBody);
    server.set_default_headers({{"Cache-Control", "no-store"},
                                {"X-Content-Type-Options", "nosniff"},
                                {"X-Frame-Options", "DENY"},
                                {"Referrer-Policy", "no-referrer"},
                                {"Content-Security-Policy",
                                 "default-src 'self'; img-src 'self' blob:; frame-ancestors 'none'; base-uri 'none'"}});
    server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        if (const GuardVerdict body = check_body(body_framing(req), kMaxBody); body.status != 0) {
            reply_line(res, body.status, body.message);
            return httplib::Server::HandlerResponse::Handled;
        }
        const GuardRequest request{req.method, req.get_header_value("Host"), req.get_header_value("Origin"),
                                   req.get_header_value("Cookie"), req.get_param_value("token")};
        const GuardVerdict verdict = check_request(guard, request);
        if (verdict.status != 0) {
            reply_line(res, verdict.status, verdict.message);
            return httplib::Server::HandlerResponse::Handled;
        }
        if (verdict.set_cookie) {
            res.set_header("Set-Cookie",
                           std::string(kTokenCookie) + "=" + guard.token + "; Path=/; HttpOnly; SameSite=Strict");
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr error) {
        std::string what = "the request failed";
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            what += ": " + std::string(e.what());
        } catch (...) {
        }
        reply_line(res, 500, what);
    });
    server.Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(preview_page_html(), "text/html; charset=utf-8");
    });
    server.Get("/favicon.ico", [](const httplib::Request&, httplib::Response& res) { res.status = 204; });
    server.Get("/app.js", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(preview_page_script(), "text/javascript; charset=utf-8");
    });
    server.Get("/app.css", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(preview_page_style(), "text/css; charset=utf-8");
    });
    server.Get("/api/params", [this](const httplib::Request&, httplib::Response& res) {
        const auto held = state.lock.shared();
        reply_json(res, params_json(state));
    });
    server.Get("/api/state",
               [this](const httplib::Request& req, httplib::Response& res) { reply_json(res, state_text(req)); });
    server.Post("/api/edit", [this](const httplib::Request& req, httplib::Response& res) { edit(req, res); });
    server.Post("/api/undo", [this](const httplib::Request& req, httplib::Response& res) {
        if (!undo_edit(state)) {
            return reply_line(res, 409, "nothing to undo");
        }
        keep_edits();
        reply_json(res, state_text(req));
    });
    server.Post("/api/redo", [this](const httplib::Request& req, httplib::Response& res) {
        if (!redo_edit(state)) {
            return reply_line(res, 409, "nothing to redo");
        }
        keep_edits();
        reply_json(res, state_text(req));
    });
    server.Post("/api/save", [this](const httplib::Request&, httplib::Response& res) {
        std::lock_guard lock(save_mutex);
        if (const auto failure = save_scene(state, save)) {
            return reply_line(res, 409, *failure);
        }
        if (options.recovery) {
            options.recovery->saved(state);
        }
        reply_line(res, 200, "saved " + save.path.string());
    });
    server.Post("/api/save-as", [this](const httplib::Request& req, httplib::Response& res) { save_as(req, res); });
    server.Post("/api/reload", [this](const httplib::Request&, httplib::Response& res) { reload(res); });
    server.Get(R"(/api/frame/(\d+))", [this](const httplib::Request& req, httplib::Response& res) {
        const auto frame = frame_number(req.matches[1], state);
        const auto view = view_settings(req);
        if (!frame || !view) {
            return reply_line(res, 400,
                              "expected /api/frame/N within the composition, res=full|half|third|quarter, "
                              "quality=high|low");
        }
        const FrameReply reply = frames.frame(*frame, *view, req.get_param_value("ahead") == "1");
        switch (reply.status) {
            case FrameStatus::Ready:
                res.set_header("X-Vorlane-Generation", std::to_string(reply.generation));
                return res.set_content(reply.body, "image/png");
            case FrameStatus::Dropped:
                return reply_line(res, 409, reply.body);
            case FrameStatus::Failed:
                return reply_line(res, 500, reply.body);
        }
    });
    server.Get(R"(/api/masks/(\d+))", [this](const httplib::Request& req, httplib::Response& res) {
        const auto frame = frame_number(req.matches[1], state);
        if (!frame) {
            return reply_line(res, 400, "expected /api/masks/N within the composition");
        }
        const auto held = state.lock.shared();
        reply_json(res, json(mask_outlines(state.scene, *frame)).dump());
    });
}

PreviewServer::PreviewServer(PreviewState& state, PreviewOptions options)
    : impl_(std::make_unique<Impl>(state, std::move(options))) {
    Impl& impl = *impl_;
    impl.guard.token = impl.options.token.empty() ? new_token() : impl.options.token;
    impl.guard.host = impl.options.host;
    impl.routes();
    if (impl.options.port == 0) {
        impl.guard.port = impl.server.bind_to_any_port(impl.options.host);
    } else if (impl.server.bind_to_port(impl.options.host, impl.options.port)) {
        impl.guard.port = impl.options.port;
    } else {
        impl.guard.port = -1;
    }
    if (impl.guard.port <= 0) {
        throw std::runtime_error("cannot listen on " + impl.options.host + ":" + std::to_string(impl.options.port) +
                                 " (in use, or not an address of this machine)");
    }
    impl.server.widen_backlog();
}

PreviewServer::~PreviewServer() = default;

int PreviewServer::port() const {
    return impl_->guard.port;
}

const std::string& PreviewServer::token() const {
    return impl_->guard.token;
}

std::string PreviewServer::url() const {
    const std::string& host = impl_->options.host;
    const std::string shown = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    const std::string& resolution = impl_->options.resolution;
    return "http://" + shown + ":" + std::to_string(port()) + "/?token=" + token() +
           (resolution == "full" ? "" : "&resolution=" + resolution);
}

void PreviewServer::run() {
    impl_->server.listen_after_bind();
    impl_->server.finish();
}

void PreviewServer::stop() {
    impl_->server.stop();
}

}  // namespace vorlane::host
