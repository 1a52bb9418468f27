// Host memory handles: tracked from creation to disposal, refused when not ours, and failable on request.
#include <gtest/gtest.h>

#include "AE_EffectCBSuites.h"
#include "host_scripted_entry.h"
#include "session/HandleStore.h"
#include "session/Session.h"
#include "suites/StandardSuites.h"

namespace vorlane::host::test {
namespace {

TEST(HostHandles, AHandleLivesFromCreateToDisposeAndKeepsItsBytesAcrossAResize) {
    HandleStore store;
    PF_Handle handle = store.create(4);
    ASSERT_NE(handle, nullptr);
    auto* bytes = static_cast<unsigned char*>(store.lock(handle));
    ASSERT_EQ(bytes, *handle);  // a handle points at its block's master pointer
    EXPECT_EQ(bytes[3], 0);     // zero-filled
    bytes[0] = 7;
    EXPECT_EQ(store.resize(handle, 16), PF_Err_BAD_CALLBACK_PARAM);  // locked blocks do not move
    store.unlock(handle);
    EXPECT_EQ(store.resize(handle, 16), PF_Err_NONE);
    EXPECT_EQ(store.size(handle), 16u);
    EXPECT_EQ(static_cast<unsigned char*>(*handle)[0], 7);
    EXPECT_EQ(static_cast<unsigned char*>(*handle)[15], 0);
    store.dispose(handle);
    EXPECT_EQ(store.live_handles(), 0u);
}

TEST(HostHandles, HandlesNotOursAreRefusedAndCounted) {
    HandleStore store;
    PF_Handle handle = store.create(8);
    store.dispose(handle);
    void* made_up = nullptr;
    EXPECT_EQ(store.lock(handle), nullptr);
    EXPECT_EQ(store.lock(reinterpret_cast<PF_Handle>(&made_up)), nullptr);
    store.dispose(handle);
    EXPECT_EQ(store.size(handle), 0u);
    EXPECT_EQ(store.bad_handle_uses(), 4);
    EXPECT_EQ(store.create(A_HandleSize{1} << 62), nullptr);
}

TEST(HostHandles, NewAndLockCanBeMadeToFailThroughTheGate) {
    Session session(scripted_entry, standard_services());
    PF_Handle made = nullptr;
    void* locked = reinterpret_cast<void*>(1);
    ScriptedEntry script([&](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) -> PF_Err {
        const void* suite = nullptr;
        in->pica_basicP->AcquireSuite(kPFHandleSuite, kPFHandleSuiteVersion2, &suite);
        const auto* handles = static_cast<const PF_HandleSuite2*>(suite);
        made = handles->host_new_handle(8);
        locked = made ? handles->host_lock_handle(made) : handles->host_lock_handle(in->global_data);
        in->pica_basicP->ReleaseSuite(kPFHandleSuite, kPFHandleSuiteVersion2);
        return PF_Err_NONE;
    });

    session.gate().fail_function("host_new_handle", PF_Err_OUT_OF_MEMORY);
    session.run(PF_Cmd_GLOBAL_SETUP);
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(session.handles().live_handles(), 0u);

    session.gate().clear_faults();
    session.gate().fail_function("host_lock_handle", PF_Err_OUT_OF_MEMORY);
    session.run(PF_Cmd_GLOBAL_SETUP);
    EXPECT_NE(made, nullptr);
    EXPECT_EQ(locked, nullptr);
    EXPECT_EQ(session.handles().lock_count(made), 0);
}

}  // namespace
}  // namespace vorlane::host::test
