#include "entry/GlobalSetup.h"

#include "entry/Version.h"
#include "host/GlobalRecord.h"
#include "host/HostSuiteHandler.h"

namespace vorlane::effect {

namespace {

// Keeps a host handle locked for as long as the record inside it is written, and unlocks it also when a missing
// suite is thrown through the write.
struct HandleLock {
    HandleLock(const PF_HandleSuite2* handle_suite, PF_Handle locked)
        : suite(handle_suite), handle(locked), data(handle_suite->host_lock_handle(locked)) {}
    ~HandleLock() { suite->host_unlock_handle(handle); }
    HandleLock(const HandleLock&) = delete;
    HandleLock& operator=(const HandleLock&) = delete;

    const PF_HandleSuite2* suite;
    PF_Handle handle;
    void* data;
};

// Gives a new handle back to the host unless it was handed over as the global data: a set-up that fails, also by
// a thrown missing suite, must not leave its record behind with nobody to dispose of it.
struct NewHandle {
    NewHandle(const PF_HandleSuite2* handle_suite, PF_Handle made) : suite(handle_suite), handle(made) {}
    ~NewHandle() {
        if (handle != nullptr) {
            suite->host_dispose_handle(handle);
        }
    }
    NewHandle(const NewHandle&) = delete;
    NewHandle& operator=(const NewHandle&) = delete;

    const PF_HandleSuite2* suite;
    PF_Handle handle;
};

PF_Err fill_global_record(HostSuiteHandler& suites, const PF_InData& in_data, GlobalRecord& record) {
    // A fresh handle holds whatever was in memory; under Premiere plugin_id is never filled, so it must read 0
    // rather than garbage.
    record = GlobalRecord{};
    record.initialized = 1;
    if (in_data.appl_id == kPremiereApplId) {
        return PF_Err_NONE;
    }
    return suites.utilitySuite()->AEGP_RegisterWithAEGP(nullptr, kMatchName, &record.plugin_id);
}

}  // namespace

PF_Err global_setup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[], PF_LayerDef* /*output*/) {
    out_data->my_version = kEffectVersion;
    out_data->out_flags = kOutFlags;
    out_data->out_flags2 = kOutFlags2;

    HostSuiteHandler suites(in_data->pica_basicP);
    const PF_HandleSuite2* handle_suite = suites.handleSuite();
    PF_Handle handle = handle_suite->host_new_handle(sizeof(GlobalRecord));
    if (handle == nullptr) {
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
    NewHandle owned(handle_suite, handle);  // declared before the lock, so unlocked before it is disposed of
    PF_Err err = PF_Err_NONE;
    HandleLock lock(handle_suite, handle);
    if (lock.data != nullptr) {
        err = fill_global_record(suites, *in_data, *static_cast<GlobalRecord*>(lock.data));
        if (err == PF_Err_NONE) {
            out_data->global_data = handle;
            owned.handle = nullptr;
        }
    }
    return err;
}

}  // namespace vorlane::effect
