#pragma once
// What the plug-in must never do with the game's map: the behaviour check's rules for models, mission
// trains and blips, from a run's native calls and the game's answers alone (BehaviourCheck applies them
// in the soak, the hostile game and the fuzzer; every scenario run applies them too).
//
// - A train is created (CREATE_MISSION_TRAIN) only when every model of its variation was requested,
//   not let go since, and reported loaded by HAS_MODEL_LOADED after the request; a character
//   (CREATE_PED_INSIDE_VEHICLE) likewise when its model was.
// - No train is created while the mission flag is on: the world's flag where there is a world, else the
//   game's last answer to GET_MISSION_FLAG.
// - What the plug-in holds (mission trains it made and has not let go or deleted, characters it made
//   and has not let go that the game still has, blips it added and has not removed, models it
//   requested and has not let go) is let go:
//   - in the pass after a ride ends because the game took the player away, or within
//     kPassesAfterLifeEvent passes of such an event of a scenario (death, arrest, a switch, a warp, a
//     save loaded), whatever it held when it happened;
//   - in the first pass of a script started again, whatever the abandoned run held: its handles
//     must outlive the run that made them;
//   - and no blip is held through a second pass in the cab.
// A mission train the game deleted (DELETE_ALL_TRAINS, a mission) is no longer held.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "sim/world/hook.h"

namespace sim {

class MapRules {
public:
    static constexpr int kPassesAfterLifeEvent = 10;

    // The world, when there is one, tells the mission flag and which trains still exist.
    explicit MapRules(const World* world = nullptr) : world_(world) {}

    void afterPass(int frame, const std::vector<NativeCall>& calls, bool inCab = false);
    // The game took the player away: what is held now must be let go within `passes` passes.
    void playerTakenAway(int passes);
    // The script starts again: what the old run held must be let go in the new run's first pass.
    void scriptRestarted() { playerTakenAway(1); }

    const std::vector<std::string>& failures() const { return failures_; }
    size_t failureCount() const { return failureCount_; }

    // Held now, for tests and the run's figures.
    size_t missionTrainsHeld() const;
    size_t blipsHeld() const { return blips_.size(); }
    size_t modelsHeld() const { return requested_.size(); }

private:
    struct Deadline {
        int passesLeft;
        std::set<EntityHandle> trains;
        std::set<EntityHandle> characters;
        std::set<BlipHandle> blips;
        std::set<uint32_t> models;
    };
    const World* world_;
    std::set<uint32_t> requested_;
    std::set<uint32_t> seenLoaded_;
    std::set<EntityHandle> trains_;
    std::set<EntityHandle> characters_;
    std::set<BlipHandle> blips_;
    bool missionAnswer_ = false;
    int cabPasses_ = 0;
    std::vector<Deadline> deadlines_;
    std::vector<std::string> failures_;
    size_t failureCount_ = 0;

    void fail(int frame, const std::string& text);
    bool trainExists(EntityHandle train) const;
    bool characterExists(EntityHandle character) const;
    void checkCreation(int frame, const NativeCall& call);
    void checkModelLoaded(int frame, const std::string& what, const std::string& name, uint32_t model);
};

}  // namespace sim
