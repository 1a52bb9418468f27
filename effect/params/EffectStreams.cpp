#include "params/EffectStreams.h"

namespace vorlane::effect {

EffectHandle::~EffectHandle() {
    dispose_effect(*this, PF_Err_NONE);
}

StreamTable::~StreamTable() {
    dispose_streams(*this, PF_Err_NONE);
}

PF_Err dispose_effect(EffectHandle& effect, PF_Err err) {
    if (effect.handle != nullptr) {
        const PF_Err dispose_err = effect.suite->AEGP_DisposeEffect(effect.handle);
        effect.handle = nullptr;
        if (err == PF_Err_NONE) {
            err = dispose_err;
        }
    }
    return err;
}

PF_Err dispose_streams(StreamTable& streams, PF_Err err) {
    for (AEGP_StreamRefH& stream : streams.slots) {
        if (stream != nullptr) {
            const PF_Err dispose_err = streams.suite->AEGP_DisposeStream(stream);
            stream = nullptr;
            if (err == PF_Err_NONE) {
                err = dispose_err;
            }
        }
    }
    return err;
}

}  // namespace vorlane::effect
