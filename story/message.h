// Message scripts and faces: story dialogue, stage goals, item texts, shop
// talk and spell announcements, read from the script files "x:stage??.msg"
// and shown in up to two speaker windows with face pictures "a:face??.gem".
//
// Script files are NUL-terminated code page 949 lines. A section starts right
// after the first "#" followed by the section byte and ends at a line that is
// exactly "e" (the whole picture is restored from the background image) or
// exactly "a" (the picture is kept); a section without such a line ends at
// the end of the file. Ids below 256 are sections of the current stage's file
// (stage index + 1, "01".."40"); ids of 256 and more select file "5" + id / 256
// and section id % 256 (file 51: item texts, file 52: class change, shop,
// spells).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "platform/heap.h"

struct UnitRecord;

constexpr int32_t TXT_SPEAKER_CODES = 29;
constexpr int32_t TXT_FACES = 200;
constexpr int32_t TXT_LINE_MAX = 100;  // line buffer, terminator included
constexpr int32_t TXT_FACE_W = 160;    // face box: 20 columns by 160 lines
constexpr int32_t TXT_FACE_H = 160;

// One extra argument of txt_show_message. Argument w of the list is the unit
// whose face a '*' face in window w shows; argument N is the text that a
// '.N' line (a text line of its own, colour 9) or a '/N' line (the speaker's
// name) shows. An argument of the wrong kind, a null one, or a number beyond
// the list shows nothing for that face or text and the section goes on.
//
//   txt_show_message(97);                         // no arguments
//   txt_show_message(48, {unit});                 // '*' face in window 0
//   txt_show_message(567, {unit, class_name});    // '*' in window 0, ".1"
//   txt_show_message(600, {nullptr, name});       // "/1" only
struct MsgArg {
    const UnitRecord* unit = nullptr;
    const char* text = nullptr;

    MsgArg(std::nullptr_t) {}
    MsgArg(const UnitRecord* u) : unit(u) {}
    MsgArg(const char* t) : text(t) {}
};

// 1 for the faces that window 0 draws unmirrored (2, 71, 82, 100, 112, 122,
// 132, 138), 0 for the others; indexed by face number.
extern const std::array<uint8_t, TXT_FACES> g_face_flags;

// Speaker codes: entry k - 1 is the two-letter code of character id k, "**"
// where the character has none.
extern const char g_speaker_codes[TXT_SPEAKER_CODES][3];

// Shows section id of its message file and returns when the section ends.
void txt_show_message(int32_t id, std::initializer_list<MsgArg> args = {});

// Loads "a:face??.gem" with the two characters of code in place of the "??":
// a DibImage, or null after "Memory Error" when the picture cannot be read.
HeapBlock txt_load_face(const char* code);

// 1..29: the first entry of g_speaker_codes equal to the text's first two
// bytes; 0 when none is (also for a text shorter than two bytes).
int32_t txt_speaker_code(const char* text);

// Face number of a two-character code: 10 x first digit + second digit when
// the first character is a digit, else (first character - 'W') x 10 + second
// digit ("a3" is 103); -1 when the code names no face 0..199.
int32_t txt_face_number(const char* code);
