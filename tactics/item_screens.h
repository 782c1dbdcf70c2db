// Item screens: the full-screen bag screen (look, use, sell) and the shop
// where a unit buys from the stage's four-item stock.
#pragma once

#include <cstdint>

#include "story/hooks.h"

struct UnitRecord;

// The bag screen for the unit that will use an item (null: no unusable
// marks): the bag index 0..11 picked for use, or -1 on a right click.
int32_t item_bag_screen(const char* title, UnitRecord* unit);
// One line of the bag list at column c, text row r; class -1 draws no
// unusable mark.
void item_draw_list_line(int32_t c, int32_t r, int32_t item_id, int32_t count, int32_t class_id);
// The shop for one customer; returns when the player right-clicks out.
void item_shop_buy(UnitRecord* customer, const ShopStockRow& stock);
