#include "session/ErrorNames.h"

namespace vorlane::host {

const char* pf_err_name(PF_Err err) {
    switch (err) {
        case PF_Err_NONE:
            return "PF_Err_NONE";
        case PF_Err_OUT_OF_MEMORY:
            return "PF_Err_OUT_OF_MEMORY";
        case PF_Err_INTERNAL_STRUCT_DAMAGED:
            return "PF_Err_INTERNAL_STRUCT_DAMAGED";
        case PF_Err_INVALID_INDEX:
            return "PF_Err_INVALID_INDEX";
        case PF_Err_UNRECOGNIZED_PARAM_TYPE:
            return "PF_Err_UNRECOGNIZED_PARAM_TYPE";
        case PF_Err_INVALID_CALLBACK:
            return "PF_Err_INVALID_CALLBACK";
        case PF_Err_BAD_CALLBACK_PARAM:
            return "PF_Err_BAD_CALLBACK_PARAM";
        case PF_Interrupt_CANCEL:
            return "PF_Interrupt_CANCEL";
        case PF_Err_CANNOT_PARSE_KEYFRAME_TEXT:
            return "PF_Err_CANNOT_PARSE_KEYFRAME_TEXT";
        default:
            return "";
    }
}

std::string describe_err(PF_Err err) {
    const std::string name = pf_err_name(err);
    return name.empty() ? std::to_string(err) : std::to_string(err) + " (" + name + ")";
}

}  // namespace vorlane::host
