// The one place where the effect acquires and releases host suites. Built on the stack of every command that uses
// suites; acquires each suite on first use, hands the same pointer back afterwards, and releases everything it
// holds, in a fixed order, when the command ends — also while a thrown error code unwinds through it.
#pragma once

#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "SPBasic.h"

namespace vorlane::effect {

// Thrown (as a plain PF_Err) when the host cannot supply a suite.
constexpr PF_Err kMissingSuiteError = PF_Err_BAD_CALLBACK_PARAM;

class HostSuiteHandler {
  public:
    explicit HostSuiteHandler(SPBasicSuite* basic_suite);  // throws kMissingSuiteError when basic_suite is null
    ~HostSuiteHandler();
    HostSuiteHandler(const HostSuiteHandler&) = delete;
    HostSuiteHandler& operator=(const HostSuiteHandler&) = delete;

    const PF_ANSICallbacksSuite1* ansiSuite();
    const PF_HandleSuite2* handleSuite();
    const AEGP_UtilitySuite7* utilitySuite();
    const PF_ParamUtilsSuite3* paramUtilsSuite();
    const AEGP_PFInterfaceSuite1* pfInterfaceSuite();
    const AEGP_StreamSuite7* streamSuite();
    const AEGP_DynamicStreamSuite2* dynamicStreamSuite();
    const AEGP_EffectSuite2* effectSuite();
    const PF_PathQuerySuite1* pathQuerySuite();
    const PF_PathDataSuite1* pathDataSuite();
    const PF_WorldSuite1* worldSuite();
    const PF_WorldTransformSuite1* worldTransformSuite();

    // For a suite acquired outside the table (the render's "PF World Suite" 2); the caller releases it.
    SPBasicSuite* basicSuite() const { return basic_suite_; }

    static constexpr int kKnownSuiteCount = 135;

  private:
    const void* acquireByName(const char* name, A_long version);
    void releaseByName(const char* name, A_long version);
    void releaseAll();
    const void* cached(int entry);

    SPBasicSuite* basic_suite_;
    const void* held_[kKnownSuiteCount] = {};
};

}  // namespace vorlane::effect
