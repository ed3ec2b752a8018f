#pragma once
// The plug-in's passes over the stand-in's world, all in the calling thread: a frame derives the
// control edges, lets the world begin the frame, runs one pass of the plug-in and lets the game
// simulate the frame, as the simulator's own frame loop (Game::step) does, so that a run here
// repeats a scenario run there. The playground page's WebAssembly has no threads, hence no script
// runner: the pass is called directly, as the start-up of scriptMain and its loop would call it. The
// game fuzzer plays the plug-in the same way.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/script_state.h"
#include "sim/world/hook.h"
#include "sim/world/world.h"

namespace sim {

// One session at a time: the plug-in reaches the game through the global hook binding.
class Session {
public:
    // `ini` is what VornLoconaut.ini in the working directory holds at the start; without it there
    // is no file and the plug-in writes its default one on the first pass.
    explicit Session(const std::optional<std::string>& ini);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    World& world() { return world_; }
    const World& world() const { return world_; }
    const Hook& hook() const { return hook_; }
    Hook& hook() { return hook_; }
    const ScriptState& state() const { return state_; }

    // Replaces VornLoconaut.ini in the working directory, as a player editing it during the game.
    void writeIni(const std::string& ini);

    // Keys and buttons, as Game takes them; a control id stands for its keyboard key.
    void hold(const PhysicalInput& input);
    void release(const PhysicalInput& input);
    void hold(int32_t control) { hold(keyOf(control)); }
    void release(int32_t control) { release(keyOf(control)); }
    void setHeld(std::vector<PhysicalInput> inputs);
    bool held(const PhysicalInput& input) const;
    bool held(int32_t control) const { return held(keyOf(control)); }

    // The start-up of the plug-in's script (random seed from the clock, the configuration file
    // made sure of and loaded), which the first step also runs when not called before.
    void start();
    void step(float frameSeconds);
    int frame() const { return frame_; }
    double seconds() const { return clockMs_ / 1000.0; }

private:
    static uint32_t tickCount();

    World world_;
    Hook hook_;
    ScriptState state_;
    std::vector<PhysicalInput> held_;
    int frame_ = 0;
    double clockMs_ = 0.0;
    bool started_ = false;
};

// The INI text in the working directory now, if any.
std::optional<std::string> readIniFile();

}  // namespace sim
