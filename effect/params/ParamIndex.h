// Parameter indices. Each parameter's disk id equals its index, and projects store values under those ids, so
// neither may ever be renumbered.
#pragma once

namespace vorlane::effect {

enum ParamIndex : int {
    kInputLayer = 0,
    kLayers = 1,
    kLayer1 = 2,      // "Layer n" is kLayer1 + n - 1
    kFrequency1 = 7,  // "Frequency n" is kFrequency1 + n - 1
    kResetFrequencies = 12,
    kPathSelection = 13,
    kUseAllPaths = 14,
    kSequentially = 15,
    kMode = 16,
    kDistribution = 17,
    kInstances = 18,
    kTimeOptionsStart = 19,
    kTimeFactor = 20,
    kTimeFactorRandomness = 21,
    kTimeOffsetRandomness = 22,
    kTimeOptionsEnd = 23,
    kAutoOrient = 24,
    kBidirectional = 25,
    kBidirectionalAlignment = 26,
    kAnchorX = 27,
    kAnchorY = 28,
    kFlip = 29,
    kFlipRandomness = 30,
    kEvolution = 31,
    kEvolutionRandomness = 32,
    kScale = 33,
    kScaleRandomness = 34,
    kRotation = 35,
    kRotationRandomness = 36,
    kOpacity = 37,
    kOpacityRandomness = 38,
    kSeed = 39,
    kComposite = 40,
    kParamCount = 41  // the input layer and the 40 parameters the effect adds
};

constexpr int kMaxLayers = 5;

constexpr int layer_param(int slot) {
    return kLayer1 + slot - 1;
}
constexpr int frequency_param(int slot) {
    return kFrequency1 + slot - 1;
}

// Popup values, numbered from 1 in the order of their choices.
enum ModeChoice : int { kModeIncremental = 1, kModeConstant = 2 };
enum DistributionChoice : int { kDistributionSegment = 1, kDistributionPath = 2 };
enum AlignmentChoice : int { kAlignmentEven = 1, kAlignmentOdd = 2 };
enum FlipChoice : int { kFlipNone = 1, kFlipX = 2, kFlipY = 3, kFlipXY = 4 };
enum CompositeChoice : int { kCompositeOnOriginal = 1, kCompositeOnTransparent = 2 };

}  // namespace vorlane::effect
