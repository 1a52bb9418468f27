#include "suites/HandleSuite.h"

#include "session/HostCall.h"
#include "session/Session.h"

namespace vorlane::host {
namespace {

PF_Handle host_new_handle(A_HandleSize size) {
    HostCall call(current_context(), "host_new_handle");
    call.arg("size", size);
    if (call.failed()) {
        return nullptr;
    }
    PF_Handle handle = call.context()->session->handles().create(size);
    call.result(handle ? PF_Err_NONE : PF_Err_OUT_OF_MEMORY);
    return handle;
}

void* host_lock_handle(PF_Handle handle) {
    HostCall call(current_context(), "host_lock_handle");
    call.arg("handle", handle);
    if (call.failed()) {
        return nullptr;
    }
    void* data = call.context()->session->handles().lock(handle);
    call.result(data ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM);
    return data;
}

void host_unlock_handle(PF_Handle handle) {
    HostCall call(current_context(), "host_unlock_handle", false);
    call.arg("handle", handle);
    if (call.context()) {
        call.context()->session->handles().unlock(handle);
    }
}

void host_dispose_handle(PF_Handle handle) {
    HostCall call(current_context(), "host_dispose_handle", false);
    call.arg("handle", handle);
    if (call.context()) {
        call.context()->session->handles().dispose(handle);
    }
}

A_HandleSize host_get_handle_size(PF_Handle handle) {
    HostCall call(current_context(), "host_get_handle_size", false);
    call.arg("handle", handle);
    return call.context() ? call.context()->session->handles().size(handle) : 0;
}

PF_Err host_resize_handle(A_HandleSize new_size, PF_Handle* handle) {
    HostCall call(current_context(), "host_resize_handle");
    call.arg("size", new_size).arg("handle", handle ? *handle : nullptr);
    if (call.failed()) {
        return call.error();
    }
    if (handle == nullptr) {
        return call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    return call.result(call.context()->session->handles().resize(*handle, new_size));
}

constexpr PF_HandleSuite2 kHandleSuite{host_new_handle,     host_lock_handle,     host_unlock_handle,
                                       host_dispose_handle, host_get_handle_size, host_resize_handle};

}  // namespace

const PF_HandleSuite2& handle_suite() {
    return kHandleSuite;
}

}  // namespace vorlane::host
