#include "train/entry.h"

// Placeholder until this step is built.
void searchForTrain(ScriptState&) {}
void updateEntering(ScriptState&) {}
void updateExit(ScriptState&) {}
