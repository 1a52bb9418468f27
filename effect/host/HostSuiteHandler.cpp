#include "host/HostSuiteHandler.h"

#include "host/KnownSuites.h"

namespace vorlane::effect {

static_assert(HostSuiteHandler::kKnownSuiteCount == kKnownSuiteTableSize);

namespace {

constexpr int kAnsiEntry = known_suite_entry(kPFANSISuite, kPFANSISuiteVersion1);
constexpr int kHandleEntry = known_suite_entry(kPFHandleSuite, kPFHandleSuiteVersion2);
constexpr int kUtilityEntry = known_suite_entry(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7);
constexpr int kParamUtilsEntry = known_suite_entry(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3);
constexpr int kPfInterfaceEntry = known_suite_entry(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1);
constexpr int kStreamEntry = known_suite_entry(kAEGPStreamSuite, kAEGPStreamSuiteVersion7);
constexpr int kDynamicStreamEntry = known_suite_entry(kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion2);
constexpr int kEffectEntry = known_suite_entry(kAEGPEffectSuite, kAEGPEffectSuiteVersion2);
constexpr int kPathQueryEntry = known_suite_entry(kPFPathQuerySuite, kPFPathQuerySuiteVersion1);
constexpr int kPathDataEntry = known_suite_entry(kPFPathDataSuite, kPFPathDataSuiteVersion1);
constexpr int kWorldEntry = known_suite_entry(kPFWorldSuite, kPFWorldSuiteVersion1);
constexpr int kWorldTransformEntry = known_suite_entry(kPFWorldTransformSuite, kPFWorldTransformSuiteVersion1);

}  // namespace

HostSuiteHandler::HostSuiteHandler(SPBasicSuite* basic_suite) : basic_suite_(basic_suite) {
    if (basic_suite_ == nullptr) {
        throw kMissingSuiteError;
    }
}

HostSuiteHandler::~HostSuiteHandler() {
    releaseAll();
}

const PF_ANSICallbacksSuite1* HostSuiteHandler::ansiSuite() {
    return static_cast<const PF_ANSICallbacksSuite1*>(cached(kAnsiEntry));
}

const PF_HandleSuite2* HostSuiteHandler::handleSuite() {
    return static_cast<const PF_HandleSuite2*>(cached(kHandleEntry));
}

const AEGP_UtilitySuite7* HostSuiteHandler::utilitySuite() {
    return static_cast<const AEGP_UtilitySuite7*>(cached(kUtilityEntry));
}

const PF_ParamUtilsSuite3* HostSuiteHandler::paramUtilsSuite() {
    return static_cast<const PF_ParamUtilsSuite3*>(cached(kParamUtilsEntry));
}

const AEGP_PFInterfaceSuite1* HostSuiteHandler::pfInterfaceSuite() {
    return static_cast<const AEGP_PFInterfaceSuite1*>(cached(kPfInterfaceEntry));
}

const AEGP_StreamSuite7* HostSuiteHandler::streamSuite() {
    return static_cast<const AEGP_StreamSuite7*>(cached(kStreamEntry));
}

const AEGP_DynamicStreamSuite2* HostSuiteHandler::dynamicStreamSuite() {
    return static_cast<const AEGP_DynamicStreamSuite2*>(cached(kDynamicStreamEntry));
}

const AEGP_EffectSuite2* HostSuiteHandler::effectSuite() {
    return static_cast<const AEGP_EffectSuite2*>(cached(kEffectEntry));
}

const PF_PathQuerySuite1* HostSuiteHandler::pathQuerySuite() {
    return static_cast<const PF_PathQuerySuite1*>(cached(kPathQueryEntry));
}

const PF_PathDataSuite1* HostSuiteHandler::pathDataSuite() {
    return static_cast<const PF_PathDataSuite1*>(cached(kPathDataEntry));
}

const PF_WorldSuite1* HostSuiteHandler::worldSuite() {
    return static_cast<const PF_WorldSuite1*>(cached(kWorldEntry));
}

const PF_WorldTransformSuite1* HostSuiteHandler::worldTransformSuite() {
    return static_cast<const PF_WorldTransformSuite1*>(cached(kWorldTransformEntry));
}

// The path data suite is asked for in every segment of every mask; only the first request may reach the host.
const void* HostSuiteHandler::cached(int entry) {
    if (held_[entry] == nullptr) {
        held_[entry] = acquireByName(kKnownSuites[entry].name, kKnownSuites[entry].version);
    }
    return held_[entry];
}

const void* HostSuiteHandler::acquireByName(const char* name, A_long version) {
    if (basic_suite_->AcquireSuite == nullptr) {
        throw kMissingSuiteError;
    }
    const void* suite = nullptr;
    // A host that reports success without a table has not given us the suite either.
    if (basic_suite_->AcquireSuite(name, version, &suite) != kSPNoError || suite == nullptr) {
        throw kMissingSuiteError;
    }
    return suite;
}

void HostSuiteHandler::releaseByName(const char* name, A_long version) {
    if (basic_suite_->ReleaseSuite != nullptr) {
        static_cast<void>(basic_suite_->ReleaseSuite(name, version));
    }
}

// Released in table order, not acquisition order, so that the host sees the same sequence whatever path a command
// took through its accessors.
void HostSuiteHandler::releaseAll() {
    for (int entry = 0; entry < kKnownSuiteCount; ++entry) {
        if (held_[entry] != nullptr) {
            releaseByName(kKnownSuites[entry].name, kKnownSuites[entry].version);
            held_[entry] = nullptr;
        }
    }
}

}  // namespace vorlane::effect
