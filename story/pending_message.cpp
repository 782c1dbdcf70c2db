// Placeholder for the message scripts, until they land.
#include "story/message.h"

#include "tactics/pending.h"

// PENDING: the message script reader with its speaker windows and faces;
// until it lands a message shows nothing and returns at once.
void txt_show_message(int32_t id, std::initializer_list<MsgArg>) {
    pending_log("txt_show_message %d", id);
}
