#include "session/CommandContext.h"

#include <atomic>

namespace vorlane::host {
namespace {
thread_local CommandContext* innermost = nullptr;
std::atomic<std::uintptr_t> last_token{0};
}  // namespace

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

PF_ProgPtr effect_ref_of(const CommandContext* context) {
    return reinterpret_cast<PF_ProgPtr>(context->token);
}

ActiveCommand::ActiveCommand(CommandContext& context) : context_(context) {
    context_.token = ++last_token;
    context_.in_data.effect_ref = effect_ref_of(&context_);
    context_.outer = innermost;
    innermost = &context_;
}

ActiveCommand::~ActiveCommand() {
    innermost = context_.outer;
}

}  // namespace vorlane::host
