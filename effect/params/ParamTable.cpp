#include "params/ParamTable.h"

#include "params/ParamIndex.h"

namespace vorlane::effect {

namespace {

constexpr PF_ParamFlags SUP = PF_ParamFlag_SUPERVISE;
constexpr PF_ParamFlags CTV = PF_ParamFlag_CANNOT_TIME_VARY;
constexpr PF_ParamFlags TW = PF_ParamFlag_COLLAPSE_TWIRLY;
constexpr PF_ValueDisplayFlags kPercent = PF_ValueDisplayFlag_PERCENT;
constexpr PF_ValueDisplayFlags kPlain = PF_ValueDisplayFlag_NONE;

constexpr char kModeChoices[] = "Incremental|Constant";
constexpr char kDistributionChoices[] = "Segment|Path";
constexpr char kAlignmentChoices[] = "Even|Odd";
constexpr char kFlipChoices[] = "None|X|Y|XY";
constexpr char kCompositeChoices[] = "On Original Image|On Transparent";
constexpr char kResetCaption[] = "Reset";
constexpr char kNoCaption[] = "";

}  // namespace

// "Mode" defaults to Constant, one of its choices: a default of 0 would show a popup with nothing chosen. The
// render takes every value but Incremental as Constant, so a project saved with 0 still renders.
const ParamRow kParamRows[kParamRowCount] = {
    // index, name, copies, type, flags, valid min/max, slider min/max, default, display, text, choices
    {kLayers, "Layers", 1, PF_Param_SLIDER, SUP | CTV, 1, 5, 1, 5, 1, kPlain, nullptr, 0},
    {kLayer1, "Layer ", kMaxLayers, PF_Param_LAYER, SUP, 0, 0, 0, 0, PF_LayerDefault_NONE, kPlain, nullptr, 0},
    {kFrequency1, "Frequency ", kMaxLayers, PF_Param_FLOAT_SLIDER, SUP | CTV, 0, 100, 0, 100, 100, kPercent, nullptr,
     0},
    {kResetFrequencies, "Reset Frequencies", 1, PF_Param_BUTTON, SUP, 0, 0, 0, 0, 0, kPlain, kResetCaption, 0},
    {kPathSelection, "Path Selection", 1, PF_Param_PATH, CTV, 0, 0, 0, 0, 0, kPlain, nullptr, 0},
    {kUseAllPaths, "Use All Paths", 1, PF_Param_CHECKBOX, SUP | CTV, 0, 0, 0, 0, 0, kPlain, kNoCaption, 0},
    {kSequentially, "Sequentially", 1, PF_Param_CHECKBOX, CTV, 0, 0, 0, 0, 0, kPlain, kNoCaption, 0},
    {kMode, "Mode", 1, PF_Param_POPUP, 0, 0, 0, 0, 0, kModeConstant, kPlain, kModeChoices, 2},
    {kDistribution, "Distribution", 1, PF_Param_POPUP, 0, 0, 0, 0, 0, kDistributionSegment, kPlain,
     kDistributionChoices, 2},
    {kInstances, "Instances", 1, PF_Param_SLIDER, 0, 0, 1000000, 0, 100, 25, kPlain, nullptr, 0},
    {kTimeOptionsStart, "Time Options", 1, PF_Param_GROUP_START, TW, 0, 0, 0, 0, 0, kPlain, nullptr, 0},
    {kTimeFactor, "Time Factor", 1, PF_Param_FLOAT_SLIDER, 0, 0, 1000, 0, 200, 100, kPercent, nullptr, 0},
    {kTimeFactorRandomness, "Time Factor Randomness", 1, PF_Param_FLOAT_SLIDER, 0, 0, 1000, 0, 100, 0, kPercent,
     nullptr, 0},
    {kTimeOffsetRandomness, "Time Offset Randomness (frames)", 1, PF_Param_FLOAT_SLIDER, 0, 0, 1000, 0, 100, 0, kPlain,
     nullptr, 0},
    {kTimeOptionsEnd, nullptr, 1, PF_Param_GROUP_END, 0, 0, 0, 0, 0, 0, kPlain, nullptr, 0},
    {kAutoOrient, "Auto Orient", 1, PF_Param_CHECKBOX, CTV, 0, 0, 0, 0, 1, kPlain, kNoCaption, 0},
    {kBidirectional, "Bidirectional", 1, PF_Param_CHECKBOX, SUP | CTV, 0, 0, 0, 0, 0, kPlain, kNoCaption, 0},
    {kBidirectionalAlignment, "Bidirectional Alignment", 1, PF_Param_POPUP, 0, 0, 0, 0, 0, kAlignmentEven, kPlain,
     kAlignmentChoices, 2},
    {kAnchorX, "Anchor X", 1, PF_Param_FLOAT_SLIDER, SUP, -10000, 10000, -100, 100, 0, kPlain, nullptr, 0},
    {kAnchorY, "Anchor Y", 1, PF_Param_FLOAT_SLIDER, SUP, -10000, 10000, -100, 100, 0, kPlain, nullptr, 0},
    {kFlip, "Flip", 1, PF_Param_POPUP, 0, 0, 0, 0, 0, kFlipNone, kPlain, kFlipChoices, 4},
    {kFlipRandomness, "Flip Randomness", 1, PF_Param_POPUP, 0, 0, 0, 0, 0, kFlipNone, kPlain, kFlipChoices, 4},
    {kEvolution, "Evolution", 1, PF_Param_FLOAT_SLIDER, 0, 0, 1000, 0, 100, 100, kPlain, nullptr, 0},
    {kEvolutionRandomness, "Evolution Randomness", 1, PF_Param_FLOAT_SLIDER, TW, 0, 100, 0, 100, 0, kPercent, nullptr,
     0},
    {kScale, "Scale", 1, PF_Param_FLOAT_SLIDER, 0, 0, 1000, 0, 200, 100, kPercent, nullptr, 0},
    {kScaleRandomness, "Scale Randomness", 1, PF_Param_FLOAT_SLIDER, TW, 0, 100, 0, 100, 0, kPercent, nullptr, 0},
    {kRotation, "Rotation", 1, PF_Param_ANGLE, TW, 0, 0, 0, 0, 0, kPlain, nullptr, 0},
    {kRotationRandomness, "Rotation Randomness", 1, PF_Param_FLOAT_SLIDER, TW, 0, 100, 0, 100, 0, kPercent, nullptr, 0},
    {kOpacity, "Opacity", 1, PF_Param_FLOAT_SLIDER, 0, 0, 100, 0, 100, 100, kPercent, nullptr, 0},
    {kOpacityRandomness, "Opacity Randomness", 1, PF_Param_FLOAT_SLIDER, TW, 0, 100, 0, 100, 0, kPercent, nullptr, 0},
    {kSeed, "Seed", 1, PF_Param_SLIDER, 0, 0, 32768, 0, 32768, 12345, kPlain, nullptr, 0},
    {kComposite, "Composite", 1, PF_Param_POPUP, 0, 0, 0, 0, 0, kCompositeOnOriginal, kPlain, kCompositeChoices, 2},
};

}  // namespace vorlane::effect
