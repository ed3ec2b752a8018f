#pragma once
// The plug-in bound into the stand-in's own process: gHook points at the stand-in's hook
// functions and scriptMain is registered as the script. Linux only (tests and the command line).

#include "sim/runners/game.h"

struct ScriptState;

namespace sim {

class PluginGame : public Game {
public:
    explicit PluginGame(GameOptions options = {});
    ~PluginGame() override;

protected:
    // Binds the hook and registers `script` in place of scriptMain.
    PluginGame(GameOptions options, void (*script)());
};

// The plug-in's script with its state in view between frames, for runs that check the plug-in's
// own bookkeeping (the soak): the same start-up and passes as scriptMain, over a state this game
// can read. One such game at a time.
class ObservedPluginGame : public PluginGame {
public:
    explicit ObservedPluginGame(GameOptions options = {});
    // The state as the last pass left it; null before the first frame.
    const ScriptState* state() const;
};

}  // namespace sim
