#include "sim/runners/map_rules.h"

#include <algorithm>

#include "sim/world/game_map.h"

namespace sim {

namespace {

constexpr size_t kMapFailuresKept = 20;

std::string hexHash(uint32_t model) { return hex(model).substr(10); }

}  // namespace

void MapRules::fail(int frame, const std::string& text) {
    ++failureCount_;
    if (failures_.size() < kMapFailuresKept) failures_.push_back("frame " + std::to_string(frame) + ": " + text);
}

bool MapRules::trainExists(EntityHandle train) const { return world_ == nullptr || world_->train(train) != nullptr; }

bool MapRules::characterExists(EntityHandle character) const {
    return world_ == nullptr || world_->character(character) != nullptr;
}

size_t MapRules::missionTrainsHeld() const {
    return static_cast<size_t>(std::count_if(trains_.begin(), trains_.end(), [&](EntityHandle t) { return trainExists(t); }));
}

void MapRules::playerTakenAway(int passes) {
    Deadline d{passes, {}, {}, blips_, requested_};
    for (EntityHandle t : trains_)
        if (trainExists(t)) d.trains.insert(t);
    for (EntityHandle c : characters_)
        if (characterExists(c)) d.characters.insert(c);
    if (!d.trains.empty() || !d.characters.empty() || !d.blips.empty() || !d.models.empty())
        deadlines_.push_back(std::move(d));
}

void MapRules::checkCreation(int frame, const NativeCall& call) {
    const bool missionOn = world_ != nullptr ? world_->missionFlag : missionAnswer_;
    if (missionOn) fail(frame, "CreateMissionTrain while the mission flag is on");
    const int32_t number = call.args.empty() ? 0 : call.args[0].i;
    const TrainVariation* variation = nullptr;
    const std::vector<TrainVariation> fallback = defaultTrainVariations(true);
    if (world_ != nullptr) {
        variation = world_->variation(number);
    } else {
        for (const TrainVariation& v : fallback)
            if (v.number == number) variation = &v;
    }
    if (variation == nullptr) return;
    for (const std::string& name : variation->models)
        checkModelLoaded(frame, "CreateMissionTrain of variation " + std::to_string(number), name, hashName(name.c_str()));
}

void MapRules::checkModelLoaded(int frame, const std::string& what, const std::string& name, uint32_t model) {
    if (requested_.count(model) == 0 || seenLoaded_.count(model) == 0)
        fail(frame, what + " with " + name + " (" + hexHash(model) + ") " +
                        (requested_.count(model) == 0 ? "not requested" : "not reported loaded"));
}

void MapRules::afterPass(int frame, const std::vector<NativeCall>& calls, bool inCab) {
    for (const NativeCall& call : calls) {
        const uint32_t model = call.args.empty() ? 0u : static_cast<uint32_t>(call.args[0].i);
        if (call.op == "RequestModel") {
            requested_.insert(model);
        } else if (call.op == "IsModelLoaded") {
            if (call.answerInt() != 0 && requested_.count(model) != 0) seenLoaded_.insert(model);
        } else if (call.op == "ReleaseModel") {
            requested_.erase(model);
            seenLoaded_.erase(model);
        } else if (call.op == "IsMissionRunning") {
            missionAnswer_ = call.answerInt() != 0;
        } else if (call.op == "CreateMissionTrain") {
            checkCreation(frame, call);
            if (call.answerInt() != 0) trains_.insert(call.answerInt());
        } else if (call.op == "CreateCharacterInVehicle") {
            const uint32_t ped = call.args.size() > 2 ? static_cast<uint32_t>(call.args[2].i) : 0u;
            checkModelLoaded(frame, "CreateCharacterInVehicle", "its model", ped);
            if (call.answerInt() != 0) characters_.insert(call.answerInt());
        } else if (call.op == "ReleaseCharacter") {
            characters_.erase(call.handleArgument);
        } else if (call.op == "ReleaseMissionTrain" || call.op == "DeleteMissionTrain") {
            trains_.erase(call.handleArgument);
        } else if (call.op == "RemoveAllTrains") {
            trains_.clear();
        } else if (call.op == "AddBlipForEntity") {
            if (call.answerInt() != 0) blips_.insert(call.answerInt());
        } else if (call.op == "RemoveBlip") {
            blips_.erase(call.handleArgument);
        }
    }
    cabPasses_ = inCab ? cabPasses_ + 1 : 0;
    if (cabPasses_ >= 2 && !blips_.empty())
        fail(frame, std::to_string(blips_.size()) + " blip(s) kept while the player drives");

    for (Deadline& d : deadlines_) {
        if (--d.passesLeft > 0) continue;
        for (EntityHandle t : d.trains)
            if (trains_.count(t) != 0 && trainExists(t)) fail(frame, "mission train " + std::to_string(t) + " left behind");
        for (EntityHandle c : d.characters)
            if (characters_.count(c) != 0 && characterExists(c))
                fail(frame, "character " + std::to_string(c) + " left behind");
        for (BlipHandle b : d.blips)
            if (blips_.count(b) != 0) fail(frame, "blip " + std::to_string(b) + " left behind");
        for (uint32_t m : d.models)
            if (requested_.count(m) != 0) fail(frame, "model " + hexHash(m) + " left requested");
    }
    deadlines_.erase(std::remove_if(deadlines_.begin(), deadlines_.end(), [](const Deadline& d) { return d.passesLeft <= 0; }),
                     deadlines_.end());
}

}  // namespace sim
