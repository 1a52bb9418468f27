#include "params/ParamTable.h"

#include "params/ParamIndex.h"

namespace vorlane::effect {

namespace {

constexpr PF_ParamFlags SUP = PF_ParamFlag_SUPERVISE;
constexpr PF_ParamFlags CTV = PF_ParamFlag_CANNOT_TIME_VARY;
constexpr PF_ParamFlags TW = PF_ParamFlag_COLLAPSE_TWIRLY;
constexpr PF_ValueDisplayFlags kPercent = PF_ValueDisplayFlag_PERCENT;

constexpr char kModeChoices[] = "Incremental|Constant";
constexpr char kDistributionChoices[] = "Segment|Path";
constexpr char kAlignmentChoices[] = "Even|Odd";
constexpr char kFlipChoices[] = "None|X|Y|XY";
constexpr char kCompositeChoices[] = "On Original Image|On Transparent";
constexpr char kResetCaption[] = "Reset";
constexpr char kNoCaption[] = "";

constexpr ValueRange kPercentRange{0, 100};

// "Mode" defaults to Constant, one of its choices: a default of 0 would show a popup with nothing chosen. The
// render takes every value but Incremental as Constant, so a project saved with 0 still renders.
constexpr ParamRow kRows[] = {
    {.index = kLayers,
     .name = "Layers",
     .param_type = PF_Param_SLIDER,
     .flags = SUP | CTV,
     .valid = {1, kMaxLayers},
     .slider = {1, kMaxLayers},
     .dephault = 1},
    {.index = kLayer1,
     .name = "Layer ",
     .copies = kMaxLayers,
     .param_type = PF_Param_LAYER,
     .flags = SUP,
     .dephault = PF_LayerDefault_NONE},
    {.index = kFrequency1,
     .name = "Frequency ",
     .copies = kMaxLayers,
     .param_type = PF_Param_FLOAT_SLIDER,
     .flags = SUP | CTV,
     .valid = kPercentRange,
     .slider = kPercentRange,
     .dephault = 100,
     .display_flags = kPercent},
    {.index = kResetFrequencies,
     .name = "Reset Frequencies",
     .param_type = PF_Param_BUTTON,
     .flags = SUP,
     .caption = kResetCaption},
    {.index = kPathSelection, .name = "Path Selection", .param_type = PF_Param_PATH, .flags = CTV, .dephault = 0},
    {.index = kUseAllPaths,
     .name = "Use All Paths",
     .param_type = PF_Param_CHECKBOX,
     .flags = SUP | CTV,
     .dephault = 0,
     .caption = kNoCaption},
    {.index = kSequentially,
     .name = "Sequentially",
     .param_type = PF_Param_CHECKBOX,
     .flags = CTV,
     .dephault = 0,
     .caption = kNoCaption},
    {.index = kMode, .name = "Mode", .param_type = PF_Param_POPUP, .dephault = kModeConstant, .choices = kModeChoices},
    {.index = kDistribution,
     .name = "Distribution",
     .param_type = PF_Param_POPUP,
     .dephault = kDistributionSegment,
     .choices = kDistributionChoices},
    {.index = kInstances,
     .name = "Instances",
     .param_type = PF_Param_SLIDER,
     .valid = {0, 1000000},
     .slider = {0, 100},
     .dephault = 25},
    {.index = kTimeOptionsStart, .name = "Time Options", .param_type = PF_Param_GROUP_START, .flags = TW},
    {.index = kTimeFactor,
     .name = "Time Factor",
     .param_type = PF_Param_FLOAT_SLIDER,
     .valid = {0, 1000},
     .slider = {0, 200},
     .dephault = 100,
     .display_flags = kPercent},
    {.index = kTimeFactorRandomness,
     .name = "Time Factor Randomness",
     .param_type = PF_Param_FLOAT_SLIDER,
     .valid = {0, 1000},
     .slider = kPercentRange,
     .dephault = 0,
     .display_flags = kPercent},
    {.index = kTimeOffsetRandomness,
     .name = "Time Offset Randomness (frames)",
     .param_type = PF_Param_FLOAT_SLIDER,
     .valid = {0, 1000},
     .slider = {0, 100},
     .dephault = 0},
    {.index = kTimeOptionsEnd, .name = nullptr, .param_type = PF_Param_GROUP_END},
    {.index = kAutoOrient,
     .name = "Auto Orient",
     .param_type = PF_Param_CHECKBOX,
     .flags = CTV,
     .dephault = 1,
     .caption = kNoCaption},
    {.index = kBidirectional,
     .name = "Bidirectional",
     .param_type = PF_Param_CHECKBOX,
     .flags = SUP | CTV,
     .dephault = 0,
     .caption = kNoCaption},
    {.index = kBidirectionalAlignment,
     .name = "Bidirectional Alignment",
     .param_type = PF_Param_POPUP,
     .dephault = kAlignmentEven,
     .choices = kAlignmentChoices},
    {.index = kAnchorX,
     .name = "Anchor X",
     .param_type = PF_Param_FLOAT_SLIDER,
     .flags = SUP,
     .valid = {-10000, 10000},
     .slider = {-100, 100},
     .dephault = 0},
    {.index = kAnchorY,
     .name = "Anchor Y",
     .param_type = PF_Param_FLOAT_SLIDER,
     .flags = SUP,
     .valid = {-10000, 10000},
     .slider = {-100, 100},
     .dephault = 0},
    {.index = kFlip, .name = "Flip", .param_type = PF_Param_POPUP, .dephault = kFlipNone, .choices = kFlipChoices},
    {.index = kFlipRandomness,
     .name = "Flip Randomness",
     .param_type = PF_Param_POPUP,
     .dephault = kFlipNone,
     .choices = kFlipChoices},
    {.index = kEvolution,
     .name = "Evolution",
     .param_type = PF_Param_FLOAT_SLIDER,
     .valid = {0, 1000},
     .slider = {0, 100},
     .dephault = 100},
    {.index = kEvolutionRandomness,
     .name = "Evolution Randomness",
     .param_type = PF_Param_FLOAT_SLIDER,
     .flags = TW,
     .valid = kPercentRange,
     .slider = kPercentRange,
     .dephault = 0,
     .display_flags = kPercent},
    {.index = kScale,
     .name = "Scale",
     .param_type = PF_Param_FLOAT_SLIDER,
     .valid = {0, 1000},
     .slider = {0, 200},
     .dephault = 100,
     .display_flags = kPercent},
    {.index = kScaleRandomness,
     .name = "Scale Randomness",
     .param_type = PF_Param_FLOAT_SLIDER,
     .flags = TW,
     .valid = kPercentRange,
     .slider = kPercentRange,
     .dephault = 0,
     .display_flags = kPercent},
    {.index = kRotation, .name = "Rotation", .param_type = PF_Param_ANGLE, .flags = TW, .dephault = 0},
    {.index = kRotationRandomness,
     .name = "Rotation Randomness",
     .param_type = PF_Param_FLOAT_SLIDER,
     .flags = TW,
     .valid = kPercentRange,
     .slider = kPercentRange,
     .dephault = 0,
     .display_flags = kPercent},
    {.index = kOpacity,
     .name = "Opacity",
     .param_type = PF_Param_FLOAT_SLIDER,
     .valid = kPercentRange,
     .slider = kPercentRange,
     .dephault = 100,
     .display_flags = kPercent},
    {.index = kOpacityRandomness,
     .name = "Opacity Randomness",
     .param_type = PF_Param_FLOAT_SLIDER,
     .flags = TW,
     .valid = kPercentRange,
     .slider = kPercentRange,
     .dephault = 0,
     .display_flags = kPercent},
    {.index = kSeed,
     .name = "Seed",
     .param_type = PF_Param_SLIDER,
     .valid = {0, 32768},
     .slider = {0, 32768},
     .dephault = 12345},
    {.index = kComposite,
     .name = "Composite",
     .param_type = PF_Param_POPUP,
     .dephault = kCompositeOnOriginal,
     .choices = kCompositeChoices},
};

// Projects store values under the indices, so the rows must add each of 1 to 40 once, in order, and nothing else.
constexpr bool rows_add_every_index_once() {
    PF_ParamIndex next = kLayers;
    for (const ParamRow& row : kRows) {
        if (row.index != next || row.copies < 1) {
            return false;
        }
        next += row.copies;
    }
    return next == kParamCount;
}
static_assert(rows_add_every_index_once(), "the rows add indices 1 to 40, each once and in order");

}  // namespace

std::span<const ParamRow> param_rows() {
    return kRows;
}

}  // namespace vorlane::effect
