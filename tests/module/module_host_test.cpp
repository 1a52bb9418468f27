// The built module driven through the host as After Effects drives it: loaded from disk, set up, asked for its
// about text and its parameters, with every suite it acquires given back.
#include <gtest/gtest.h>

#include "AE_EffectCBSuites.h"
#include "AE_GeneralPlug.h"
#include "module/LoadedModule.h"
#include "module/PiplDecoder.h"
#include "module/PiplReader.h"
#include "resources/PiplBytes.h"
#include "session/Session.h"
#include "suites/StandardSuites.h"

namespace vorlane::host::test {

using namespace vorlane::effect;
namespace {

std::uint32_t pipl_word(const DecodedPipl& pipl, const std::string& key) {
    const PiplProperty* property = pipl.find(key);
    EXPECT_NE(property, nullptr) << key;
    if (property == nullptr || property->data.size() != 4) {
        return 0;
    }
    const auto& d = property->data;
    return d[0] | (d[1] << 8) | (d[2] << 16) | (std::uint32_t{d[3]} << 24);
}

class ModuleHost : public ::testing::Test {
  protected:
    LoadedModule module = LoadedModule::open(VORLANE_MODULE_PATH);
    Session session{module.entry(), standard_services()};
};

TEST_F(ModuleHost, GlobalSetUpDeclaresWhatThePiplSaysAndKeepsItsRecord) {
    ASSERT_EQ(session.global_setup(), PF_Err_NONE);
    const DecodedPipl pipl = decode_pipl(read_pipl(module));
    EXPECT_EQ(session.declared().my_version, pipl_word(pipl, "eVER"));
    EXPECT_EQ(static_cast<std::uint32_t>(session.declared().out_flags), pipl_word(pipl, "eGLO"));
    EXPECT_EQ(static_cast<std::uint32_t>(session.declared().out_flags2), pipl_word(pipl, "eGL2"));
    EXPECT_EQ(session.registered_name(), pipl.find("eMNA")->value);

    const PF_Handle global = session.global_data();
    ASSERT_NE(global, nullptr);
    EXPECT_EQ(session.handles().size(global), 8u);
    EXPECT_EQ(session.handles().lock_count(global), 0);
    EXPECT_EQ(session.suites().outstanding(), 0);
    EXPECT_EQ(session.suites().counts(kPFHandleSuite, kPFHandleSuiteVersion2).acquired, 1);
}

TEST_F(ModuleHost, UnderPremiereTheRecordIsKeptWithoutRegistering) {
    session.set_appl_id(kApplIdPremierePro);
    ASSERT_EQ(session.global_setup(), PF_Err_NONE);
    EXPECT_NE(session.global_data(), nullptr);
    EXPECT_EQ(session.gate().calls_of("AEGP_RegisterWithAEGP"), 0u);
    EXPECT_EQ(session.suites().outstanding(), 0);
}

TEST_F(ModuleHost, ParamsSetUpLeavesFortyOneParametersWhoseDiskIdsAreTheirIndices) {
    ASSERT_EQ(session.global_setup(), PF_Err_NONE);
    ASSERT_EQ(session.params_setup(), PF_Err_NONE);
    const std::vector<PF_ParamDef> params = session.params();
    ASSERT_EQ(params.size(), 41u);
    for (std::size_t i = 1; i < params.size(); ++i) {
        EXPECT_EQ(params[i].uu.id, static_cast<A_long>(i));
    }
    EXPECT_STREQ(params[40].name, "Composite");
    EXPECT_EQ(params[19].param_type, PF_Param_GROUP_START);
    EXPECT_EQ(params[23].param_type, PF_Param_GROUP_END);
    EXPECT_EQ(session.suites().outstanding(), 0);
}

TEST_F(ModuleHost, TheAboutTextIsNameVersionTwoReturnsAndDescription) {
    ASSERT_EQ(session.global_setup(), PF_Err_NONE);
    std::string text;
    ASSERT_EQ(session.about(&text), PF_Err_NONE);
    const std::size_t breaks = text.find("\r\r");
    ASSERT_NE(breaks, std::string::npos);
    EXPECT_EQ(text.substr(0, breaks).find(" - v1.0"), breaks - 7);
    EXPECT_EQ(text.find("Animate sprites along paths."), breaks + 2);
    EXPECT_NE(text.back(), '\r');
    EXPECT_EQ(session.suites().outstanding(), 0);
}

TEST_F(ModuleHost, AWithheldSuiteEndsGlobalSetUpWith516AndTheOthersAreGivenBack) {
    session.suites().withhold(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7);
    EXPECT_EQ(session.global_setup(), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(session.global_data(), nullptr);
    EXPECT_EQ(session.suites().outstanding(), 0);
}

// Every host call of global set-up, failed in turn: whatever fails, the command gives back every suite, leaves no
// handle locked, and keeps no global data unless it succeeded.
TEST(ModuleFaults, EachHostCallOfGlobalSetUpCanFailWithoutLeavingAnythingHeld) {
    LoadedModule module = LoadedModule::open(VORLANE_MODULE_PATH);
    std::uint64_t clean_calls = 0;
    {
        Session clean(module.entry(), standard_services());
        ASSERT_EQ(clean.global_setup(), PF_Err_NONE);
        clean_calls = clean.gate().calls();
    }
    ASSERT_GT(clean_calls, 3u);
    for (std::uint64_t k = 1; k <= clean_calls; ++k) {
        Session session(module.entry(), standard_services());
        session.gate().fail_call_number(k, PF_Err_OUT_OF_MEMORY);
        std::string failed;
        session.gate().set_observer([&](const HostCallRecord& call) {
            if (call.injected) {
                failed = call.function;
            }
        });
        const PF_Err err = session.global_setup();
        // A refused release leaves its suite held by the host's count; the effect can do nothing about it.
        EXPECT_EQ(session.suites().outstanding(), failed == "ReleaseSuite" ? 1 : 0) << "call " << k << " " << failed;
        if (err != PF_Err_NONE) {
            EXPECT_EQ(session.global_data(), nullptr) << "call " << k;
        }
        if (const PF_Handle global = session.global_data()) {
            EXPECT_EQ(session.handles().lock_count(global), 0) << "call " << k;
        }
    }
}

TEST(ModulePipl, TheModuleCarriesExactlyTheGeneratedBytes) {
    const LoadedModule module = LoadedModule::open(VORLANE_MODULE_PATH);
    EXPECT_EQ(read_pipl(module), pipl_bytes());
}

TEST(ModuleLoading, AMissingFileOrALibraryWithoutEntryPointIsRefused) {
    EXPECT_THROW(LoadedModule::open("/nonexistent/Vorlane.so"), ModuleError);
    try {
        LoadedModule::open(VORLANE_NO_ENTRY_MODULE_PATH);
        ADD_FAILURE() << "a library without EntryPointFunc was accepted";
    } catch (const ModuleError& e) {
        EXPECT_NE(std::string(e.what()).find("EntryPointFunc"), std::string::npos);
    }
}

}  // namespace
}  // namespace vorlane::host::test
