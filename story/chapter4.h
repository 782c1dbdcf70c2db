// The scripted walk of chapter 4 that its stage-26 scene runs.
#pragma once

// The party walks one by one into the hole at (6,11), each with its words:
// characters 2, 4, 1, 6, 5, 3, 8, 7; a character without a record is skipped.
void scn_ch4_walk_in_party();
