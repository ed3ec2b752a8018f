#include "train/wagon_monitor.h"

// Placeholder until this step is built.
void runWagonMonitor(ScriptState&) {}
