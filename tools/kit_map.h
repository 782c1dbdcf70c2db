// Sample data kit: stage maps, the stage unit file, the map unit sheets, the
// tile sheets and the walk sheets.
#pragma once

#include <string>

// Writes dat/stage??.map, dat/stage.unt and bmp/mapchar?, map_?, walk?? into
// out_dir (which must hold the dat and bmp folders); marked: the tiles and
// figures show their numbers.
void kit_write_maps_and_units(const std::string& out_dir, bool marked);
