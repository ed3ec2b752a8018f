#pragma once
// sim::Game: the stand-in for the game as a whole - world, hook, clock, input and the script
// runner - and the API integration tests drive it with.
//
// Typical test (on Linux, with the plug-in bound in-process, see sim/runners/in_process_plugin.h):
//
//     sim::PluginGame game;                       // fresh working dir, no INI yet
//     auto& w = game.world();
//     int track = w.addTrack({{0, 0, 0}, {0, 500, 0}});
//     EntityHandle train = w.addTrain("freight", 4, track, 100.0f, 0.0f, /*engineer=*/true);
//     game.setPlayerPosition({3.0f, 100.0f, 0.0f});
//     game.step();                                // first pass: the plug-in writes its INI
//     game.hold(control::enter);
//     game.stepSeconds(2.0f);
//     EXPECT_EQ(game.playerVehicle(), train);
//     EXPECT_TRUE(game.violations().empty());
//
// One frame (step()): the control edges are derived from what is held now against what was held
// in the previous frame; the world begins the frame (World::beginFrame: the screen cleared, the
// game's own entry into a road vehicle started); the script runs one pass (every native it calls is answered from the
// world as it stands); then the game simulates the frame (trains approach their cruise speed and
// move, free vehicles roll, leave orders complete, characters walk); then the clock advances by
// the frame time (which may be 0). calls(), rectangles() and texts() describe the frame just run.
//
// Game-side behaviours worth knowing when writing expectations:
// - Handles have the game's shape: (pool slot << 8) | the slot's counter. The player's is issued
//   first (256001); a removed entity's slot is taken again with its counter one up.
// - GetTrainWagon works on the lead carriage only (index 0 is the lead itself); on any other
//   carriage it answers 0.
// - A train keeps the speed set by SetTrainCurrentSpeed in that frame; in a frame without it the
//   game moves the speed towards the cruise speed (SetTrainTargetSpeed) at 1.5 m/s^2.
// - OrderLeaveVehicle puts the character beside the vehicle 0.5 s later (left for seat -1, right
//   otherwise); until then it is still seated. PlaceCharacterInSeat is immediate and puts a
//   previous occupant of that seat out beside the vehicle.
// - SetEntityPosition on a seated character takes it out of its seat first.
// - Pressing the enter control near a road vehicle (not a train carriage) within 6 m starts
//   the game's own entry, reported by GetVehicleCharacterIsUsing; it seats the player after 1 s,
//   the last 0.5 s of it getting onto the seat (IsCharacterInAnyVehicle with its flag set).
//   OrderLeaveAnyVehicle ends it (and orders the character out of its vehicle) once its delay in
//   milliseconds of game time has passed; a delay of 0 ends it in the call.
// - SpawnVehicle answers 0 for a model of which no vehicle exists (the game has it out of memory).
// - A text component longer than 99 characters is cut there (and is a violation).
// - ListNearbyVehicles lists vehicles within 50 m, nearest first, never the character's own.
// - Free vehicles (SpawnVehicle) roll along their heading losing 2.5 m/s^2, and stop dead against a
//   barrier or within 2.5 m of another vehicle.
// - Every ABI fault is a violation: unknown hash, wrong argument count, a non-zero high half in an
//   int/float/bool slot, a non-finite float, a null pointer, a bool other than 0/1. The argument
//   block is shared and never cleared, as in the real hook: a short call still runs, on whatever
//   earlier calls left in the parameters it did not push.
// - The game's life goes on around a ride (World::kill, respawn, switchPlayer, warp, removeTrain,
//   reload, and loadSave here): a dead player stays where it died, seated or not; a respawn or an
//   arrest puts it out of any seat far away; after a switch PLAYER_PED_ID names another character
//   (0 for the switch's blank frames) and the old one stays where it was; a save load gives every
//   entity a new handle and restarts the scripts.
// - SetTextOutline draws nothing (it does nothing in the released game); a drop shadow of alpha 0
//   draws nothing either.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "sim/world/hook.h"
#include "sim/runners/script_runner.h"
#include "sim/world/world.h"

namespace sim {

// The platform's way of running the script beside the frame loop (thread on Linux, fiber on
// Windows); defined by the runner source built for the platform.
std::unique_ptr<ScriptRunner> makeScriptRunner();

struct GameOptions {
    // Working directory for the run (where the INI lives); empty makes a fresh temporary one,
    // removed again when the game ends.
    std::string workdir;
    bool answerZero = false;
    std::ostream* trace = nullptr;
    float frameSeconds = 1.0f / 60.0f;
};

class Game {
public:
    explicit Game(GameOptions options = {});
    virtual ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // --- The hook's script side (what scriptRegister / scriptWait / GetTickCount reach) ---
    // One script per module, as the hook keeps them: registering a module again replaces its
    // script. Each frame every script runs one pass, in the order they were registered.
    void registerScript(void (*script)(), const void* module = nullptr);
    void unregisterScript();  // ends every script; safe to call twice
    // A game reload as the hook handles it: every registered script main starts again on a fresh
    // fiber (thread), and the old one is abandoned in its wait, never resumed. The Linux runner
    // keeps the last few abandoned threads blocked and unwinds older ones; a native called while
    // one unwinds is a violation, since in the game an abandoned script never runs again.
    void restartScripts();
    // A save loaded: the world built again under new handles (World::reload), then the scripts
    // restarted as at any reload. Returns each old handle's new one.
    std::map<EntityHandle, EntityHandle> loadSave(Vector3 playerAt);
    void scriptWait(uint32_t milliseconds);
    uint32_t tickCount() const;
    Hook& hook() { return hook_; }
    // Set while an abandoned script is being unwound (gameNativeInit reports its calls).
    bool abandonedScriptRunning() const { return endingAbandoned_; }

    static Game* current;  // the game the hook's free functions reach

    // --- World ---
    World& world() { return world_; }
    const World& world() const { return world_; }
    EntityHandle player() const { return world_.player; }
    void setPlayerPosition(Vector3 position, float heading = 0.0f);
    void walkPlayerTo(Vector3 target, float speed = 1.4f);

    // --- The configuration file in the working directory ---
    std::filesystem::path workdir() const { return workdir_; }
    std::filesystem::path iniPath() const;
    void writeIni(const std::string& text);
    void deleteIni();
    std::optional<std::string> readIni() const;
    // Another program (a text editor, a backup, a scanner) holds a file of the game folder open, made
    // empty if there is none, until it lets it go. The C runtime of Windows opens a file sharing its
    // reading and writing, not its deletion, so no rename may replace it or take it elsewhere
    // meanwhile; POSIX lets both happen.
    void holdFile(const std::string& name);
    void releaseFile(const std::string& name);

    // --- Input and time ---
    // Keys and buttons; a control id stands for its keyboard key (sim/world/input.h: keyOf), so that
    // holding 71 holds W, and with it every other control on W.
    void hold(const PhysicalInput& input);
    void release(const PhysicalInput& input);
    void hold(int32_t control) { hold(keyOf(control)); }
    void release(int32_t control) { release(keyOf(control)); }
    void releaseAll();
    // Down for the next frame only, released in the one after.
    void tap(const PhysicalInput& input);
    void tap(int32_t control) { tap(keyOf(control)); }
    bool isHeld(const PhysicalInput& input) const;
    bool isHeld(int32_t control) const { return isHeld(keyOf(control)); }
    void setFrameTime(float seconds) { frameSeconds_ = seconds; }
    float frameTime() const { return frameSeconds_; }

    // --- Running ---
    void step(int frames = 1);
    // Steps whole frames until at least `seconds` of game time passed (at least one frame).
    void stepSeconds(float seconds);
    int frame() const { return frame_; }
    double seconds() const { return clockMs_ / 1000.0; }

    // --- The frame just run ---
    const std::vector<NativeCall>& calls() const { return hook_.calls; }
    int countCalls(const std::string& op) const;
    const NativeCall* lastCall(const std::string& op) const;
    const std::vector<DrawnRectangle>& rectangles() const { return world_.screen.rectangles; }
    const std::vector<DrawnText>& texts() const { return world_.screen.texts; }
    bool textShown(const std::string& part) const;  // some text this frame contains `part`
    const std::vector<std::string>& violations() const { return hook_.violations; }

    // --- Queries ---
    const Character* character(EntityHandle handle) const { return world_.character(handle); }
    const Vehicle* vehicle(EntityHandle handle) const { return world_.vehicle(handle); }
    const Train* train(EntityHandle handle) const { return world_.train(handle); }
    EntityHandle playerVehicle() const;  // 0 on foot
    int32_t playerSeat() const;
    float trainSpeed(EntityHandle train) const;  // signed; 0 for no such train
    const std::vector<WorldEvent>& timeline() const { return world_.events; }

private:
    struct Script {
        const void* module;
        void (*main)();
        std::unique_ptr<ScriptRunner> runner;
    };
    // Abandoned scripts kept blocked before the oldest is unwound: enough that a restart never
    // unwinds the run it just abandoned while a scenario still looks at the world.
    static constexpr size_t kAbandonedKept = 4;
    void endAbandoned(size_t keep);

    World world_;
    Hook hook_;
    std::vector<Script> scripts_;
    std::vector<std::unique_ptr<ScriptRunner>> abandoned_;  // oldest first
    ScriptRunner* running_ = nullptr;
    bool endingAbandoned_ = false;
    std::filesystem::path workdir_;
    bool ownWorkdir_ = false;  // made here, removed at the end
    std::filesystem::path previousDir_;
    float frameSeconds_;
    int frame_ = 0;
    double clockMs_ = 0.0;
    std::vector<PhysicalInput> held_;
    std::vector<PhysicalInput> tapped_;
    std::map<std::string, std::FILE*> heldFiles_;
};

// The hook functions with the signatures the plug-in's HookFunctions take, forwarding to
// Game::current.
void gameScriptWait(uint32_t milliseconds);
uint32_t gameTickCount();
// hookNativeInit, with a violation recorded when an abandoned script calls it.
void gameNativeInit(uint64_t hash);

}  // namespace sim
