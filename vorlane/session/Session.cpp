#include "session/Session.h"

#include <cstring>
#include <stdexcept>

#include "session/InteractCallbacks.h"

namespace vorlane::host {
namespace {

PF_ParamDef input_layer_param() {
    PF_ParamDef def{};
    def.param_type = PF_Param_LAYER;
    def.u.ld.dephault = PF_LayerDefault_MYSELF;
    return def;
}

bool known_param_type(PF_ParamType type) {
    return type >= PF_Param_LAYER && type <= PF_Param_POINT_3D && type != PF_Param_RESERVED2 &&
           type != PF_Param_RESERVED3;
}

// The commands in which the effect may report changed values through uu.change_flags.
bool reports_param_changes(PF_Cmd cmd) {
    return cmd == PF_Cmd_USER_CHANGED_PARAM || cmd == PF_Cmd_UPDATE_PARAMS_UI;
}

}  // namespace

Session::Session(PF_EntryPointFunc entry, const SessionServices& services)
    : entry_(entry), basic_suite_(services.basic_suite), utils_(services.util_callbacks) {
    if (services.register_suites != nullptr) {
        services.register_suites(suites_);
    }
    in_template_.inter = interact_callbacks();
    in_template_.utils = &utils_;
    in_template_.pica_basicP = &basic_suite_;
    in_template_.quality = PF_Quality_HI;
    in_template_.version = PF_SpecVersion{13, 27};
    in_template_.appl_id = kApplIdAfterEffects;
    in_template_.time_step = 1;
    in_template_.local_time_step = 1;
    in_template_.time_scale = 30;
    in_template_.total_time = 30;
    in_template_.field = PF_Field_FRAME;
    in_template_.downsample_x = in_template_.downsample_y = PF_RationalScale{1, 1};
    in_template_.pixel_aspect_ratio = PF_RationalScale{1, 1};
    params_.push_back(input_layer_param());
}

Session::~Session() = default;

void Session::fill_context(CommandContext& context, PF_Cmd cmd) {
    context.session = this;
    context.gate = &gate_;
    context.cmd = cmd;
    context.in_data = in_template_;
    std::lock_guard lock(mutex_);
    context.in_data.global_data = global_data_;
    context.in_data.sequence_data = sequence_data_;
    context.in_data.num_params = static_cast<A_long>(params_.size());
    context.out_data.my_version = declared_.my_version;
    context.out_data.global_data = global_data_;
    context.out_data.sequence_data = sequence_data_;
    context.out_data.num_params = static_cast<A_long>(params_.size());
    context.params = params_;
    if (reports_param_changes(cmd)) {
        for (PF_ParamDef& def : context.params) {
            def.uu.change_flags = PF_ChangeFlag_NONE;
        }
    }
}

CommandResult Session::run(PF_Cmd cmd, void* extra, PF_LayerDef* output, const PrepareCommand& prepare) {
    CommandContext context;
    fill_context(context, cmd);
    if (prepare) {
        prepare(context);
    }
    // Pointed at only now: the preparation may have replaced the parameter copies.
    for (PF_ParamDef& def : context.params) {
        context.param_pointers.push_back(&def);
    }
    CommandResult result;
    {
        ActiveCommand active(context);
        try {
            result.err = entry_(cmd, &context.in_data, &context.out_data, context.param_pointers.data(), output, extra);
        } catch (...) {
            // An exception must not cross the entry point; a host would show an internal error here.
            set_host_message("the effect let an exception escape its entry point");
            result.err = PF_Err_INTERNAL_STRUCT_DAMAGED;
        }
    }
    result.out_data = context.out_data;
    {
        std::lock_guard lock(mutex_);
        global_data_ = context.out_data.global_data;
        sequence_data_ = context.out_data.sequence_data;
    }
    if (reports_param_changes(cmd)) {
        merge_changed_params(context);
    }
    return result;
}

void Session::merge_changed_params(const CommandContext& context) {
    std::lock_guard lock(mutex_);
    const std::size_t count = std::min(context.params.size(), params_.size());
    for (std::size_t i = 0; i < count; ++i) {
        const PF_ParamDef& changed = context.params[i];
        if ((changed.uu.change_flags & PF_ChangeFlag_CHANGED_VALUE) != 0) {
            params_[i].u = changed.u;
        }
    }
}

PF_Err Session::global_setup() {
    // The handle is the effect's to make; the host keeps it only when set-up succeeds.
    const CommandResult result = run(PF_Cmd_GLOBAL_SETUP);
    std::lock_guard lock(mutex_);
    declared_.my_version = result.out_data.my_version;
    declared_.out_flags = result.out_data.out_flags;
    declared_.out_flags2 = result.out_data.out_flags2;
    if (result.err != PF_Err_NONE) {
        global_data_ = nullptr;
    }
    return result.err;
}

PF_Err Session::params_setup() {
    {
        std::lock_guard lock(mutex_);
        params_.assign(1, input_layer_param());
    }
    control_flags_.clear();
    const CommandResult result = run(PF_Cmd_PARAMS_SETUP);
    if (result.err != PF_Err_NONE) {
        return result.err;
    }
    const int added = num_params();
    if (result.out_data.num_params != added) {
        set_host_message("the effect reported " + std::to_string(result.out_data.num_params) +
                         " parameters but added " + std::to_string(added));
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
    return PF_Err_NONE;
}

PF_Err Session::about(std::string* text) {
    const CommandResult result = run(PF_Cmd_ABOUT);
    if (text != nullptr) {
        const char* msg = result.out_data.return_msg;
        text->assign(msg, strnlen(msg, sizeof result.out_data.return_msg));
    }
    return result.err;
}

std::vector<PF_ParamDef> Session::params() const {
    std::lock_guard lock(mutex_);
    return params_;
}

PF_ParamDef Session::param(PF_ParamIndex index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<std::size_t>(index) >= params_.size()) {
        throw std::out_of_range("no parameter " + std::to_string(index));
    }
    return params_[static_cast<std::size_t>(index)];
}

int Session::num_params() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(params_.size());
}

void Session::set_param(PF_ParamIndex index, const PF_ParamDef& def) {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<std::size_t>(index) >= params_.size()) {
        throw std::out_of_range("no parameter " + std::to_string(index));
    }
    params_[static_cast<std::size_t>(index)] = def;
}

PF_Handle Session::global_data() const {
    std::lock_guard lock(mutex_);
    return global_data_;
}

DeclaredFlags Session::declared() const {
    std::lock_guard lock(mutex_);
    return declared_;
}

std::string Session::host_message() const {
    std::lock_guard lock(mutex_);
    return host_message_;
}

void Session::set_host_message(std::string message) {
    std::lock_guard lock(mutex_);
    host_message_ = std::move(message);
}

AEGP_PluginID Session::plugin_id() const {
    std::lock_guard lock(mutex_);
    return plugin_id_;
}

std::string Session::registered_name() const {
    std::lock_guard lock(mutex_);
    return registered_name_;
}

std::pair<A_long, A_long> Session::last_progress() const {
    std::lock_guard lock(mutex_);
    return last_progress_;
}

void Session::request_abort(bool abort) {
    std::lock_guard lock(mutex_);
    abort_requested_ = abort;
}

bool Session::abort_requested() const {
    std::lock_guard lock(mutex_);
    return abort_requested_;
}

int Session::checkouts_outstanding() const {
    std::lock_guard lock(mutex_);
    return checkouts_outstanding_;
}

PF_Err Session::add_param(CommandContext& context, PF_ParamIndex index, const PF_ParamDef* def) {
    if (context.cmd != PF_Cmd_PARAMS_SETUP) {
        return PF_Err_INVALID_CALLBACK;
    }
    if (def == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (!known_param_type(def->param_type)) {
        return PF_Err_UNRECOGNIZED_PARAM_TYPE;
    }
    std::lock_guard lock(mutex_);
    if (index != -1 && index != static_cast<PF_ParamIndex>(params_.size())) {
        return PF_Err_INVALID_INDEX;
    }
    PF_ParamDef copy = *def;
    // The host never trusts the name to be terminated within its field.
    copy.name[PF_MAX_EFFECT_PARAM_NAME_LEN] = '\0';
    params_.push_back(copy);
    return PF_Err_NONE;
}

PF_Err Session::checkout_param(CommandContext& context, PF_ParamIndex index, PF_ParamDef* param) {
    if (param == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= context.params.size()) {
        return PF_Err_INVALID_INDEX;
    }
    *param = context.params[static_cast<std::size_t>(index)];
    std::lock_guard lock(mutex_);
    ++checkouts_outstanding_;
    return PF_Err_NONE;
}

PF_Err Session::checkin_param(CommandContext&, PF_ParamDef* param) {
    if (param == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    std::lock_guard lock(mutex_);
    --checkouts_outstanding_;
    return PF_Err_NONE;
}

AEGP_PluginID Session::register_plugin(const char* name) {
    std::lock_guard lock(mutex_);
    registered_name_ = name ? name : "";
    plugin_id_ = next_plugin_id_++;
    return plugin_id_;
}

void Session::note_progress(A_long current, A_long total) {
    std::lock_guard lock(mutex_);
    last_progress_ = {current, total};
}

}  // namespace vorlane::host
