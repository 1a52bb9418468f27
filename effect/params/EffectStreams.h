// The effect handle and the per-parameter stream references that the UI update borrows from the host. Each is given
// back when its owner goes out of scope, so nothing the host handed out can outlive the command, whatever path the
// command leaves by.
#pragma once

#include <array>

#include "AE_GeneralPlug.h"
#include "params/ParamIndex.h"

namespace vorlane::effect {

struct EffectHandle {
    const AEGP_EffectSuite2* suite;
    AEGP_EffectRefH handle = nullptr;

    explicit EffectHandle(const AEGP_EffectSuite2* effect_suite) : suite(effect_suite) {}
    ~EffectHandle();
    EffectHandle(const EffectHandle&) = delete;
    EffectHandle& operator=(const EffectHandle&) = delete;
};

// One slot per parameter index; slot 0, the input layer, is never filled.
struct StreamTable {
    const AEGP_StreamSuite7* suite;
    std::array<AEGP_StreamRefH, kParamCount> slots{};

    explicit StreamTable(const AEGP_StreamSuite7* stream_suite) : suite(stream_suite) {}
    ~StreamTable();
    StreamTable(const StreamTable&) = delete;
    StreamTable& operator=(const StreamTable&) = delete;
};

// Gives the handle back. The host's answer counts only when nothing failed before.
PF_Err dispose_effect(EffectHandle& effect, PF_Err err);

// Gives every held stream back, also after an error: a stream left with the host would outlive the command that
// borrowed it. The host's answer counts only when nothing failed before.
PF_Err dispose_streams(StreamTable& streams, PF_Err err);

}  // namespace vorlane::effect
