// Forwards the sequencer and wave calls to the active back end and logs them.
#include "sys/audio.h"

#include "sys/backend.h"

int sys_midi_open(const std::string& path) {
    const SysBackend* b = sys_core_backend();
    int r = (b && b->midi_open) ? b->midi_open(path) : 0;
    sys_log("midi open " + path + (r ? "" : " refused"));
    return r;
}

int sys_midi_play(SysWnd notify) {
    const SysBackend* b = sys_core_backend();
    int r = (b && b->midi_play) ? b->midi_play(notify) : 0;
    sys_log(std::string("midi play") + (r ? "" : " refused"));
    return r;
}

int sys_midi_close_all() {
    const SysBackend* b = sys_core_backend();
    int r = (b && b->midi_close_all) ? b->midi_close_all() : 1;
    sys_log("midi close");
    return r;
}

int sys_wave_play(const std::string& path) {
    const SysBackend* b = sys_core_backend();
    int r = (b && b->wave_play) ? b->wave_play(path) : 0;
    sys_log("wave " + path + (r ? "" : " missing"));
    return r;
}
