#include "entry/AboutStrings.h"

namespace vorlane::effect {

namespace {

constexpr int kAboutStringLength = 256;

struct AboutString {
    A_long id;
    A_char text[kAboutStringLength];
};

// The about text is formatted without a length check into a 256-character field, so the description has to stay
// well inside the 239 characters left after the name and the version.
constexpr AboutString kAboutStrings[] = {
    {kAboutNoString, ""},
    {kAboutName, "Quelvar"},
    {kAboutDescription,
     "Animate sprites along paths.\rDraws copies of up to five layers along the layer's masks, "
     "with seeded random variation."},
};

}  // namespace

const A_char* about_string(A_long id) {
    for (const AboutString& entry : kAboutStrings) {
        if (entry.id == id) {
            return entry.text;
        }
    }
    return kAboutStrings[kAboutNoString].text;
}

}  // namespace vorlane::effect
