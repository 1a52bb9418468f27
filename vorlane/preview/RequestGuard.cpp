#include "preview/RequestGuard.h"

#include <algorithm>
#include <random>
#include <string_view>

namespace vorlane::host {
namespace {

// Takes as long for any wrong token as for another, so that timing tells nothing of the right one.
bool same_secret(std::string_view a, std::string_view b) {
    unsigned char differ = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < a.size(); ++i) {
        differ |= static_cast<unsigned char>(a[i] ^ (i < b.size() ? b[i] : 0));
    }
    return differ == 0 && !b.empty();
}

std::string cookie_value(std::string_view header, std::string_view name) {
    while (!header.empty()) {
        const std::size_t end = std::min(header.find(';'), header.size());
        std::string_view pair = header.substr(0, end);
        while (!pair.empty() && pair.front() == ' ') {
            pair.remove_prefix(1);
        }
        if (pair.size() > name.size() && pair.substr(0, name.size()) == name && pair[name.size()] == '=') {
            return std::string(pair.substr(name.size() + 1));
        }
        header.remove_prefix(std::min(end + 1, header.size()));
    }
    return "";
}

bool is_loopback(const std::string& host) {
    return host == "127.0.0.1" || host == "localhost" || host == "::1";
}

// The Host header names this server: its address and port, or localhost for a loopback address.
bool names_this_server(const GuardConfig& config, const std::string& host) {
    const std::string port = ":" + std::to_string(config.port);
    const std::string bracketed = config.host.find(':') != std::string::npos ? "[" + config.host + "]" : config.host;
    if (host == bracketed + port) {
        return true;
    }
    return is_loopback(config.host) && (host == "localhost" + port || host == "127.0.0.1" + port);
}

bool changes_state(const std::string& method) {
    return method != "GET" && method != "HEAD" && method != "OPTIONS";
}

}  // namespace

GuardVerdict check_request(const GuardConfig& config, const GuardRequest& request) {
    if (!names_this_server(config, request.host_header)) {
        return {403, "refused: the Host header \"" + request.host_header + "\" does not name this server", false};
    }
    const bool by_url = same_secret(request.query_token, config.token);
    if (!by_url && !same_secret(cookie_value(request.cookie_header, kTokenCookie), config.token)) {
        return {403, "refused: a token is needed; open the URL the preview printed", false};
    }
    if (changes_state(request.method)) {
        const std::string prefix = "http://";
        const bool ours = request.origin_header.rfind(prefix, 0) == 0 &&
                          names_this_server(config, request.origin_header.substr(prefix.size()));
        if (!ours) {
            return {403, "refused: changes are accepted only from the preview's own page", false};
        }
    }
    return {0, "", by_url};
}

std::string new_token() {
    std::random_device random;
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < 32; ++i) {
        token.push_back(kDigits[random() % 16]);
    }
    return token;
}

}  // namespace vorlane::host
