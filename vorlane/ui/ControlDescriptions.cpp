#include "ui/ControlDescriptions.h"

#include <utility>

namespace vorlane::host {
namespace {

constexpr std::string_view kLayer =
    "The layer whose copies this slot draws; a slot in use without a layer leaves its share of the spots empty.";
constexpr std::string_view kFrequency =
    "The share of the spots, in percent, that show this slot's layer; the slots are filled in order, so the "
    "frequencies in use should add up to 100 (editing one rescales all of them, itself included, to do so).";

constexpr std::pair<std::string_view, std::string_view> kDescriptions[] = {
    {"Layers",
     "How many layer slots are in use (1 to 5): the copies choose among \"Layer 1\" up to this slot; the others are "
     "hidden."},
    {"Layer 1", kLayer},
    {"Layer 2", kLayer},
    {"Layer 3", kLayer},
    {"Layer 4", kLayer},
    {"Layer 5", kLayer},
    {"Frequency 1", kFrequency},
    {"Frequency 2", kFrequency},
    {"Frequency 3", kFrequency},
    {"Frequency 4", kFrequency},
    {"Frequency 5", kFrequency},
    {"Reset Frequencies", "Gives every slot in use an equal share of the spots: 100 divided by \"Layers\"."},
    {"Path Selection",
     "The mask the copies walk along; while it names no mask nothing is drawn, even with \"Use All Paths\" on."},
    {"Use All Paths",
     "Walks every mask of the layer, \"Instances\" copies on each, instead of only the one \"Path Selection\" "
     "names."},
    {"Sequentially",
     "With \"Use All Paths\" on and \"Mode\" Incremental, walks the masks one after another as a single walk, each "
     "with an equal share of \"Instances\" times the number of masks."},
    {"Mode",
     "Incremental grows the copies along the mask as \"Evolution\" rises, the earlier ones older; Constant spreads "
     "them over the whole mask at all times, all of one age."},
    {"Distribution",
     "Segment chooses the layer afresh for every copy; Path chooses it once per mask, so all copies on a mask show "
     "the same layer."},
    {"Instances",
     "How many copies one walk places along its mask (the slider stops at 100; up to 1000000 can be typed); "
     "\"Bidirectional\" doubles it."},
    {"Time Options", "When in its layer's own time each copy is shown."},
    {"Time Factor",
     "Slows the copies' layers: a copy shows its layer at its age divided by this share, so 200% shows half as far "
     "into the layer and 50% twice as far."},
    {"Time Factor Randomness",
     "Slows each copy's layer further by a random factor between 1 and 1 + this share (100% up to half speed)."},
    {"Time Offset Randomness (frames)", "Shows each copy's layer up to this many frames earlier, at random."},
    {"Auto Orient",
     "Turns each copy along the mask's direction at its spot; off, every copy keeps the layer's own orientation."},
    {"Bidirectional",
     "Doubles the copies and turns every second one by 180 degrees, so that copies face both ways along the mask."},
    {"Bidirectional Alignment",
     "Even puts each turned copy on the spot of the copy before it (back-to-back pairs); Odd gives it a spot of its "
     "own between the others."},
    {"Anchor X",
     "Which point of the layer sits on the mask, in pixels right of the layer's centre; a positive value moves the "
     "copies left."},
    {"Anchor Y",
     "Which point of the layer sits on the mask, in pixels below the layer's centre; a positive value moves the "
     "copies up."},
    {"Flip", "Mirrors every copy: X left to right, Y top to bottom, XY both."},
    {"Flip Randomness",
     "Mirrors each copy with a chance of one half on the axes chosen (with XY both together or neither)."},
    {"Evolution",
     "In Incremental mode how far along the mask the copies reach (100 is all of it); in both modes their age, at "
     "\"Time Factor\" 100% about one frame of their layer per unit, so values above 100 only age them."},
    {"Evolution Randomness",
     "Shifts each copy along the mask at random, by up to this share of the gap between two copies either way."},
    {"Scale", "The copies' size, in percent of their layer's."},
    {"Scale Randomness",
     "Shrinks each copy at random by up to this share, never enlarging: 40% gives sizes from 60% to 100% of "
     "\"Scale\"."},
    {"Rotation", "Turns every copy by this angle, on top of the mask's direction."},
    {"Rotation Randomness",
     "Turns each copy by a random angle of up to this share of 180 degrees either way (100% allows any angle)."},
    {"Opacity", "The copies' opacity, in percent."},
    {"Opacity Randomness",
     "Makes each copy more transparent at random, by up to this share of \"Opacity\": 100% ranges from invisible to "
     "\"Opacity\"."},
    {"Seed", "Chooses the random variations: the same seed gives the same picture, another seed another one."},
    {"Composite", "Draws the copies over the layer's own picture, or over a transparent frame."},
};

}  // namespace

std::string_view control_description(std::string_view name) {
    for (const auto& [control, sentence] : kDescriptions) {
        if (control == name) {
            return sentence;
        }
    }
    return {};
}

}  // namespace vorlane::host
