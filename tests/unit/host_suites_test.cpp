// The host's basic suite: what the effect acquires is counted and must be released, and a suite can be refused.
#include <gtest/gtest.h>

#include "AE_EffectCBSuites.h"
#include "AE_GeneralPlug.h"
#include "host_scripted_entry.h"
#include "session/Session.h"
#include "suites/StandardSuites.h"

namespace vorlane::host::test {
namespace {

struct Acquired {
    SPErr err;
    const void* suite;
};

Acquired acquire(PF_InData* in, const char* name, A_long version) {
    const void* suite = reinterpret_cast<const void*>(1);
    const SPErr err = in->pica_basicP->AcquireSuite(name, version, &suite);
    return {err, suite};
}

TEST(HostSuites, AcquisitionsAndReleasesAreCountedPerNameAndVersionInOrder) {
    Session session(scripted_entry, standard_services());
    ScriptedEntry script([](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) -> PF_Err {
        EXPECT_NE(acquire(in, kPFHandleSuite, 2).suite, nullptr);
        EXPECT_NE(acquire(in, kPFANSISuite, 1).suite, nullptr);
        EXPECT_NE(acquire(in, kPFANSISuite, 1).suite, nullptr);
        in->pica_basicP->ReleaseSuite(kPFANSISuite, 1);
        in->pica_basicP->ReleaseSuite(kPFHandleSuite, 2);
        return PF_Err_NONE;
    });
    session.run(PF_Cmd_ABOUT);

    const SuiteCounts ansi = session.suites().counts(kPFANSISuite, 1);
    EXPECT_EQ(ansi.acquired, 2);
    EXPECT_EQ(ansi.released, 1);
    EXPECT_EQ(session.suites().counts(kPFHandleSuite, 2).released, 1);
    EXPECT_EQ(session.suites().outstanding(), 1);
    const std::vector<SuiteKey> order{{kPFANSISuite, 1}, {kPFHandleSuite, 2}};
    EXPECT_EQ(session.suites().release_order(), order);
}

TEST(HostSuites, UnknownVersionWithheldOrNullSuitesAreRefusedAndNotHeld) {
    Session session(scripted_entry, standard_services());
    session.suites().withhold(kAEGPUtilitySuite, 7, 1234);
    session.suites().serve_null(kPFANSISuite, 1);
    ScriptedEntry script([](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) -> PF_Err {
        const Acquired wrong_version = acquire(in, kPFHandleSuite, 1);
        EXPECT_NE(wrong_version.err, kSPNoError);
        EXPECT_EQ(wrong_version.suite, nullptr);
        const Acquired withheld = acquire(in, kAEGPUtilitySuite, 7);
        EXPECT_EQ(withheld.err, 1234);
        EXPECT_EQ(withheld.suite, nullptr);
        const Acquired null_table = acquire(in, kPFANSISuite, 1);
        EXPECT_EQ(null_table.err, kSPNoError);
        EXPECT_EQ(null_table.suite, nullptr);
        // Releasing what was never given is refused rather than counted as a release.
        EXPECT_NE(in->pica_basicP->ReleaseSuite(kAEGPUtilitySuite, 7), kSPNoError);
        return PF_Err_NONE;
    });
    session.run(PF_Cmd_GLOBAL_SETUP);

    EXPECT_EQ(session.suites().counts(kAEGPUtilitySuite, 7).refused, 1);
    EXPECT_EQ(session.suites().counts(kAEGPUtilitySuite, 7).unmatched_releases, 1);
    EXPECT_EQ(session.suites().counts(kPFANSISuite, 1).refused, 1);
    EXPECT_EQ(session.suites().counts(kPFHandleSuite, 1).refused, 1);
    EXPECT_EQ(session.suites().outstanding(), 0);

    session.suites().restore(kAEGPUtilitySuite, 7);
    SuiteRegistry& registry = session.suites();
    const void* table = nullptr;
    EXPECT_EQ(registry.acquire(kAEGPUtilitySuite, 7, &table), kSPNoError);
    EXPECT_NE(table, nullptr);
}

TEST(HostSuites, ABasicSuiteCallOutsideAnyCommandFindsNothing) {
    Session session(scripted_entry, standard_services());
    SPBasicSuite* basic = session.in_data_template().pica_basicP;
    const void* suite = reinterpret_cast<const void*>(1);
    EXPECT_NE(basic->AcquireSuite(kPFANSISuite, 1, &suite), kSPNoError);
    EXPECT_EQ(suite, nullptr);
    EXPECT_EQ(session.suites().total_acquired(), 0);
}

TEST(HostSuites, TheFoundationSuitesServeTheirFunctions) {
    Session session(scripted_entry, standard_services());
    ScriptedEntry script([](PF_Cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, void*) -> PF_Err {
        const auto* ansi = static_cast<const PF_ANSICallbacksSuite1*>(acquire(in, kPFANSISuite, 1).suite);
        ansi->sprintf(out->return_msg, "%s %d%c", "v", 1, 13);
        EXPECT_DOUBLE_EQ(ansi->atan2(1.0, 1.0), 0.7853981633974483);
        const auto* utility = static_cast<const AEGP_UtilitySuite7*>(acquire(in, kAEGPUtilitySuite, 7).suite);
        AEGP_PluginID id = 0;
        EXPECT_EQ(utility->AEGP_RegisterWithAEGP(nullptr, "ADBE Test", &id), 0);
        EXPECT_NE(id, 0);
        EXPECT_NE(utility->AEGP_RegisterWithAEGP(nullptr, "ADBE Test", nullptr), 0);
        in->pica_basicP->ReleaseSuite(kPFANSISuite, 1);
        in->pica_basicP->ReleaseSuite(kAEGPUtilitySuite, 7);
        return PF_Err_NONE;
    });
    const CommandResult result = session.run(PF_Cmd_ABOUT);
    EXPECT_STREQ(result.out_data.return_msg, "v 1\r");
    EXPECT_EQ(session.registered_name(), "ADBE Test");
    EXPECT_EQ(session.plugin_id(), 1);
    EXPECT_EQ(session.suites().outstanding(), 0);
}

}  // namespace
}  // namespace vorlane::host::test
