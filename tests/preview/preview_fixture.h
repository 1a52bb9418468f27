// A real preview server over the built module, on an ephemeral port of 127.0.0.1, and a client that talks to it
// as the page does (token cookie, Host and Origin of the server).
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "module/LoadedModule.h"
#include "preview/PreviewServer.h"
#include "scene/DemoScene.h"
#include "scene/SceneLoad.h"
#include "session/Session.h"
#include "suites/StandardSuites.h"
#include "support/cli_run.h"
#include "support/test_folder.h"

namespace vorlane::host::test {

inline void write_text(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class PreviewServerTest : public ::testing::Test {
  protected:
    PreviewServerTest() : dir(test_folder("vorlane_preview_")) {
        std::filesystem::create_directories(dir);
        scene_path = dir / "demo.json";
        write_text(scene_path, demo_scene_text());
    }
    ~PreviewServerTest() override {
        stop();
        std::filesystem::remove_all(dir);
    }

    // Starts the server over `scene` (saving to `save_path`).
    void start(const std::filesystem::path& scene, const std::filesystem::path& save_path) {
        session = std::make_unique<Session>(module.entry(), standard_services());
        ASSERT_EQ(session->global_setup(), PF_Err_NONE);
        state.reset(
            new PreviewState{.session = *session, .scene = load_scene_file(scene), .scene_text = file_text(scene)});
        open_preview(*state);
        PreviewOptions options;
        options.threads = 2;
        options.save_path = save_path;
        options.token = "0123456789abcdef0123456789abcdef";
        server = std::make_unique<PreviewServer>(*state, options);
        serving = std::thread([this] { server->run(); });
        client = std::make_unique<httplib::Client>("127.0.0.1", server->port());
        client->set_read_timeout(60, 0);
        origin = "http://127.0.0.1:" + std::to_string(server->port());
    }
    void start() { start(scene_path, scene_path); }

    void stop() {
        if (server) {
            server->stop();
            serving.join();
            server.reset();
        }
    }

    httplib::Headers page_headers() const {
        return {{"Cookie", "vorlane_token=" + server->token()}, {"Origin", origin}};
    }
    httplib::Result get(const std::string& path) { return client->Get(path, page_headers()); }
    httplib::Result post(const std::string& path, const std::string& body) {
        return client->Post(path, page_headers(), body, "application/json");
    }
    httplib::Result edit(const std::string& name, const nlohmann::json& value) {
        return post("/api/edit", nlohmann::json{{"name", name}, {"value", value}}.dump());
    }
    nlohmann::json state_json() { return nlohmann::json::parse(get("/api/state")->body); }

    LoadedModule module = LoadedModule::open(VORLANE_MODULE_PATH);
    std::filesystem::path dir, scene_path;
    std::unique_ptr<Session> session;
    std::unique_ptr<PreviewState> state;
    std::unique_ptr<PreviewServer> server;
    std::thread serving;
    std::unique_ptr<httplib::Client> client;
    std::string origin;
};

}  // namespace vorlane::host::test
