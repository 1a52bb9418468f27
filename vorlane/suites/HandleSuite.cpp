#include "suites/HandleSuite.h"

#include "session/Serve.h"
#include "session/Session.h"

namespace vorlane::host {
namespace {

HandleStore& handles_of(const HostCall& call) {
    return call.context()->session->handles();
}

PF_Handle host_new_handle(A_HandleSize size) {
    return serve_value(
        current_context(), "host_new_handle", [&](HostCall& call) { call.arg("size", size); },
        [&](HostCall& call) {
            PF_Handle handle = handles_of(call).create(size);
            call.result(handle ? PF_Err_NONE : PF_Err_OUT_OF_MEMORY);
            return handle;
        });
}

void* host_lock_handle(PF_Handle handle) {
    return serve_value(
        current_context(), "host_lock_handle", [&](HostCall& call) { call.arg("handle", handle); },
        [&](HostCall& call) {
            void* data = handles_of(call).lock(handle);
            call.result(data ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM);
            return data;
        });
}

// The functions that cannot fail find no store outside any command; they then do nothing, and a size is 0.
HandleStore* store_of(CommandContext* context) {
    return context != nullptr ? &context->session->handles() : nullptr;
}

// Unlocking and disposing of: nothing to answer.
void act_on_handle(const char* function, PF_Handle handle, void (HandleStore::*act)(PF_Handle)) {
    HandleStore* store = store_of(current_context());
    serve_unfailing(
        current_context(), function, [&](HostCall& call) { call.arg("handle", handle); },
        [&] {
            if (store != nullptr) {
                (store->*act)(handle);
            }
        });
}

void host_unlock_handle(PF_Handle handle) {
    act_on_handle("host_unlock_handle", handle, &HandleStore::unlock);
}

void host_dispose_handle(PF_Handle handle) {
    act_on_handle("host_dispose_handle", handle, &HandleStore::dispose);
}

A_HandleSize host_get_handle_size(PF_Handle handle) {
    HandleStore* store = store_of(current_context());
    return serve_unfailing(
        current_context(), "host_get_handle_size", [&](HostCall& call) { call.arg("handle", handle); },
        [&] { return store != nullptr ? store->size(handle) : A_HandleSize{0}; });
}

PF_Err host_resize_handle(A_HandleSize new_size, PF_Handle* handle) {
    return serve(
        current_context(), "host_resize_handle",
        [&](HostCall& call) { call.arg("size", new_size).arg("handle", handle ? *handle : nullptr); },
        [&](HostCall& call) {
            return handle == nullptr ? PF_Err_BAD_CALLBACK_PARAM : handles_of(call).resize(*handle, new_size);
        });
}

constexpr PF_HandleSuite2 kHandleSuite{host_new_handle,     host_lock_handle,     host_unlock_handle,
                                       host_dispose_handle, host_get_handle_size, host_resize_handle};

}  // namespace

const PF_HandleSuite2& handle_suite() {
    return kHandleSuite;
}

}  // namespace vorlane::host
