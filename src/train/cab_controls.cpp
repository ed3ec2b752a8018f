#include "train/cab_controls.h"

// Placeholder until this step is built.
void updateSeatChange(ScriptState&) {}
void updateHighBeam(ScriptState&) {}
void updateHornKey(ScriptState&) {}
void updateDoors(ScriptState&) {}
void switchPortableRadio(bool) {}
