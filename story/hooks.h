// Chapter hooks.
#pragma once

void scn_tick();
