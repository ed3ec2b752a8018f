#include "sim/runners/behaviour_check.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "config/settings.h"
#include "host/controls.h"
#include "host/game_controls.h"
#include "util/count.h"

namespace sim {

namespace {

constexpr size_t kCheckFailuresKept = 20;
constexpr int32_t kPassesToLoseRide = 3;

bool isOneOf(std::string_view op, std::initializer_list<std::string_view> ops) {
    return std::find(ops.begin(), ops.end(), op) != ops.end();
}

int32_t firstArgument(const NativeCall& call) { return call.args.empty() ? 0 : call.args[0].i; }

}  // namespace

void BehaviourCheck::fail(int frame, const std::string& text) {
    ++failureCount_;
    if (failures_.size() < kCheckFailuresKept) failures_.push_back("frame " + std::to_string(frame) + ": " + text);
}

void BehaviourCheck::scriptRestarted() {
    map_.scriptRestarted();
    mode_ = OnFoot;
    derailed_ = false;
    train_ = 0;
    offPasses_ = 0;
}

void BehaviourCheck::afterPass(int frame, const std::vector<NativeCall>& calls, const ScriptState& state) {
    const bool inCab = mode_ == InCab;
    // The ride as the game reported it: the first answer of the pass to each question, which is what
    // the plug-in decides on at the start of a cab pass.
    std::vector<int32_t> players;
    std::optional<int32_t> player;
    std::optional<bool> exists, dead, rides;
    // The player's hands as the game reported them in the pass.
    bool controlOff = false, phoneUp = false;
    InputDevice device = Keyboard;
    for (const NativeCall& call : calls) {
        if (call.op == "IsPlayerControlOn") controlOff = controlOff || call.answerInt() == 0;
        if (call.op == "IsCharacterUsingPhone") phoneUp = phoneUp || call.answerInt() != 0;
        if (call.op == "IsUsingKeyboardAndMouse") device = call.answerInt() != 0 ? Keyboard : Pad;
        if (call.op == "GetPlayerCharacter") {
            if (!player) player = call.answerInt();
            if (call.answerInt() != 0) players.push_back(call.answerInt());
        } else if (inCab && call.op == "EntityExists" && firstArgument(call) == train_ && !exists) {
            exists = call.answerInt() != 0;
        } else if (inCab && call.op == "IsEntityDead" && player && *player != 0 && firstArgument(call) == *player &&
                   !dead) {
            dead = call.answerInt() != 0;
        } else if (inCab && call.op == "GetVehicleCharacterIsUsing" && player && *player != 0 &&
                   firstArgument(call) == *player && !rides) {
            rides = call.answerInt() == train_;
        }
    }
    const bool riding = inCab && rides.value_or(false);
    const int32_t offPasses = inCab && !riding ? offPasses_ + 1 : 0;
    const bool lost = inCab && ((exists && !*exists) || dead.value_or(false) || offPasses >= kPassesToLoseRide);
    if (inCab && !riding) ++passesOffTrain;
    if (lost) ++ridesLost;

    for (const NativeCall& call : calls) {
        const bool onPlayer = std::find(players.begin(), players.end(), firstArgument(call)) != players.end();
        if (onPlayer && isOneOf(call.op, {"SetEntityPosition", "PlaceCharacterInSeat", "OrderLeaveVehicle",
                                          "OrderLeaveAnyVehicle"})) {
            const bool allowed = mode_ == Entering || (mode_ == OnFoot && call.op == "OrderLeaveAnyVehicle") ||
                                 (riding && !lost);
            if (!allowed)
                fail(frame, std::string(call.op) + " on the player " + std::to_string(firstArgument(call)) +
                                (inCab ? " in a cab pass without the player on the train" : " outside the entry"));
        }
        if (call.op == "DisableControl") {
            const int32_t control = call.args.size() > 1 ? call.args[1].i : -1;
            if (!inCab || lost || derailed_ || control == control::enter || control == control::exit)
                fail(frame, "the game's control " + std::to_string(control) + " held off " +
                                (!inCab ? "outside the cab" : lost ? "as the ride was lost" : derailed_ ? "in a derailed cab" : "though the game needs it"));
            if (controlOff) fail(frame, "the game's control " + std::to_string(control) + " held off while the game has the player's control");
            if (phoneUp && onPhoneButton(control, device))
                fail(frame, "the game's control " + std::to_string(control) + " held off on a button of the phone while it is up");
        }
        if (lost && isOneOf(call.op, {"SetTrainCurrentSpeed", "StartCameraShake", "SetCameraShakeAmplitude",
                                      "DrawRectangle", "EndTextCommandDraw"}))
            fail(frame, std::string(call.op) + " in the cab after the ride was lost");
    }
    if (lost && state.mode == InCab) fail(frame, "the cab mode goes on after the ride was lost");

    // What the plug-in held when the ride was lost goes in this pass or the next.
    if (lost) map_.playerTakenAway(2);
    const size_t mapFailures = map_.failureCount();
    map_.afterPass(frame, calls, inCab && state.mode == InCab);
    for (size_t i = mapFailures; i < map_.failureCount(); ++i) {
        ++failureCount_;
        if (i < map_.failures().size() && failures_.size() < kCheckFailuresKept) failures_.push_back(map_.failures()[i]);
    }

    checkState(frame, state);
    mode_ = state.mode;
    train_ = state.train;
    derailed_ = state.derailed;
    offPasses_ = state.mode == InCab && !lost && inCab ? offPasses : 0;
}

// Left out of the quantities: what the plug-in keeps of the game's last report to compare the next
// one with (previousForwardX/Y, each wagon's lastPosition and lastSpeed): a broken report stays what
// the game said, and the comparisons are written to treat a NaN as no change.
void BehaviourCheck::checkState(int frame, const ScriptState& s) {
    if (s.mode != OnFoot && s.mode != Entering && s.mode != InCab) fail(frame, "mode " + std::to_string(s.mode));
    if (s.engineerCommand < KeepSpeed || s.engineerCommand > Follow)
        fail(frame, "engineer command " + std::to_string(s.engineerCommand));
    if (s.kind != Freight && s.kind != Tram) fail(frame, "kind " + std::to_string(s.kind));
    if (s.followState < Idle || s.followState > Braking) fail(frame, "follow state " + std::to_string(s.followState));
    const std::pair<const char*, float> quantities[] = {
        {"speed", s.speed},
        {"enterHoldTime", s.enterHoldTime},
        {"seatChangeCooldown", s.seatChangeCooldown},
        {"hornKeyTimer", s.hornKeyTimer},
        {"doorRatio", s.doorRatio},
        {"derailmentRisk", s.derailmentRisk},
        {"derailmentRiskTime", s.derailmentRiskTime},
        {"shownSpeed", s.shownSpeed},
        {"engineerSpeed", s.engineerSpeed},
        {"menuTime", s.menuTime},
        {"wagonCheckTime", s.wagonCheckTime},
    };
    for (const auto& [name, value] : quantities)
        if (!std::isfinite(value)) fail(frame, std::string(name) + " is " + std::to_string(value));
    const int32_t limit = gSettings.derailedWagonsMaxCount;
    if (s.derailedWagons.size() > countOrZero(limit))
        fail(frame, std::to_string(s.derailedWagons.size()) + " derailed wagons kept, limit " + std::to_string(limit));
}

}  // namespace sim
