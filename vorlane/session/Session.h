// One effect instance as the host keeps it, driven through the module's entry point.
//
// A Session owns what the host owns for an effect: the template of PF_InData every command starts from, the
// global data handle kept between commands, the parameter records (index 0 the input layer, the rest as the effect
// added them), the host's memory handles, the suite registry (filled from the services it is given) and the call gate.
// Each command gets its own CommandContext (own in/out records and parameter copies), so commands may run concurrently
// on several threads; the session's shared state is guarded.
//
// The session must not outlive the module whose entry point it drives: parameter records point at strings in the
// module (popup choices, captions).
//
//     Session session(module.entry(), standard_services());   // suites/StandardSuites.h
//     session.global_setup();
//     session.params_setup();
//     std::string text; session.about(&text);
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_GeneralPlug.h"
#include "session/CallGate.h"
#include "session/CommandContext.h"
#include "session/ControlFlags.h"
#include "session/HandleStore.h"
#include "session/SessionServices.h"
#include "session/SuiteRegistry.h"

namespace vorlane::host {

// After Effects' application id ('FXTC') and Premiere Pro's ('PrMr').
constexpr A_long kApplIdAfterEffects = 0x46585443;
constexpr A_long kApplIdPremierePro = 0x50724D72;

// What the effect declared at global set-up.
struct DeclaredFlags {
    A_u_long my_version = 0;
    PF_OutFlags out_flags = 0;
    PF_OutFlags2 out_flags2 = 0;
};

struct CommandResult {
    PF_Err err = PF_Err_NONE;
    PF_OutData out_data{};
};

// Called after a command's context is filled and before the entry point runs: the place to set the time, the
// output size, or parameter values of this command only.
using PrepareCommand = std::function<void(CommandContext&)>;

class Session {
  public:
    // Serves what `services` holds; more suites are added through suites().
    Session(PF_EntryPointFunc entry, const SessionServices& services);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // ---- Commands ----------------------------------------------------------------------------------------------
    // Runs one command through the entry point. `extra` is the command's extra record; `output` the output layer.
    CommandResult run(PF_Cmd cmd, void* extra = nullptr, PF_LayerDef* output = nullptr,
                      const PrepareCommand& prepare = {});
    // Keeps the declared version and flags and, on success, the global data handle.
    PF_Err global_setup();
    // Starts the parameter list afresh (only the input layer), lets the effect add its parameters, and checks that
    // the count it reports is the count it added (PF_Err_INTERNAL_STRUCT_DAMAGED otherwise, see host_message()).
    PF_Err params_setup();
    // The about text exactly as the effect wrote it into return_msg (carriage returns included).
    PF_Err about(std::string* text);

    // ---- Host configuration ------------------------------------------------------------------------------------
    // What every command's PF_InData starts from. Change it between commands, not during one.
    PF_InData& in_data_template() { return in_template_; }
    void set_appl_id(A_long appl_id) { in_template_.appl_id = appl_id; }
    SuiteRegistry& suites() { return suites_; }
    CallGate& gate() { return gate_; }
    HandleStore& handles() { return handles_; }
    // The controls' dynamic stream flags (hidden, disabled, ...), as the effect set them through the AEGP suites.
    ControlFlags& control_flags() { return control_flags_; }
    const ControlFlags& control_flags() const { return control_flags_; }

    // ---- State -------------------------------------------------------------------------------------------------
    std::vector<PF_ParamDef> params() const;       // a snapshot
    PF_ParamDef param(PF_ParamIndex index) const;  // throws std::out_of_range
    int num_params() const;
    void set_param(PF_ParamIndex index, const PF_ParamDef& def);  // throws std::out_of_range
    PF_Handle global_data() const;
    DeclaredFlags declared() const;
    std::string host_message() const;  // why the host itself refused something, empty if it did not
    AEGP_PluginID plugin_id() const;   // 0 until the effect registered
    std::string registered_name() const;
    std::pair<A_long, A_long> last_progress() const;
    void request_abort(bool abort);

    // ---- Served to the effect (called by the host callbacks, not by host users) --------------------------------
    PF_Err add_param(CommandContext& context, PF_ParamIndex index, const PF_ParamDef* def);
    PF_Err checkout_param(CommandContext& context, PF_ParamIndex index, PF_ParamDef* param);
    PF_Err checkin_param(CommandContext& context, PF_ParamDef* param);
    AEGP_PluginID register_plugin(const char* name);
    void note_progress(A_long current, A_long total);
    bool abort_requested() const;
    int checkouts_outstanding() const;

  private:
    void fill_context(CommandContext& context, PF_Cmd cmd);
    void merge_changed_params(const CommandContext& context);
    void set_host_message(std::string message);

    PF_EntryPointFunc entry_;
    SuiteRegistry suites_;
    CallGate gate_;
    HandleStore handles_;
    ControlFlags control_flags_;
    SPBasicSuite basic_suite_{};
    PF_UtilCallbacks utils_{};
    PF_InData in_template_{};

    mutable std::mutex mutex_;
    std::vector<PF_ParamDef> params_;
    PF_Handle global_data_ = nullptr;
    PF_Handle sequence_data_ = nullptr;
    DeclaredFlags declared_;
    std::string host_message_;
    AEGP_PluginID plugin_id_ = 0;
    AEGP_PluginID next_plugin_id_ = 1;
    std::string registered_name_;
    std::pair<A_long, A_long> last_progress_{0, 0};
    bool abort_requested_ = false;
    int checkouts_outstanding_ = 0;
};

}  // namespace vorlane::host
