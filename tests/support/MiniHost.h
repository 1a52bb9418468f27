// A small in-process host for driving single commands of the effect in tests: the in/out records, a basic suite
// that records every AcquireSuite and ReleaseSuite and can withhold a suite or hand out a null table, the ANSI,
// handle and utility suites, and an add_param that keeps copies. Any suite it has no table for is served as a
// dummy table, enough for code that only acquires and releases. One MiniHost at a time (the basic suite's
// functions carry no context).
#pragma once

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/AE_Effect.h"
#include "host/AE_GeneralPlug.h"

namespace vorlane::test {

using SuiteId = std::pair<std::string, A_long>;

struct HostHandle {
    void* master = nullptr;  // what a PF_Handle points at
    std::vector<unsigned char> bytes;
    int locks = 0;
};

class MiniHost {
  public:
    MiniHost();
    ~MiniHost();
    MiniHost(const MiniHost&) = delete;
    MiniHost& operator=(const MiniHost&) = delete;

    // Calls the entry point with this host's records and no parameter array or output.
    PF_Err run(PF_EntryPointFunc entry, PF_Cmd cmd, void* extra = nullptr);

    static MiniHost& current();
    HostHandle* find_handle(PF_Handle handle);

    PF_InData in_data{};
    PF_OutData out_data{};
    SPBasicSuite basic{};
    PF_UtilCallbacks utils{};

    // Suites
    std::vector<SuiteId> acquired;
    std::vector<SuiteId> released;
    std::set<SuiteId> withheld;     // AcquireSuite answers an error
    std::set<SuiteId> served_null;  // AcquireSuite answers success and a null table

    // Handles: a new handle is filled with 0xCD so that unwritten bytes show.
    std::vector<std::unique_ptr<HostHandle>> handles;
    bool refuse_new_handle = false;
    bool refuse_lock = false;

    // AEGP registration
    int register_calls = 0;
    std::string registered_name;
    AEGP_GlobalRefcon registered_refcon = nullptr;
    AEGP_PluginID plugin_id_to_give = 77;
    A_Err register_error = A_Err(0);

    // Parameters as the effect added them, with the index it asked for.
    std::vector<PF_ParamDef> added;
    std::vector<PF_ParamIndex> add_indices;
    int fail_add_call = -1;  // the 0-based add_param call that fails
    PF_Err add_error = PF_Err_INVALID_INDEX;
};

}  // namespace vorlane::test
