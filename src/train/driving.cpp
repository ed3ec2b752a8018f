#include "train/driving.h"

// Placeholder until this step is built.
void updateDriving(ScriptState&) {}
