// A host session with the effect linked in, set up as After Effects sets up a freshly applied effect, with the
// UI suites the host serves. Every UI command it runs checks that no handle was left with the host.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "AE_Effect.h"
#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "params/ParamIndex.h"
#include "session/Session.h"
#include "suites/StandardSuites.h"
#include "ui/ControlEdits.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane::host::test {

using namespace vorlane::effect;

class UiSession : public ::testing::Test {
  protected:
    UiSession() : session(EntryPointFunc, standard_services()) {
        EXPECT_EQ(session.global_setup(), PF_Err_NONE);
        EXPECT_EQ(session.params_setup(), PF_Err_NONE);
    }

    UiCommandResult run(PF_Cmd cmd, PF_ParamIndex changed = 0) {
        UiCommandResult result = run_ui_command(session, cmd, changed);
        EXPECT_TRUE(result.leaks.empty()) << "leaked: " << result.leaks.front();
        return result;
    }

    // An edit as a user makes it; fails the test when the host or the effect refuses it.
    void edit(const std::string& text) {
        std::string error;
        EXPECT_TRUE(apply_control_edit(session, parse_control_edit(text), &error)) << text << ": " << error;
    }

    double frequency(int slot) const { return session.param(frequency_param(slot)).u.fs_d.value; }
    void set_frequencies(std::initializer_list<double> values) {
        int slot = 1;
        for (double value : values) {
            PF_ParamDef def = session.param(frequency_param(slot));
            def.u.fs_d.value = value;
            session.set_param(frequency_param(slot++), def);
        }
    }
    bool hidden(int index) const { return session.control_flags().hidden(index); }
    bool disabled(int index) const { return (session.param(index).ui_flags & PF_PUI_DISABLED) != 0; }

    Session session;
};

}  // namespace vorlane::host::test
