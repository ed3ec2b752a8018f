#include "ui/engineer.h"

// Placeholder until this step is built.
void engineerCommandTap(ScriptState&) {}
void drawEngineerMenu(ScriptState&) {}
void runEngineerDrive(ScriptState&) {}
