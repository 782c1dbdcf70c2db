// Placeholder for the load chooser of saving and loading.
#include "story/pending_title.h"

#include "platform/shell.h"
#include "tactics/pending.h"

int32_t g_pending_load_result = 0;
int32_t g_pending_load_stage = 0;

// PENDING: the load chooser and the slot files; until they land the chooser
// reports itself cancelled, unless a test has made it stand for a chosen
// slot.
int32_t save_load_game(int32_t slot) {
    pending_log("save_load_game %d", slot);
    if (g_pending_load_result != 1) return 0;
    g_stage_index = g_pending_load_stage;
    return 1;
}
