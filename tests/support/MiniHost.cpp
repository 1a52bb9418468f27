#include "support/MiniHost.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "host/AE_EffectCB.h"
#include "host/AE_EffectCBSuites.h"

namespace vorlane::test {

namespace {

MiniHost* g_host = nullptr;

SuiteId id_of(const char* name, A_long version) {
    return {name, version};
}

int host_sprintf(A_char* buffer, const A_char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, PF_MAX_EFFECT_MSG_LEN + 1, format, args);
    va_end(args);
    return length;
}

A_char* host_strcpy(A_char* dst, const A_char* src) {
    return std::strcpy(dst, src);
}

PF_Handle host_new_handle(A_HandleSize size) {
    if (g_host->refuse_new_handle) {
        return nullptr;
    }
    auto handle = std::make_unique<HostHandle>();
    handle->bytes.assign(size, 0xCD);
    handle->master = handle->bytes.data();
    g_host->handles.push_back(std::move(handle));
    return &g_host->handles.back()->master;
}

void* host_lock_handle(PF_Handle handle) {
    HostHandle* found = g_host->find_handle(handle);
    if (found == nullptr || g_host->refuse_lock) {
        return nullptr;
    }
    ++found->locks;
    return found->master;
}

void host_unlock_handle(PF_Handle handle) {
    if (HostHandle* found = g_host->find_handle(handle)) {
        --found->locks;
    }
}

A_Err register_with_aegp(AEGP_GlobalRefcon refcon, const A_char* name, AEGP_PluginID* plugin_id) {
    ++g_host->register_calls;
    g_host->registered_refcon = refcon;
    g_host->registered_name = name;
    if (g_host->register_error == 0) {
        *plugin_id = g_host->plugin_id_to_give;
    }
    return g_host->register_error;
}

const PF_ANSICallbacksSuite1 kAnsiSuite = [] {
    PF_ANSICallbacksSuite1 suite{};
    suite.sprintf = host_sprintf;
    suite.strcpy = host_strcpy;
    return suite;
}();

const PF_HandleSuite2 kHandleSuite = {host_new_handle, host_lock_handle, host_unlock_handle, nullptr, nullptr, nullptr};

const AEGP_UtilitySuite7 kUtilitySuite = [] {
    AEGP_UtilitySuite7 suite{};
    suite.AEGP_RegisterWithAEGP = register_with_aegp;
    return suite;
}();

const void* table_for(const SuiteId& id) {
    if (id == id_of(kPFANSISuite, kPFANSISuiteVersion1)) {
        return &kAnsiSuite;
    }
    if (id == id_of(kPFHandleSuite, kPFHandleSuiteVersion2)) {
        return &kHandleSuite;
    }
    if (id == id_of(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7)) {
        return &kUtilitySuite;
    }
    static const char dummy_table = 0;
    return &dummy_table;
}

SPErr acquire_suite(const char* name, A_long version, const void** suite) {
    const SuiteId id = id_of(name, version);
    g_host->acquired.push_back(id);
    if (g_host->withheld.count(id) != 0) {
        return 1;
    }
    *suite = g_host->served_null.count(id) != 0 ? nullptr : table_for(id);
    return kSPNoError;
}

SPErr release_suite(const char* name, A_long version) {
    g_host->released.push_back(id_of(name, version));
    return kSPNoError;
}

PF_Err add_param(PF_ProgPtr, PF_ParamIndex index, PF_ParamDefPtr def) {
    g_host->add_indices.push_back(index);
    if (static_cast<int>(g_host->add_indices.size()) == g_host->fail_add_call + 1) {
        return g_host->add_error;
    }
    g_host->added.push_back(*def);
    return PF_Err_NONE;
}

}  // namespace

MiniHost::MiniHost() {
    g_host = this;
    basic.AcquireSuite = acquire_suite;
    basic.ReleaseSuite = release_suite;
    utils.ansi.sprintf = host_sprintf;
    utils.ansi.strcpy = host_strcpy;
    in_data.pica_basicP = &basic;
    in_data.utils = &utils;
    in_data.inter.add_param = add_param;
    in_data.appl_id = 0x46584354;  // 'FXTC', After Effects
}

MiniHost::~MiniHost() {
    g_host = nullptr;
}

MiniHost& MiniHost::current() {
    return *g_host;
}

PF_Err MiniHost::run(PF_EntryPointFunc entry, PF_Cmd cmd, void* extra) {
    return entry(cmd, &in_data, &out_data, nullptr, nullptr, extra);
}

HostHandle* MiniHost::find_handle(PF_Handle handle) {
    for (auto& candidate : handles) {
        if (&candidate->master == handle) {
            return candidate.get();
        }
    }
    return nullptr;
}

}  // namespace vorlane::test
