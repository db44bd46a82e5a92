// The built-in sample clip: generated moving pictures with hard and soft
// edges, saturated colour, fine lines and text, so that every filter has
// something to show. Integer arithmetic only: every build makes the same
// pixels.
#pragma once

#include "sdk/filter.h"

namespace qhost {

// Frame `frame` of the clip at w x h into dst, rows pitch pixels apart.
void render_sample(PIXEL_YC *dst, int pitch, int w, int h, int frame);

}  // namespace qhost
