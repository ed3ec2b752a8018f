#pragma once
// The plug-in bound into the stand-in's own process: gHook points at the stand-in's hook
// functions and scriptMain is registered as the script. Linux only (tests and the command line).

#include "sim/game.h"

namespace sim {

class PluginGame : public Game {
public:
    explicit PluginGame(GameOptions options = {});
    ~PluginGame() override;
};

}  // namespace sim
