// The host's record of one command in flight. PF_InData::effect_ref points at it, so callbacks and suites that
// receive effect_ref find their session; functions that receive no effect_ref (the basic suite, the handle and ANSI
// suites) find the command running on the calling thread through current_context().
//
// Each command has its own in/out records and its own copies of the parameters, so commands of one session may run
// on several threads at once.
#pragma once

#include <cstdint>
#include <vector>

#include "AE_Effect.h"

namespace vorlane::host {

class Session;
class CallGate;

struct CommandContext {
    Session* session = nullptr;
    CallGate* gate = nullptr;
    PF_Cmd cmd = PF_Cmd_ABOUT;
    PF_InData in_data{};
    PF_OutData out_data{};
    std::vector<PF_ParamDef> params;           // this command's copies, index 0 the input layer
    std::vector<PF_ParamDef*> param_pointers;  // what the effect receives as params[]
    CommandContext* outer = nullptr;           // the command this one runs inside, on the same thread
    std::uintptr_t token = 0;                  // what effect_ref carries: unique per command, never reused
};

// The innermost command running on this thread, or null outside any command.
CommandContext* current_context();

// The context behind an effect_ref, or null when effect_ref is not a command running on this thread (a stale or
// made-up reference must not be followed).
CommandContext* context_of(PF_ProgPtr effect_ref);

PF_ProgPtr effect_ref_of(const CommandContext* context);

// Makes a context the current one on this thread for its lifetime, under a fresh token: a command that reuses the
// memory of an earlier one must not honour the earlier one's effect_ref.
class ActiveCommand {
  public:
    explicit ActiveCommand(CommandContext& context);
    ~ActiveCommand();
    ActiveCommand(const ActiveCommand&) = delete;
    ActiveCommand& operator=(const ActiveCommand&) = delete;

  private:
    CommandContext& context_;
};

}  // namespace vorlane::host
