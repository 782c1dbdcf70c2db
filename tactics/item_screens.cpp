// Item screens: the bag screen and the shop.
#include "tactics/item_screens.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/text.h"
#include "story/message.h"
#include "tactics/items.h"
#include "tactics/list_screen.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/turn.h"
#include "tactics/units.h"

namespace {

constexpr int32_t SHOP_MUSIC = 13;
constexpr int32_t BAG_LIST_COL = 5;
constexpr int32_t BAG_LIST_ROW = 4;

const char* const BAG_ACTIONS[] = {"  본  다  ", "  쓴  다  ", "  판  다  ", "  5개 판다 ", " 10개 판다 ", nullptr};
enum { ACT_LOOK, ACT_USE, ACT_SELL1, ACT_SELL5, ACT_SELL10 };

void draw_money_line() {
    txt_set_cursor(7, 346);
    txt_draw_string(-1, 0, "소지금", 15);
    txt_draw_string(-1, 0, txt_format_uint(g_gold, 6), 7);
    txt_draw_string(-1, 0, " Gold", 15);
}

void draw_bag_list(UnitRecord* unit) {
    const int32_t cls = unit ? unit->stats.class_id : -1;
    for (int32_t i = 0; i < BAG_ENTRIES; ++i) {
        const BagEntry& e = g_bag[static_cast<size_t>(i)];
        item_draw_list_line(BAG_LIST_COL, BAG_LIST_ROW + i, e.item_id, e.count, cls);
    }
}

void redraw_bag_list(UnitRecord* unit) {
    gfx_fill_rect(32, g_hit_rects[0].y1, 607, 371, 14);
    draw_money_line();
    draw_bag_list(unit);
}

// Sells n pieces of bag entry k after the player agrees.
void sell_from_bag(int32_t k, int32_t n) {
    BagEntry& e = g_bag[static_cast<size_t>(k)];
    const ItemRecord& item = item_get(e.item_id);
    if (item.price == 0) {
        menu_prompt(-1, -1, "이것은 팔 수 없습니다.", 0);
        return;
    }
    if (e.count < n) {
        menu_prompt(-1, -1, "그렇게 많이 가지고 있지 않습니다.", 0);
        return;
    }
    const uint32_t total = item.price / 2 * static_cast<uint32_t>(n);
    const char* particle = item_particle(item.name, "는 ", "은 ");
    const std::string count = std::to_string(n), gold = std::to_string(total);
    const std::string text = std::string(item.name) + particle + count + "개로  " + gold + "Gold가 됩니다.";
    const int32_t len = static_cast<int32_t>(text.size());
    const int32_t col = (MENU_SCREEN_COLS - len) / 2;
    menu_draw_window(col, 9, len, 1);
    txt_draw_string(col, 9, item.name, 7);
    txt_draw_string(-1, 0, particle, 15);
    txt_draw_string(-1, 0, count.c_str(), 6);
    txt_draw_string(-1, 0, "개로  ", 15);
    txt_draw_string(-1, 0, gold.c_str(), 7);
    txt_draw_string(-1, 0, "Gold가 됩니다.", 15);
    if (menu_prompt(28, 12, "팔겠습니까? { 예 }{ 아니오 }", 1) != 0) return;
    e.count = static_cast<int16_t>(e.count - n);
    if (e.count <= 0) {
        e.count = 0;
        e.item_id = 0;
    }
    item_add_gold(total);
}

}  // namespace

void item_draw_list_line(int32_t c, int32_t r, int32_t item_id, int32_t count, int32_t class_id) {
    if (item_id == 0) return;
    if (class_id >= 0 && !item_usable_by_class(item_id, class_id)) txt_draw_string(c + 10, r, "×", 10);
    txt_draw_string(c + 12, r, item_get(item_id).name, 15);
    txt_set_cursor(c + 38, r * MENU_ROW_H);
    item_show_kind(nullptr, item_id, 1);
    txt_draw_string(c + 50, r, txt_format_uint(static_cast<uint32_t>(count < 0 ? 0 : count), 4), 15);
}

int32_t item_bag_screen(const char* title, UnitRecord* unit) {
    const int32_t saved_zoom = g_zoom;
    const Palette16 saved_base = g_scene_base_palette, saved_second = g_scene_second_palette;
    item_sort_bag();

    const Palette16 colours = menu_open_list_backdrop();

    const char* t = title ? title : "";
    txt_set_cursor((MENU_SCREEN_COLS - static_cast<int32_t>(std::strlen(t))) / 2, 8);
    txt_draw_string(-1, 0, t, 15);
    txt_set_cursor(64, 8);
    txt_draw_string(-1, 0, "턴", 15);
    txt_draw_string(-1, 0, txt_format_uint(static_cast<uint32_t>(g_turn + 1), 0), 15);
    txt_draw_string(17, 3, "이름                      종류        개수", 8);

    menu_clear_hit_rects();
    for (int32_t i = 0; i < BAG_ENTRIES; ++i)
        menu_set_hit_rect(i, 40, (BAG_LIST_ROW + i) * MENU_ROW_H, 560, MENU_ROW_H, menu_hover_box_light);
    draw_bag_list(unit);
    draw_money_line();
    gfx_fade_to(&colours, 1);

    int32_t result = -1;
    for (;;) {
        const int32_t k = menu_run(1, g_hit_rects, BAG_ENTRIES);
        if (k < 0) break;
        const int32_t id = g_bag[static_cast<size_t>(k)].item_id;
        if (id == 0) continue;
        menu_hover_box_light(1, &g_hit_rects[k]);
        const int32_t action = menu_list_select(30, k + 2, BAG_ACTIONS, -1, 1);
        menu_hover_box_light(0, &g_hit_rects[k]);
        if (action == ACT_LOOK) {
            gfx_fill_rect(32, 240, 607, 371, 14);
            item_show_info(unit, id);
            win_wait_click_blink();
            sys_invalidate(g_hwnd_game);
            redraw_bag_list(unit);
        } else if (action == ACT_USE) {
            if (item_usable_by_class(id, unit ? unit->stats.class_id : -1)) {
                result = k;
                break;
            }
            menu_prompt(-1, -1, "그것은 사용할 수 없습니다.", 0);
        } else if (action >= ACT_SELL1) {
            sell_from_bag(k, action == ACT_SELL1 ? 1 : action == ACT_SELL5 ? 5 : 10);
            redraw_bag_list(unit);
        }
    }

    g_zoom = saved_zoom;
    gfx_fade_to_scene_wait(1);
    gfx_restore_screen();
    gfx_set_scene_palettes(&saved_base, &saved_second, &g_scene_palette);
    g_colour_cycle_block = 0;
    map_redraw_view();
    gfx_fade_to_wait(&g_default_palette, 1);
    return result;
}

void item_shop_buy(UnitRecord* customer, const ShopStockRow& stock) {
    if (!customer) return;
    const int32_t saved_track = g_music_track;
    snd_play_music(SHOP_MUSIC);
    const int32_t talk = 576 + customer->stats.char_id;
    const char* customer_name = unit_display_name(&customer->stats);

    txt_show_message(576, {customer});
    const SavedArea message_area(gfx_save_rect(6, 240, 68, 100));
    txt_show_message(talk, {customer_name});
    const SavedArea money_area(gfx_save_rect(64, 140, 5, 20));

    for (;;) {
        menu_clear_hit_rects();
        for (int32_t i = 0; i < 4; ++i) {
            const int32_t id = static_cast<int32_t>(stock.item_ids[i]);
            if (id == 0) break;
            const ItemRecord& item = item_get(id);
            const int32_t row = i + 3;
            if (!item_usable_by_class(id, customer->stats.class_id)) txt_draw_string(30, row, "×", 10);
            txt_draw_string(32, row, item.name, 15);
            txt_set_cursor(53, row * MENU_ROW_H);
            item_show_kind(customer, id, 1);
            txt_draw_string(64, row, txt_format_uint(item.price, 5), 7);
            menu_set_hit_rect(i, 240, row * MENU_ROW_H, 320, MENU_ROW_H, menu_hover_box_dark);
        }
        gfx_restore_rect(-1, 0, money_area.get());
        txt_draw_string(32, 7, "소지금", 15);
        txt_draw_string(64, 7, txt_format_uint(g_gold, 5), 7);

        win_wait_units(1);
        const int32_t k = menu_run(1, g_hit_rects, 4);
        if (k < 0) break;
        const int32_t id = static_cast<int32_t>(stock.item_ids[k]);
        const ItemRecord& item = item_get(id);

        gfx_restore_rect(-1, 0, message_area.get());
        item_show_info(customer, id);
        std::string offer = std::string("/7") + item.name + item_particle(item.name, "/*는 /9", "/*은 /9") +
                            std::to_string(item.price) + "/*Gold입니다. { 산다 }";
        if (item.flags & (ITEM_HEAL | ITEM_SPECIAL)) offer += "{ 5개 산다 }{ 10개 산다 }";
        const int32_t choice = menu_prompt(-1, 9, offer.c_str(), 0);
        if (choice >= 0) {
            const int32_t n = choice == 0 ? 1 : choice == 1 ? 5 : 10;
            if (static_cast<uint64_t>(n) * item.price > g_gold) {
                menu_prompt(-1, 9, "돈이 부족합니다.", 0);
            } else {
                int32_t bought = 0;
                for (int32_t i = 0; i < n; ++i) {
                    if (!item_give(customer, id)) {
                        menu_prompt(-1, 9, "이제 더 이상 가질 수 없습니다.", 0);
                        break;
                    }
                    g_gold -= item.price;
                    ++bought;
                }
                if (bought > 0) {
                    const std::string text =
                        std::string("/7") + item.name + item_particle(item.name, "/*를 샀습니다.", "/*을 샀습니다.");
                    menu_prompt(-1, 9, text.c_str(), 0);
                }
            }
        }
        gfx_restore_rect(-1, 0, message_area.get());
        txt_show_message(talk, {customer_name});
    }

    gfx_fade_to_scene_wait(1);
    map_redraw_view();
    gfx_fade_to_wait(&g_default_palette, 1);
    snd_play_music(saved_track);
}
