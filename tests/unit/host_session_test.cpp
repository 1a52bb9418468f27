// The session: the parameter records it keeps, the global data it carries between commands, and the gate every
// host call passes through.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "AE_EffectCBSuites.h"
#include "host_scripted_entry.h"
#include "session/Session.h"
#include "suites/StandardSuites.h"

namespace vorlane::host::test {
namespace {

PF_ParamDef slider(const char* name, A_long dephault) {
    PF_ParamDef def{};
    def.param_type = PF_Param_SLIDER;
    std::strncpy(def.name, name, sizeof def.name - 1);
    def.u.sd.value = def.u.sd.dephault = dephault;
    return def;
}

TEST(HostSession, AddParamKeepsCopiesAppendsAndAcceptsOnlyTheNextIndex) {
    Session session(scripted_entry, standard_services());
    ScriptedEntry script([](PF_Cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, void*) -> PF_Err {
        PF_ParamDef def = slider("First", 7);
        EXPECT_EQ(in->inter.add_param(in->effect_ref, -1, &def), PF_Err_NONE);
        def = slider("Second", 8);
        EXPECT_EQ(in->inter.add_param(in->effect_ref, 2, &def), PF_Err_NONE);
        def = slider("Skipping", 9);
        EXPECT_EQ(in->inter.add_param(in->effect_ref, 4, &def), PF_Err_INVALID_INDEX);
        EXPECT_EQ(in->inter.add_param(in->effect_ref, 1, &def), PF_Err_INVALID_INDEX);
        def.param_type = 99;
        EXPECT_EQ(in->inter.add_param(in->effect_ref, -1, &def), PF_Err_UNRECOGNIZED_PARAM_TYPE);
        EXPECT_EQ(in->inter.add_param(in->effect_ref, -1, nullptr), PF_Err_BAD_CALLBACK_PARAM);
        // A name that fills its field without a terminator must not run into the next field.
        def = slider("", 10);
        std::memset(def.name, 'x', sizeof def.name);
        def.flags = PF_ParamFlag_SUPERVISE;
        EXPECT_EQ(in->inter.add_param(in->effect_ref, -1, &def), PF_Err_NONE);
        def.u.sd.value = 1000;  // the host's copy must not follow the effect's record
        out->num_params = 4;
        return PF_Err_NONE;
    });
    ASSERT_EQ(session.params_setup(), PF_Err_NONE);

    ASSERT_EQ(session.num_params(), 4);
    EXPECT_EQ(session.param(0).param_type, PF_Param_LAYER);
    EXPECT_STREQ(session.param(1).name, "First");
    EXPECT_EQ(session.param(2).u.sd.dephault, 8);
    EXPECT_EQ(std::strlen(session.param(3).name), std::size_t{PF_MAX_EFFECT_PARAM_NAME_LEN});
    EXPECT_EQ(session.param(3).u.sd.value, 10);
    EXPECT_EQ(session.param(3).flags, PF_ParamFlag_SUPERVISE);
    EXPECT_THROW(session.param(4), std::out_of_range);
}

TEST(HostSession, TheTraceReadsAParameterNameNoFurtherThanItsField) {
    Session session(scripted_entry, standard_services());
    std::vector<std::string> names;
    session.gate().set_observer([&names](const HostCallRecord& call) {
        for (const auto& [arg, value] : call.args) {
            if (arg == "name") {
                names.push_back(value);
            }
        }
    });
    ScriptedEntry script([](PF_Cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, void*) -> PF_Err {
        PF_ParamDef def = slider("", 1);
        std::memset(def.name, 'x', sizeof def.name);
        def.flags = 0x41414141;  // no terminator in the fields that follow either
        def.unused = 0x42424242;
        EXPECT_EQ(in->inter.add_param(in->effect_ref, -1, &def), PF_Err_NONE);
        out->num_params = 2;
        return PF_Err_NONE;
    });
    ASSERT_EQ(session.params_setup(), PF_Err_NONE);
    session.gate().set_observer({});
    const std::vector<std::string> expected{'"' + std::string(sizeof PF_ParamDef::name, 'x') + '"'};
    EXPECT_EQ(names, expected);
}

TEST(HostSession, ParamsSetupStartsAfreshAndRefusesAMiscountAndLateAdds) {
    Session session(scripted_entry, standard_services());
    A_long reported = 2;
    ScriptedEntry script([&](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, void*) -> PF_Err {
        PF_ParamDef def = slider("Only", 1);
        const PF_Err err = in->inter.add_param(in->effect_ref, -1, &def);
        if (cmd == PF_Cmd_PARAMS_SETUP) {
            out->num_params = reported;
            return err;
        }
        EXPECT_EQ(err, PF_Err_INVALID_CALLBACK);
        return PF_Err_NONE;
    });
    EXPECT_EQ(session.params_setup(), PF_Err_NONE);
    EXPECT_EQ(session.params_setup(), PF_Err_NONE);
    EXPECT_EQ(session.num_params(), 2);

    session.run(PF_Cmd_RENDER);
    EXPECT_EQ(session.num_params(), 2);

    reported = 41;
    EXPECT_EQ(session.params_setup(), PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_NE(session.host_message().find("41"), std::string::npos);
}

TEST(HostSession, GlobalDataMadeAtSetUpComesBackOnLaterCommandsAndIsFreedWithTheSession) {
    auto session = std::make_unique<Session>(scripted_entry, standard_services());
    PF_Handle made = nullptr;
    PF_Handle seen_later = nullptr;
    ScriptedEntry script([&](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, void*) -> PF_Err {
        if (cmd == PF_Cmd_GLOBAL_SETUP) {
            out->my_version = 0x80001;
            out->out_flags = PF_OutFlag_DEEP_COLOR_AWARE;
            made = in->utils->host_new_handle(8);
            static_cast<char*>(in->utils->host_lock_handle(made))[0] = 42;
            in->utils->host_unlock_handle(made);
            out->global_data = made;
        } else {
            seen_later = in->global_data;
        }
        return PF_Err_NONE;
    });
    ASSERT_EQ(session->global_setup(), PF_Err_NONE);
    session->run(PF_Cmd_RENDER);
    EXPECT_NE(made, nullptr);
    EXPECT_EQ(seen_later, made);
    EXPECT_EQ(session->global_data(), made);
    EXPECT_EQ(session->declared().my_version, 0x80001u);
    EXPECT_EQ(session->declared().out_flags, PF_OutFlag_DEEP_COLOR_AWARE);
    EXPECT_EQ(session->handles().size(made), 8u);
    EXPECT_EQ(session->handles().lock_count(made), 0);
    EXPECT_EQ(session->handles().live_handles(), 1u);
}

TEST(HostSession, AFailedGlobalSetUpLeavesNoGlobalData) {
    Session session(scripted_entry, standard_services());
    ScriptedEntry script([](PF_Cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, void*) -> PF_Err {
        out->global_data = in->utils->host_new_handle(8);
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    });
    EXPECT_EQ(session.global_setup(), PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_EQ(session.global_data(), nullptr);
}

TEST(HostSession, TheGateNumbersEveryCallAndFailsTheOnesItIsToldTo) {
    Session session(scripted_entry, standard_services());
    std::vector<std::string> traced;
    session.gate().set_observer([&](const HostCallRecord& call) {
        traced.push_back(std::to_string(call.number) + " " + call.function + " " + std::to_string(call.err));
    });
    session.gate().fail_call_number(2, PF_Err_OUT_OF_MEMORY);
    session.gate().fail_function("progress", PF_Interrupt_CANCEL);
    ScriptedEntry script([](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) -> PF_Err {
        PF_ParamDef def{};
        EXPECT_EQ(in->inter.checkout_param(in->effect_ref, 0, 0, 1, 30, &def), PF_Err_NONE);
        EXPECT_EQ(in->inter.checkin_param(in->effect_ref, &def), PF_Err_OUT_OF_MEMORY);
        EXPECT_NE(in->utils->host_new_handle(8), nullptr);
        EXPECT_NE(in->utils->host_new_handle(0), nullptr);
        EXPECT_EQ(in->inter.progress(in->effect_ref, 1, 2), PF_Interrupt_CANCEL);
        EXPECT_DOUBLE_EQ(in->utils->ansi.sqrt(4.0), 2.0);  // cannot fail; only counted
        return PF_Err_NONE;
    });
    session.run(PF_Cmd_RENDER);
    EXPECT_EQ(session.gate().calls(), 6u);
    EXPECT_EQ(session.gate().calls_of("host_new_handle"), 2u);
    EXPECT_EQ(session.gate().injected_faults(), 2u);
    ASSERT_EQ(traced.size(), 6u);
    EXPECT_EQ(traced[1], "2 checkin_param 4");
    EXPECT_EQ(traced[4], "5 progress " + std::to_string(PF_Interrupt_CANCEL));
    EXPECT_EQ(traced[5], "6 sqrt 0");
}

TEST(HostSession, AnEffectRefFromAnotherCommandIsRefused) {
    Session session(scripted_entry, standard_services());
    PF_ProgPtr kept = nullptr;
    ScriptedEntry script([&](PF_Cmd cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) -> PF_Err {
        if (cmd == PF_Cmd_ABOUT) {
            kept = in->effect_ref;
            return PF_Err_NONE;
        }
        PF_ParamDef def{};
        EXPECT_EQ(in->inter.checkout_param(kept, 0, 0, 1, 30, &def), PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_EQ(in->inter.checkout_param(nullptr, 0, 0, 1, 30, &def), PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_EQ(in->inter.checkout_param(in->effect_ref, 5, 0, 1, 30, &def), PF_Err_INVALID_INDEX);
        return PF_Err_NONE;
    });
    session.run(PF_Cmd_ABOUT);
    session.run(PF_Cmd_RENDER);
    EXPECT_EQ(session.checkouts_outstanding(), 0);
}

// Renders may run on several threads through one session: each command keeps its own context, and a reference
// of the command on the other thread is not honoured.
TEST(HostSession, CommandsOnSeveralThreadsKeepTheirOwnContexts) {
    Session session(scripted_entry, standard_services());
    std::atomic<PF_ProgPtr> refs[2] = {nullptr, nullptr};
    std::atomic<int> arrived{0}, faults{0};
    ScriptedEntry script([&](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void* extra) -> PF_Err {
        const int me = *static_cast<int*>(extra);
        refs[me] = in->effect_ref;
        ++arrived;
        while (arrived < 2) {
            std::this_thread::yield();
        }
        PF_ParamDef def{};
        faults += in->inter.checkout_param(refs[1 - me], 0, 0, 1, 30, &def) != PF_Err_BAD_CALLBACK_PARAM;
        faults += in->inter.checkout_param(in->effect_ref, 0, 0, 1, 30, &def) != PF_Err_NONE;
        faults += in->inter.checkin_param(in->effect_ref, &def) != PF_Err_NONE;
        const void* suite = nullptr;
        faults += in->pica_basicP->AcquireSuite(kPFANSISuite, 1, &suite) != kSPNoError;
        faults += in->pica_basicP->ReleaseSuite(kPFANSISuite, 1) != kSPNoError;
        return PF_Err_NONE;
    });
    int ids[2] = {0, 1};
    std::thread first([&] { session.run(PF_Cmd_RENDER, &ids[0]); });
    std::thread second([&] { session.run(PF_Cmd_RENDER, &ids[1]); });
    first.join();
    second.join();
    EXPECT_EQ(faults, 0);
    EXPECT_NE(refs[0].load(), refs[1].load());
    // The refused calls belong to no command of this thread, so no session counts them.
    EXPECT_EQ(session.gate().calls(), 8u);
    EXPECT_EQ(session.gate().calls_of("checkout_param"), 2u);  // counted on each thread, summed when asked
    EXPECT_EQ(session.suites().counts(kPFANSISuite, 1).released, 2);
    EXPECT_EQ(session.checkouts_outstanding(), 0);
}

TEST(HostSession, AnExceptionOutOfTheEntryPointBecomesAnInternalError) {
    Session session(scripted_entry, standard_services());
    ScriptedEntry script(
        [](PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef**, void*) -> PF_Err { throw std::runtime_error("escaped"); });
    EXPECT_EQ(session.run(PF_Cmd_RENDER).err, PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_FALSE(session.host_message().empty());
}

TEST(HostSession, ValuesTheEffectMarksChangedInAUiCommandAreKept) {
    Session session(scripted_entry, standard_services());
    ScriptedEntry script([](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef** params, void*) -> PF_Err {
        if (cmd == PF_Cmd_PARAMS_SETUP) {
            PF_ParamDef a = slider("A", 1), b = slider("B", 2);
            a.uu.id = 1;
            b.uu.id = 2;
            in->inter.add_param(in->effect_ref, -1, &a);
            in->inter.add_param(in->effect_ref, -1, &b);
            out->num_params = 3;
            return PF_Err_NONE;
        }
        EXPECT_EQ(params[1]->uu.change_flags, PF_ChangeFlag_NONE);
        params[1]->u.sd.value = 50;
        params[1]->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
        params[2]->u.sd.value = 60;  // not marked: the host ignores it
        return PF_Err_NONE;
    });
    ASSERT_EQ(session.params_setup(), PF_Err_NONE);
    PF_UserChangedParamExtra extra{1};
    session.run(PF_Cmd_USER_CHANGED_PARAM, &extra);
    EXPECT_EQ(session.param(1).u.sd.value, 50);
    EXPECT_EQ(session.param(1).uu.id, 1);
    EXPECT_EQ(session.param(2).u.sd.value, 2);
}

}  // namespace
}  // namespace vorlane::host::test
