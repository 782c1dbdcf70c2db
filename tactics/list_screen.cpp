// The backdrop shared by the full-screen item, shop, save and party screens.
#include "tactics/list_screen.h"

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/heap.h"
#include "platform/input.h"
#include "platform/palette.h"

Palette16 menu_open_list_backdrop() {
    g_colour_cycle_block = 1;
    const HeapBlock picture(file_load_data("a:back1.gem"));
    if (!picture) util_memory_error();
    gfx_fade_to_scene_wait(1);
    Palette16 colours{};
    gfx_get_palette16(picture.get(), &colours);
    gfx_set_scene_palettes(&colours, nullptr, &g_scene_palette);
    if (picture) gfx_blit_image(2, 0, picture.get());
    return colours;
}
