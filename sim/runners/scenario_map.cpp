#include "sim/runners/scenario_map.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace sim {

using nlohmann::json;

namespace {

bool withinRange(float value, const json& range) {
    return value >= range.value("min", -1e30f) && value <= range.value("max", 1e30f);
}

std::string count(const char* what, size_t n, const json& range) {
    if (withinRange(static_cast<float>(n), range)) return {};
    return std::to_string(n) + " " + what + ", expected " + range.dump();
}

}  // namespace

void setUpGameMap(World& w, const json& doc, std::map<std::string, int>& tracks) {
    if (!doc.contains("gameMap")) return;
    const json& g = doc["gameMap"];
    if (g.is_boolean() && !g.get<bool>()) return;
    static const json none = json::object();
    const json& options = g.is_object() ? g : none;
    for (const auto& item : options.items()) {
        static const char* const known[] = {"tracks", "randomTrains", "freightEvery", "firstFreightAfter", "newerGame",
                                            "directionAlongNodes", "missionTrainDriver", "modelLoadFrames", "variations"};
        if (std::none_of(std::begin(known), std::end(known), [&](const char* k) { return item.key() == k; }))
            throw std::runtime_error("gameMap: unknown option '" + item.key() + "'");
    }
    w.models.setNewerGame(options.value("newerGame", true));
    w.variations = defaultTrainVariations(w.models.newerGame());
    w.models.loadFrames = std::max(0, options.value("modelLoadFrames", 3));
    w.directionAlongNodes = options.value("directionAlongNodes", true);
    w.missionTrainDriver = options.value("missionTrainDriver", false);
    const json& variations = options.contains("variations") ? options["variations"] : none;
    for (const auto& item : variations.items()) {
        TrainVariation v{std::stoi(item.key()), item.value().get<std::vector<std::string>>()};
        if (v.models.empty()) throw std::runtime_error("gameMap: variation " + item.key() + " has no models");
        auto same = std::find_if(w.variations.begin(), w.variations.end(), [&](const TrainVariation& o) { return o.number == v.number; });
        if (same != w.variations.end()) *same = v;
        else w.variations.push_back(v);
    }
    if (options.value("tracks", true)) {
        w.addGameTracks();
        for (int k = 0; k < kGameTrackCount; ++k) tracks["game" + std::to_string(k)] = w.gameTrackIndex(k);
    }
    w.gameTrains.on = options.value("randomTrains", true) && w.gameTrackIndex(kMainLine) >= 0;
    w.gameTrains.freightEvery = options.value("freightEvery", 120.0f);
    if (!(w.gameTrains.freightEvery > 0.0f)) throw std::runtime_error("gameMap: freightEvery must be positive");
    w.gameTrains.sinceFreight = w.gameTrains.freightEvery - options.value("firstFreightAfter", w.gameTrains.freightEvery);
}

std::string applyMapEvent(World& w, const json& e) {
    if (!e.contains("missionFlag")) return {};
    const bool on = e["missionFlag"].get<bool>();
    w.setMissionFlag(on);
    return on ? "a story mission starts (the mission flag on)" : "the story mission ends (the mission flag off)";
}

std::string checkMap(const World& w, const json& e) {
    std::string failure;
    auto failed = [&](const std::string& text) {
        if (failure.empty()) failure = text;
    };
    std::vector<const Train*> mission;
    for (const auto& [h, t] : w.trains)
        if (t.mission) mission.push_back(&t);
    if (e.contains("missionTrains")) failed(count("mission trains", mission.size(), e["missionTrains"]));
    if (e.contains("missionTrainTrack")) {
        const int want = e["missionTrainTrack"].get<int>();
        if (mission.empty()) failed("no mission train, expected one on the game's track " + std::to_string(want));
        for (const Train* t : mission) {
            const int on = w.tracks[static_cast<size_t>(t->track)].gameTrack;
            if (on != want)
                failed("mission train " + w.describe(t->handle) + " on " +
                       (on >= 0 ? "the game's track " + std::to_string(on) : "a scenario's track") +
                       ", expected the game's track " + std::to_string(want));
        }
    }
    const auto& blips = w.blips.all();
    if (e.contains("blips")) failed(count("blips", blips.size(), e["blips"]));
    if (e.contains("blipRoute")) {
        const bool want = e["blipRoute"].get<bool>();
        const bool any = std::any_of(blips.begin(), blips.end(), [](const auto& b) { return b.second.route; });
        if (any != want) failed(want ? "no blip shows its route" : "a blip shows its route");
    }
    if (e.contains("blipSprite")) {
        const int32_t want = e["blipSprite"].get<int32_t>();
        for (const auto& [h, b] : blips)
            if (b.sprite != want) failed("blip " + std::to_string(h) + " has sprite " + std::to_string(b.sprite));
    }
    if (e.contains("blipOn")) {
        const std::string name = e["blipOn"].get<std::string>();
        const EntityHandle entity = w.findByName(name);
        if (std::none_of(blips.begin(), blips.end(), [&](const auto& b) { return b.second.entity == entity && !b.second.entityGone; }))
            failed("no blip on " + name);
    }
    if (e.contains("modelsHeld")) failed(count("models held", w.models.held().size(), e["modelsHeld"]));
    return failure;
}

}  // namespace sim
