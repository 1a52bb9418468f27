#include "ui/AegpHandles.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace vorlane::host {
namespace {

struct HandleBook {
    std::mutex mutex;
    std::map<std::uintptr_t, AegpHandleInfo> lent;
    std::uintptr_t next = 0x5e000;  // far from null and from small integers a caller might pass by mistake
};

HandleBook& book() {
    static HandleBook the_book;
    return the_book;
}

std::uintptr_t lend(const AegpHandleInfo& info) {
    HandleBook& b = book();
    std::lock_guard lock(b.mutex);
    const std::uintptr_t id = b.next;
    b.next += 16;
    b.lent.emplace(id, info);
    return id;
}

std::string describe(const AegpHandleInfo& info) {
    if (info.kind == AegpHandleKind::effect) {
        return "effect handle";
    }
    return "stream of parameter " + std::to_string(info.param_index);
}

}  // namespace

AEGP_EffectRefH lend_effect_handle(Session* session) {
    return reinterpret_cast<AEGP_EffectRefH>(lend({AegpHandleKind::effect, session, 0}));
}

AEGP_StreamRefH lend_stream_handle(Session* session, PF_ParamIndex param_index) {
    return reinterpret_cast<AEGP_StreamRefH>(lend({AegpHandleKind::stream, session, param_index}));
}

bool find_lent_handle(const void* handle, AegpHandleKind kind, AegpHandleInfo* info) {
    HandleBook& b = book();
    std::lock_guard lock(b.mutex);
    const auto found = b.lent.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == b.lent.end() || found->second.kind != kind) {
        return false;
    }
    *info = found->second;
    return true;
}

A_Err take_back_handle(const void* handle, AegpHandleKind kind) {
    HandleBook& b = book();
    std::lock_guard lock(b.mutex);
    const auto found = b.lent.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == b.lent.end() || found->second.kind != kind) {
        return kStaleHandleError;
    }
    b.lent.erase(found);
    return A_Err{0};
}

std::vector<std::string> reclaim_leaked_handles(const Session* session) {
    HandleBook& b = book();
    std::lock_guard lock(b.mutex);
    std::vector<std::string> leaks;
    for (auto it = b.lent.begin(); it != b.lent.end();) {
        if (it->second.session == session) {
            leaks.push_back(describe(it->second));
            it = b.lent.erase(it);
        } else {
            ++it;
        }
    }
    return leaks;
}

int lent_handle_count(const Session* session) {
    HandleBook& b = book();
    std::lock_guard lock(b.mutex);
    int count = 0;
    for (const auto& [id, info] : b.lent) {
        count += info.session == session ? 1 : 0;
    }
    return count;
}

}  // namespace vorlane::host
