// Placeholders for saving and loading.
#include "tactics/pending.h"

// PENDING: the save buffer belongs to saving and loading.
std::array<uint8_t, SAVE_FILE_SIZE> g_save_buffer{};

// PENDING: the save chooser and the slot files; until they land nothing is
// saved and the save reports itself cancelled.
int32_t save_save_game(int32_t slot) {
    pending_log("save_save_game %d", slot);
    return 0;
}

// PENDING: unpacking a loaded save into the live state; until it lands the
// live state is left as it is.
void save_unpack_state() { pending_log("save_unpack_state"); }
