// The backdrop shared by the full-screen item, shop, save and party screens.
#pragma once

#include "platform/palette.h"

// Blocks the colour cycling, fades out, sets the palettes of "a:back1.gem"
// and draws it at column 2 ("Memory Error" when it is missing); returns its
// colours, which the screen fades in to.
Palette16 menu_open_list_backdrop();
