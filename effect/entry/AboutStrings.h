// The texts of the about box, looked up by string id.
#pragma once

#include "A.h"

namespace vorlane::effect {

enum AboutStringId : A_long { kAboutNoString = 0, kAboutName = 1, kAboutDescription = 2 };

// The text of a string id; the empty text for an id outside the table.
const A_char* about_string(A_long id);

}  // namespace vorlane::effect
