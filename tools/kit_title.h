// Sample data kit: the pictures of the title, the opening and the ending.
#pragma once

#include "tools/kit.h"

namespace kit {

// Frame sheets (640 x 400, four labelled 320 x 200 quarters, each filled
// with a colour of its own), stills of the opening, the maker logo, the
// title background and its overlay, the panned vision, and the ending's
// pictures. The font must be built first.
void gen_title(const Kit& kit);

}  // namespace kit
