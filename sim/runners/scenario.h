#pragma once
// Scenario files: a world set-up, an INI to start with, input and events by frame, and
// expectations, played on a Game. See scenarios/README.md for the format.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/runners/game.h"

namespace sim {

struct Scenario {
    std::string name;
    nlohmann::json doc;
    int frames = 600;
    float frameSeconds = 1.0f / 60.0f;
};

// Throws std::runtime_error with a readable message on a malformed file.
Scenario parseScenario(const std::string& text);
Scenario loadScenario(const std::string& path);

struct ScenarioResult {
    std::vector<std::string> failures;  // failed expectations and ABI violations
    bool passed() const { return failures.empty(); }
};

// Called after each frame, once its expectations are checked (pictures, recorders).
using FrameObserver = std::function<void(const Game&)>;

// Builds the world on `game` (which must be fresh), plays every frame and checks the
// expectations; `timeline` (optional) gets the readable account as it happens.
ScenarioResult playScenario(Game& game, const Scenario& scenario, std::ostream* timeline = nullptr,
                            const FrameObserver& afterFrame = {});

}  // namespace sim
