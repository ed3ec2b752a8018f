#pragma once

// The game's frame time as the plug-in counts with it: 0 for a paused game, and 0 as well for a
// time that is not a finite positive number, so that no timer or accumulator is ever poisoned.
float FrameSeconds();
