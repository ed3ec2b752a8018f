#pragma once
#include "host/script_state.h"

// A short tap of the horn key in a freight cab: the next command, and the menu for 5 s.
void engineerCommandTap(ScriptState& state);
void drawEngineerMenu(ScriptState& state);
// On foot, while a train is handed over: keep, stop or follow.
void runEngineerDrive(ScriptState& state);
