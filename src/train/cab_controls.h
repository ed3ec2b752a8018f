#pragma once
#include "host/script_state.h"

void updateSeatChange(ScriptState& state);
void updateHighBeam(ScriptState& state);
// Horn on a long press; a short tap hands over to the engineer command.
void updateHornKey(ScriptState& state);
void updateDoors(ScriptState& state);
// Lets the portable radio play in the cab (when the radio key action is on).
void switchPortableRadio(bool on);
