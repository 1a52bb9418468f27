// Who may talk to the preview. A page on 127.0.0.1 is reachable from any web site the user visits, so the server
// refuses every request that does not carry the token it printed (in the URL once, then as a cookie), whose Host
// header names another server (DNS rebinding), or that changes something without coming from the page itself.
#pragma once

#include <string>

namespace vorlane::host {

struct GuardConfig {
    std::string token;
    std::string host;  // the address the server listens on
    int port = 0;
};

struct GuardRequest {
    std::string method;
    std::string host_header;
    std::string origin_header;  // empty when the request has none
    std::string cookie_header;
    std::string query_token;  // the URL's token parameter, empty when absent
};

struct GuardVerdict {
    int status = 0;           // 0 lets the request through; otherwise the refusal's HTTP status
    std::string message;      // the refusal's one line
    bool set_cookie = false;  // the token came in the URL: hand it to the browser as a cookie
};

constexpr const char* kTokenCookie = "vorlane_token";

GuardVerdict check_request(const GuardConfig& config, const GuardRequest& request);

// A fresh token: 32 hexadecimal digits from the system's random source.
std::string new_token();

}  // namespace vorlane::host
