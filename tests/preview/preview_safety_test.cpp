// Who may talk to the preview, and what Save may overwrite.
#include "frames/SceneSession.h"
#include "preview/RequestGuard.h"
#include "preview/SceneSave.h"
#include "preview_fixture.h"

namespace vorlane::host::test {
namespace {

using nlohmann::json;

const GuardConfig kConfig{"0123456789abcdef0123456789abcdef", "127.0.0.1", 8642};
const std::string kCookie = "theme=dark; vorlane_token=0123456789abcdef0123456789abcdef";

TEST(RequestGuard, AsksForTheTokenInTheUrlOrTheCookie) {
    EXPECT_EQ(check_request(kConfig, {"GET", "127.0.0.1:8642", "", "", ""}).status, 403);
    EXPECT_EQ(check_request(kConfig, {"GET", "127.0.0.1:8642", "", "vorlane_token=0123", ""}).status, 403);
    EXPECT_EQ(check_request(kConfig, {"GET", "127.0.0.1:8642", "", "", "0123456789abcdef0123456789abcdeF"}).status,
              403);
    const GuardVerdict by_url = check_request(kConfig, {"GET", "127.0.0.1:8642", "", "", kConfig.token});
    EXPECT_EQ(by_url.status, 0);
    EXPECT_TRUE(by_url.set_cookie);
    const GuardVerdict by_cookie = check_request(kConfig, {"GET", "localhost:8642", "", kCookie, ""});
    EXPECT_EQ(by_cookie.status, 0);
    EXPECT_FALSE(by_cookie.set_cookie);
}

TEST(RequestGuard, RefusesOtherHostsAndOtherOriginsForChanges) {
    // A name that resolves to 127.0.0.1 by rebinding still names another server.
    EXPECT_EQ(check_request(kConfig, {"GET", "attacker.example:8642", "", kCookie, ""}).status, 403);
    EXPECT_EQ(check_request(kConfig, {"GET", "127.0.0.1:8643", "", kCookie, ""}).status, 403);
    EXPECT_EQ(check_request(kConfig, {"GET", "", "", kCookie, ""}).status, 403);
    EXPECT_EQ(check_request(kConfig, {"POST", "127.0.0.1:8642", "", kCookie, ""}).status, 403);
    EXPECT_EQ(check_request(kConfig, {"POST", "127.0.0.1:8642", "http://attacker.example", kCookie, ""}).status, 403);
    EXPECT_EQ(check_request(kConfig, {"POST", "127.0.0.1:8642", "https://127.0.0.1:8642", kCookie, ""}).status, 403);
    EXPECT_EQ(check_request(kConfig, {"POST", "127.0.0.1:8642", "http://127.0.0.1:8642", kCookie, ""}).status, 0);
    // Reading needs no Origin: the page's own image and script requests carry none.
    EXPECT_EQ(check_request(kConfig, {"GET", "127.0.0.1:8642", "", kCookie, ""}).status, 0);
}

TEST(RequestGuard, TokensAreFreshAndLong) {
    const std::string a = new_token(), b = new_token();
    EXPECT_EQ(a.size(), 32u);
    EXPECT_NE(a, b);
}

TEST_F(PreviewServerTest, RefusesRequestsWithoutTokenOrFromElsewhere) {
    start();
    const std::string before = get("/api/params")->body;
    auto res = client->Get("/api/params");
    EXPECT_EQ(res->status, 403);
    EXPECT_EQ(client->Get("/api/params", {{"Cookie", "vorlane_token=wrong"}})->status, 403);
    EXPECT_EQ(client->Get("/api/params", {{"Host", "rebound.example"}, {"Cookie", "vorlane_token=" + server->token()}})
                  ->status,
              403);
    const std::string edit_body = json{{"name", "Seed"}, {"value", 1}}.dump();
    EXPECT_EQ(
        client
            ->Post("/api/edit", {{"Cookie", "vorlane_token=" + server->token()}, {"Origin", "http://evil.example"}},
                   edit_body, "application/json")
            ->status,
        403);
    EXPECT_EQ(client->Post("/api/edit", {{"Cookie", "vorlane_token=" + server->token()}}, edit_body, "application/json")
                  ->status,
              403);
    EXPECT_EQ(get("/api/params")->body, before);
    // The token in the URL opens the page and becomes a cookie.
    res = client->Get("/?token=" + server->token());
    EXPECT_EQ(res->status, 200);
    EXPECT_NE(res->get_header_value("Set-Cookie").find("vorlane_token=" + server->token()), std::string::npos);
    EXPECT_NE(res->body.find("id=\"viewer\""), std::string::npos);
}

TEST_F(PreviewServerTest, SaveWritesTheEditsAndTheSceneReadsBackTheSame) {
    start();
    ASSERT_EQ(edit("Layers", 2)->status, 200);
    ASSERT_EQ(edit("Frequency 1", 70)->status, 200);
    ASSERT_EQ(edit("Layer 2", "arrow")->status, 200);
    ASSERT_EQ(edit("Path Selection", "Mask 3")->status, 200);
    ASSERT_EQ(edit("Rotation", 12.5)->status, 200);
    ASSERT_EQ(post("/api/edit", json{{"name", "Evolution"}, {"value", 30}, {"frame", 10}}.dump())->status, 200);
    const auto res = post("/api/save", "");
    ASSERT_EQ(res->status, 200) << res->body;
    // A reload shows keyframed values at frame 0.
    json saved_state = json::parse(get("/api/state?frame=0")->body);
    const std::string served = get("/api/params")->body;
    stop();

    // The saved file is a scene like any other: loaded afresh, it gives the same controls and the same layers.
    start();
    EXPECT_EQ(get("/api/params")->body, served);
    json reloaded = state_json();
    for (std::size_t i = 0; i < reloaded["controls"].size(); ++i) {
        // Whether a twirly is open is the panel's, not the scene's.
        reloaded["controls"][i].erase("collapsed");
        saved_state["controls"][i].erase("collapsed");
        EXPECT_EQ(reloaded["controls"][i], saved_state["controls"][i]) << i;
    }
    EXPECT_EQ(json::parse(file_text(scene_path))["layers"][1]["builtin"], "arrow");
    // No temporary file is left beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(PreviewServerTest, SaveRefusesAFileChangedOnDiskAndKeepsTheEdits) {
    start();
    ASSERT_EQ(edit("Seed", 4242)->status, 200);
    const std::string theirs = file_text(scene_path) + "\n";
    write_text(scene_path, theirs);  // someone else's edit, made meanwhile
    const auto res = post("/api/save", "");
    EXPECT_EQ(res->status, 409);
    EXPECT_NE(res->body.find("changed on disk"), std::string::npos) << res->body;
    EXPECT_EQ(file_text(scene_path), theirs);
    EXPECT_NE(get("/api/params")->body.find("4242"), std::string::npos);
}

// A scene that is a link is saved into the file it links to, and stays a link.
TEST_F(PreviewServerTest, SaveWritesThroughALink) {
    std::filesystem::create_directories(dir / "real");
    const auto target = dir / "real" / "demo.json";
    std::filesystem::rename(scene_path, target);
    std::filesystem::create_symlink(std::filesystem::path("real") / "demo.json", scene_path);
    start();
    ASSERT_EQ(edit("Seed", 4242)->status, 200);
    ASSERT_EQ(post("/api/save", "")->status, 200);
    EXPECT_TRUE(std::filesystem::is_symlink(scene_path));
    EXPECT_EQ(json::parse(file_text(target))["params"]["Seed"], 4242);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "real"), {}), 1);
}

// The undo history keeps its last steps only, and says how many it dropped.
TEST_F(PreviewServerTest, UndoKeepsTheLastStepsOnly) {
    start();
    for (std::size_t i = 0; i < kUndoSteps + 3; ++i) {
        ASSERT_EQ(edit("Seed", static_cast<int>(i + 1))->status, 200);
    }
    EXPECT_EQ(state->undo.size(), kUndoSteps);
    EXPECT_EQ(state_json()["undo_dropped"], 3);
    std::size_t undone = 0;
    while (post("/api/undo", "")->status == 200) {
        ++undone;
    }
    EXPECT_EQ(undone, kUndoSteps);
    for (const json& control : json::parse(get("/api/params")->body)) {
        if (control["name"] == "Seed") {
            EXPECT_EQ(control["value"], 3);  // the edit before the oldest step kept
        }
    }
}

TEST_F(PreviewServerTest, TheDemoSavesOnlyUnderAName) {
    session = std::make_unique<Session>(module.entry(), standard_services());
    ASSERT_EQ(session->global_setup(), PF_Err_NONE);
    PreviewState demo{.session = *session, .scene = demo_scene(), .scene_text = demo_scene_text()};
    open_preview(demo);
    SaveTarget nowhere = save_target({});
    EXPECT_TRUE(save_scene(demo, nowhere).has_value());
    SaveTarget named = save_target(dir / "mine.json");
    ASSERT_FALSE(save_scene(demo, named).has_value());
    EXPECT_NO_THROW(load_scene_file(dir / "mine.json"));
}

}  // namespace
}  // namespace vorlane::host::test
