// The SDL2 back end: a real window, mouse and keys, audio through SDL2_mixer.
#pragma once

#include <string>

// Starts SDL with its video and audio; 1 on success, 0 when no display can be
// opened. Audio that cannot be opened leaves the program silent.
int sys_use_sdl(const std::string& lock_dir);
