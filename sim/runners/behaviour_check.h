#pragma once
// What the plug-in must never do, checked after each pass of every run that sees its state: the
// soak, the hostile game and the game fuzzer. The check reads only the pass's native calls, the
// game's answers to them and the plug-in's state, so it holds whether the world behind the natives
// is the simulated one, a random generator or a tape.
//
// - The player is moved, seated or ordered out of a vehicle (SetEntityPosition, PlaceCharacterInSeat,
//   the leave orders) only by the entry (the leave-any order also by the search that starts it), or
//   in a cab pass in which the game reported the player using the ride's train. Pulling the player
//   back after the game took them elsewhere would undo a respawn, an arrest or a mission.
// - The ride is lost in a cab pass when the game's first answers of the pass say the train no longer
//   exists or the player is dead, or when it is the third cab pass in a row without the player using
//   the train. In that pass the cab draws nothing, sets no train speed and shakes no camera, and the
//   pass leaves the player on foot.
// - The game's own actions are held off (DISABLE_CONTROL_ACTION) only in a cab pass of an intact train
//   that has not lost its ride, never on foot, and never the game's enter or exit: the game needs those
//   to get the player into and out of any vehicle.
// - Mode, command, kind and follow state are in range, the plug-in's own quantities are numbers, and
//   the derailed-wagon list stays within its configured count.
// - The map's rules (sim/runners/map_rules.h): models loaded before a train is made, no train made in a
//   mission, and nothing held left behind when the ride is lost, in the cab, or when the script starts
//   again.

#include <cstdint>
#include <string>
#include <vector>

#include "host/script_state.h"
#include "sim/runners/map_rules.h"
#include "sim/world/hook.h"

namespace sim {

class BehaviourCheck {
public:
    // The world, when there is one, tells the map's rules the mission flag and the trains that exist.
    explicit BehaviourCheck(const World* world = nullptr) : map_(world) {}

    // After each pass: the calls it made, answered, and the state it left.
    void afterPass(int frame, const std::vector<NativeCall>& calls, const ScriptState& state);
    // The script started again (a game reload): its next pass starts from a fresh state.
    void scriptRestarted();

    const std::vector<std::string>& failures() const { return failures_; }  // the first ones
    size_t failureCount() const { return failureCount_; }
    // Cab passes that found the player gone, and rides lost: what a run's figures can show.
    int64_t passesOffTrain = 0;
    int64_t ridesLost = 0;

private:
    bool derailed_ = false;
    void fail(int frame, const std::string& text);
    void checkState(int frame, const ScriptState& state);

    MapRules map_;
    PlayerMode mode_ = OnFoot;
    EntityHandle train_ = 0;
    int32_t offPasses_ = 0;
    std::vector<std::string> failures_;
    size_t failureCount_ = 0;
};

}  // namespace sim
