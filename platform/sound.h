// Music and sound effects: one MIDI track at a time on the sequencer under
// the alias MUSIC, looped by replaying it at every end notice, and wave
// effects played asynchronously.
#pragma once

#include <cstdint>

#include "sys/sys.h"

// The sound effects: effect n plays the wave file kq7eNN.wav (NN = n in
// two digits) of the wave folder; each is named for what the game plays it
// for.
enum SoundEffect : int32_t {
    SFX_NONE = -1,  // no sound
    // The tiamat's dive, every fifth frame of its flight.
    SFX_DRAGON_DIVE = 0,
    // Something sent flying: the fire and water balls, the sword wave, the fire pillars, the phantom horses, the
    // griffon's stones, the wyvern gathering its fire, the tiamat's flames.
    SFX_WHOOSH = 1,
    // A blast: the tiamat's dive striking, the dark knight's pull, the whirlwind dropping its catch, the last form's
    // ground wave.
    SFX_BLAST = 2,
    // A shock through the ground: the wizard's blaze, the lord's shock wave, the dark knight's throw.
    SFX_SHOCK = 3,
    // Power gathering or let loose: the lord's charged jump, the warlock's blades, the nightmare's trail, the
    // wyvern's tail, the meteor's spirit, the last enemy's glows and waves.
    SFX_POWER = 4,
    // A flash of magic: the sword master vanishing, the summoning circle's second ring, the priest's orbs, the last
    // enemy's bolt, flashes and charging; a signal in the prologue.
    SFX_FLASH = 5,
    // A monster's spell begins: the earth wave, the fire breath, the orbiting wisps, the scylla's tentacle and
    // hounds, the first form's orb, the rising form's glow.
    SFX_MONSTER_SPELL = 6,
    // A conjuring begins: the priest's rocks, the summoning circle, the phantom horses, the spirit's rush, the
    // manticore's spike, the lich's claw, the first form's ground wave.
    SFX_CONJURE = 7,
    // The first form's orb strikes.
    SFX_ORB_HIT = 8,
    // A fireball or bolt strikes: the fire elemental's fireball, the first form's bolt.
    SFX_SCORCH = 9,
    // The sword master's rising slash strikes.
    SFX_RISING_SLASH = 12,
    // A click that confirms a menu choice, a cancel, a picked cell or the end of a click wait; each point of the
    // experience bar.
    SFX_CLICK = 13,
    // A drum beat: the turn banner, an attack begins, the wizard's walker strides.
    SFX_DRUM = 14,
    // A heavy thud: gates moving in the chapters, heavy strides, the earth elemental's thumps.
    SFX_THUD = 15,
    // A spirit or bolt sent off: the holy commando's bolt, the shaman's and the priest's support spirit.
    SFX_SPIRIT_SHOT = 16,
    // The scylla's hounds running, every third frame.
    SFX_HOUNDS = 17,
    // Something thrown up: the water spout churning and striking, the dullahan's head.
    SFX_SPOUT = 18,
    // The slime's crawl; the dark knight's four shock waves rising.
    SFX_SQUELCH = 19,
    // A support sprite circling its partner.
    SFX_SPARKLE = 20,
    // The shaman's runner and critters, the priest's bouncing orbs, set off.
    SFX_HOP = 22,
    // The scylla throws a hound.
    SFX_HOUND_THROW = 23,
    // The dark knight's shock waves rolling.
    SFX_WAVE_ROLL = 24,
    // The high elf's whirlwind lifts the opponent.
    SFX_WHIRLWIND = 25,
    // The minotaur tosses the opponent.
    SFX_TOSS = 26,
    // A shock wave of the dark knight strikes.
    SFX_WAVE_HIT = 27,
    // A blow lands: every hit's damage, and each flinch.
    SFX_BLOW = 28,
    // The tiamat crashes down.
    SFX_CRASH = 29,
    // A gust: the air elemental's wisp, the spirit beast, the scylla's tentacle, the skeleton's bones, the last
    // form's ground wave.
    SFX_GUST = 30,
    // The mummy's coffin bursts open.
    SFX_COFFIN_BURST = 32,
    // The rising form rises.
    SFX_RISE = 34,
    // The priest's orbs bounce off the field's edge.
    SFX_BOUNCE = 35,
    // A swarm: the vampire's bats, the manticore's swarm.
    SFX_SWARM = 38,
    // The mummy's coffin squeezes.
    SFX_SQUEEZE = 39,
    // The high elf's meteor drops.
    SFX_METEOR = 40,
    // A support spell or song is cast; the wizard's shower.
    SFX_CAST = 41,
    // A recovery gathers, frame by frame; the song's note bouncing.
    SFX_RECOVERY = 42,
    // A spell let go: the wizard's shower falling, the earth's rocks, the air wisp rising, the lich's spirit, the
    // dark count's magic, the imp's and the wyvern's shots.
    SFX_SPELL_RELEASE = 43,
    // Bolts and shards: the wizard's bolts and their hits, the earth's rocks, the warlock's blades, the lich's claw,
    // the baron's blast striking, the spirit bolt's hit, the skeleton's leap.
    SFX_BOLT = 44,
    // A leap or a lift: the take-off of a jump, a fighter hurled up.
    SFX_LEAP = 47,
    // A wing beat of a flying fighter.
    SFX_WING_BEAT = 50,
    // A footstep on the water backdrop.
    SFX_FOOTSTEP_WATER = 51,
    // A wailing spirit: the lich's swoop, the manticore's swarm, the first form's orb.
    SFX_WAIL = 52,
    // A unit vanishes or appears in the chapters' scenes, a summoned spirit arrives; in battle, something called
    // up or seized, and the monk gathering its strength.
    SFX_VANISH = 53,
    // A spell's power rises: summonings, the fire pillars, the water spout, the dark knight's and the lich's magic,
    // the spirit bolt, the baron's blast, the bones, the lights, the vampire's dive, the gargoyle waking and
    // landing, the last form's hurl.
    SFX_INVOKE = 54,
    // A chest opens.
    SFX_CHEST_OPEN = 55,
    // A footstep.
    SFX_FOOTSTEP = 56,
};

extern int32_t g_music_track;        // current track, -1 none
extern char g_music_path[260];       // path of the current track's file
extern int32_t g_mci_open;           // 1 while MUSIC is open and playing
extern int32_t g_mci_ignore_notify;  // 1: the next end notice is swallowed
extern int32_t g_sfx_enabled;        // the sound-effect setting

// Sends one sequencer command string ("open \"<path>\" type sequencer alias
// MUSIC", "play MUSIC from 0 notify", "close all"); 1 when accepted, 0 when
// refused or not understood.
int32_t snd_mci_send(const char* command, SysWnd notify);

int32_t snd_play_music(int32_t n);
void snd_stop_music_a();
int32_t snd_stop_music_b();
int32_t snd_mci_play_file(const char* path);
int32_t snd_mci_close();
int32_t snd_mci_replay();
void snd_play_effect(SoundEffect n);
int32_t snd_play_wave(SoundEffect n);

// Resets this module's state to its values at program start (tests).
void snd_reset();
