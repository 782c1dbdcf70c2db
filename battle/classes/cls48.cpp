// Class 48, the last form: a lift-pull-and-hurl and a ground wave, a hit
// reaction with fixed frames, and its defeat: the scene drawn again with it
// beaten and revealed band by band through eight 16 x 16 mask patterns.
// Move choice: btl_choose_move_for_class, case 48 (battle/scene.cpp).
#include <algorithm>
#include <cstring>

#include "battle/classes/classes_29_48.h"
#include "platform/draw.h"
#include "platform/input.h"
#include "platform/screen.h"
#include "tactics/units.h"

std::array<std::array<std::array<uint8_t, 16>, 16>, CLS48_MASKS> g_cls48_mask_tiles{};
std::array<int16_t, CLS48_BANDS> g_cls48_band_levels{};

namespace {
constexpr int32_t MASK_W = 128, MASK_ROWS = 16;
constexpr int32_t FIELD_TOP = 32, FIELD_END = 255;

// The opening: the move's sheet, which the body is drawn from.
void open(Move& m, int32_t variant) {
    m.setup_base(variant);
    m.me.saved_slot = m.me.slot;
    m.me.slot = m.sheet_slot();
    m.me.frame = 0;
}

// The clean-up: the body drawn from its own sheet again, on frame 0.
void cleanup(Move& m) {
    if (!m.cleanup_base()) return;
    m.me.frame = 0;
    m.me.slot = m.me.saved_slot;
}

// n columns away from the opponent: + for side 1, - for side 0.
int32_t away(int32_t side, int32_t n) { return side == 1 ? n : -n; }

// One airborne frame of the reaction: the fall goes on.
void fall(BattleActor& f) {
    f.y += f.stash_y;
    f.stash_y += 8;
}

void copy_pixels(uint8_t* to, uint8_t* from) {
    if (to && from) std::memcpy(gfx_dib_pixels(to), gfx_dib_pixels(from), SCREEN_IMAGE_SIZE);
}
}  // namespace

void cls48_hit_reaction(int16_t actor) {
    const int32_t side = actor & 1;
    BattleActor& f = btl_actor(side);
    uint16_t& phase = g_btl_hit_phase[side];
    btl_companion_pose(side, 4);
    const bool airborne = f.state == 2 && f.y < BTL_GROUND_Y;
    switch (phase) {
        case 1:
            btl_spark_place(side);
            if (g_btl_last_damage != 0 || ((f.state == 5 || f.state == 6) && f.hit_count % 2 == 0)) f.frame = 1;
            ++f.hit_count;
            if (airborne) {
                fall(f);
                if (side == 0) f.x -= 1;
            } else {
                f.x += away(side, f.recoil);
            }
            f.y = std::min<int32_t>(f.y, BTL_GROUND_Y);
            phase = 2;
            break;
        case 2:
            btl_spark_damage(side);
            if (airborne) {
                fall(f);
                f.x += away(side, 1);
            } else {
                f.x += away(side, f.recoil);
            }
            f.frame = 2;
            f.y = std::min<int32_t>(f.y, BTL_GROUND_Y);
            phase = 3;
            break;
        case 3:
            btl_spark_park();
            if (g_btl_combatant[side]->hp == 0) {
                f.state = 7;
                f.timer = 0;
                f.down_flag = 0;
                phase = 0;
            }
            if (f.state == 2 && f.y < BTL_GROUND_Y) {
                // Still in the air: the reaction lasts until the landing.
                fall(f);
                f.x += away(side, 1);
            } else {
                f.x += away(side, f.recoil);
                phase = 0;
            }
            f.y = std::min<int32_t>(f.y, BTL_GROUND_Y);
            break;
        default: phase = 0; break;
    }
    f.x = std::clamp<int32_t>(f.x, 4, 75);
}

void cls48_load_mask(const char* name) {
    HeapBlock picture(btl_load_picture(name));
    int32_t w = 0, h = 0;
    const uint8_t* bits = picture ? gfx_picture_bits(picture.get(), &w, &h) : nullptr;
    // Only a picture 128 wide with the 16 rows of the patterns counts.
    if (!bits || w != MASK_W || h < MASK_ROWS) {
        util_memory_error();
        return;
    }
    for (int32_t i = 0; i < CLS48_MASKS; ++i)
        for (int32_t j = 0; j < MASK_ROWS; ++j)
            std::memcpy(g_cls48_mask_tiles[static_cast<size_t>(i)][static_cast<size_t>(j)].data(),
                        bits + j * MASK_W + 16 * i, 16);
}

void cls48_mask_wipe() {
    if (!g_back_dib || !g_shadow_dib || !g_background_dib) return;
    uint8_t* back = gfx_dib_pixels(g_back_dib);
    const uint8_t* old_picture = gfx_dib_pixels(g_shadow_dib);
    const uint8_t* new_picture = gfx_dib_pixels(g_background_dib);
    for (int32_t k = CLS48_BANDS - 1; k >= 0; --k) {
        for (int32_t b = 0; b < CLS48_BANDS; ++b) g_cls48_band_levels[static_cast<size_t>(b)] = b - k;
        // The battle field's rows, on buffer row 416 - y as the spans count them.
        for (int32_t y = FIELD_TOP; y <= FIELD_END; ++y) {
            const int32_t level = g_cls48_band_levels[static_cast<size_t>(y / 16)];
            const size_t row = static_cast<size_t>(SCREEN_H - y) * SCREEN_W;
            for (int32_t x = 0; x < SCREEN_W; ++x) {
                const bool shows_new =
                    level >= 0 && g_cls48_mask_tiles[static_cast<size_t>(std::min(level, 7))]
                                                    [static_cast<size_t>(y % 16)][static_cast<size_t>(x % 16)] != 0;
                back[row + x] = shows_new ? new_picture[row + x] : old_picture[row + x];
            }
        }
        if (k == 11) btl_sound(SFX_POWER);
        win_wait_units(4);
    }
}

void cls48_defeat(int16_t actor) {
    const int32_t side = actor & 1;
    BattleActor& f = btl_actor(side);
    int16_t& defeat_step = f.w21;
    int16_t& frames = f.ground_y;
    // Busy only once the engine has marked it beaten.
    g_btl_hit_phase[side] = f.down_flag > 0 ? 1 : 0;
    switch (defeat_step) {
        case 0:
            f.frame = 3;
            defeat_step = 1;
            break;
        case 1:
            if (++frames > 8) {
                frames = 0;
                if (f.down_flag) {
                    cls48_load_mask("F:LMASK.GEM");
                    defeat_step = 2;
                }
            }
            break;
        case 2:
            if (g_btl_hit_phase[1 - side] != 0) break;
            f.frame = 4;
            // The old picture, then the scene drawn again with the beaten
            // pose as the new one.
            copy_pixels(g_shadow_dib, g_back_dib);
            btl_draw_actors_and_flip(1);
            copy_pixels(g_background_dib, g_back_dib);
            cls48_mask_wipe();
            defeat_step = 3;
            break;
        default:
            frames = -1;
            g_btl_hit_phase[side] = 0;
            break;
    }
}

// Move 12: it lifts the opponent, pulls it in and hurls it down; the hurl
// and the landing both strike.
uint16_t cls48_move12(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    BattleActor& opp = m.opp;
    switch (me.step) {
        case 0:
            open(m, BTL_SHEET_C);
            me.timer = 0;
            me.step = 1;
            return 0;
        case 1:
            if (me.timer == 0) btl_sound(SFX_INVOKE);
            m.frame_loop(me, 1, 2, 2, false);
            if (me.timer > 12) {
                opp.state = 3 + me.timer % 2;
                if (opp.y >= 177) opp.y -= 4;
                if (opp.y < 177) {
                    me.timer = 0;
                    btl_sound(SFX_INVOKE);
                    me.step = 2;
                }
            }
            m.pan_fast();
            return 0;
        case 2:
            m.frame_loop(me, 1, 2, 2, false);
            opp.state = 3 + me.timer % 2;
            if (m.ahead(me.x, opp.x) > 12) {
                opp.x -= m.fwd(3);  // pulled in
            } else {
                me.frame = 3;
                me.step = 3;
            }
            m.pan_fast();
            return 0;
        case 3:
            if (++me.frame >= 5) {
                m.hit(5, opp.recoil);
                opp.stash_x = -3;
                opp.stash_y = 8;
                m.pan_fast();
                me.step = 4;
            }
            return 0;
        case 4:
            me.frame = 6;
            me.timer = 0;
            opp.x += opp.stash_x;
            opp.y += opp.stash_y;
            if (opp.y > BTL_GROUND_Y) {
                if (m.alive()) {
                    opp.y = 232;
                    opp.stash_y = -32;
                    m.hit(2, 3);
                }
                me.step = 5;
            }
            m.pan_fast();
            return 0;
        case 5:
            if (++me.timer > 20) me.step = 6;
            m.pan_fast();
            return 0;
        case 6:
            cleanup(m);
            m.pan_fast();
            return 0;
        default: return m.end();
    }
}

// Move 13: it gathers a wave that runs along the ground through the
// opponent, tossing it up to three times.
uint16_t cls48_move13(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            open(m, BTL_SHEET_B);
            btl_sound(SFX_GUST);
            me.step = 1;
            return 0;
        case 1:
            if (++me.frame >= 8) {
                btl_sound(SFX_BLAST);
                m.spawn(me.x - 8, 224, 15);
                me.step = 2;
            }
            return 0;
        case 2: {
            BattleActor& wave = m.fx_base(0);
            m.frame_loop(wave, 15, 3);
            if (wave.timer > 8) btl_sound(SFX_FLASH);
            if (wave.timer > 12 && ++me.frame >= 13) {
                wave.x -= 17;
                wave.frame = 18;
                me.timer = 0;
                btl_sound(SFX_POWER);
                me.step = 3;
            }
            return 0;
        }
        case 3:
            m.frame_loop(me, 13, 2);
            if (cls46_wave_sweep(m, 0, 26, 3)) me.step = 4;
            m.pan_fast();
            return 0;
        case 4:
            cleanup(m);
            m.pan_slow();
            return 0;
        default: return m.end();
    }
}

void cls48_handler(int16_t side, uint16_t* done) {
    BattleActor& f = btl_actor(side);
    switch (f.state) {
        case 0:
            f.frame = 0;
            btl_companion_pose(side, 0);
            break;
        case 1:
        case 3:
        case 4: cls48_hit_reaction(side); break;
        case 2:
        case 5:
        case 6:
            cls48_hit_reaction(side);
            btl_companion_pose(side, 0);
            break;
        case 7:
        case 8:
            cls48_defeat(side);
            btl_companion_pose(side, 0);
            break;
        case 12: *done = cls48_move12(side); break;
        case 13: *done = cls48_move13(side); break;
        default: *done = 1; break;
    }
    btl_actor_update_companion(side);
}
