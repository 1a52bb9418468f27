#include "vorlane/session/CommandContext.h"

namespace vorlane {
namespace {
thread_local CommandContext* innermost = nullptr;
}

CommandContext* current_context() {
    return innermost;
}

CommandContext* context_of(PF_ProgPtr effect_ref) {
    for (CommandContext* context = innermost; context != nullptr; context = context->outer) {
        if (effect_ref_of(context) == effect_ref) {
            return context;
        }
    }
    return nullptr;
}

PF_ProgPtr effect_ref_of(CommandContext* context) {
    return reinterpret_cast<PF_ProgPtr>(context);
}

ActiveCommand::ActiveCommand(CommandContext& context) : context_(context) {
    context_.outer = innermost;
    innermost = &context_;
}

ActiveCommand::~ActiveCommand() {
    innermost = context_.outer;
}

}  // namespace vorlane
