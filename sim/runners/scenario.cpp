#include "sim/runners/scenario.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "sim/runners/map_rules.h"
#include "sim/runners/scenario_map.h"

namespace sim {

using nlohmann::json;

namespace {

Vector3 vec3(const json& j) {
    if (!j.is_array() || j.size() < 2) throw std::runtime_error("expected a point [x, y] or [x, y, z], got " + j.dump());
    return Vector3{j[0].get<float>(), j[1].get<float>(), j.size() > 2 ? j[2].get<float>() : 0.0f};
}

// The keys and buttons an event names: a game control id stands for its keyboard key, as the
// scenarios written before the pad say; a name is a key or button of the event's "device".
std::vector<PhysicalInput> inputs(const json& j, const json& event) {
    const std::string device = event.value("device", "keyboard");
    if (device != "keyboard" && device != "pad") throw std::runtime_error("unknown device '" + device + "'");
    std::vector<PhysicalInput> out;
    for (const json& c : j.is_array() ? j : json::array({j})) {
        if (c.is_number_integer()) {
            const PhysicalInput key = keyOf(c.get<int32_t>());
            if (key.name.empty()) throw std::runtime_error("no key or button fires control " + c.dump());
            out.push_back(key);
            continue;
        }
        const PhysicalInput input = inputNamed(device == "pad" ? Pad : Keyboard, c.get<std::string>());
        if (input.name.empty()) throw std::runtime_error("no " + device + " input is named " + c.dump());
        out.push_back(input);
    }
    return out;
}

std::string describeInput(const json& c, const PhysicalInput& input) {
    if (c.is_number_integer()) return "control " + c.dump();
    return input.name + (input.device == Pad ? " (pad)" : "");
}

std::string fmt(const char* format, double a = 0, double b = 0, double c = 0) {
    char buffer[200];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
}

// Names given in the file, resolved to the handles the world issued.
class Names {
public:
    std::map<std::string, EntityHandle> handles;
    std::map<std::string, int> tracks;

    EntityHandle entity(const World& world, const json& j) const {
        if (j.is_number_integer()) return j.get<EntityHandle>();
        const std::string name = j.get<std::string>();
        if (name == "player") return world.player;
        auto it = handles.find(name);
        if (it != handles.end()) return it->second;
        const EntityHandle found = world.findByName(name);
        if (found == 0) throw std::runtime_error("unknown entity '" + name + "'");
        return found;
    }
};

// A train as the set-up or an addTrain event gives it: {"id", "model", "carriages", "track", ...}.
EntityHandle addTrain(World& w, const json& t, Names& names) {
    const std::string id = t.value("id", "");
    int track = 0;
    if (t.contains("track")) {
        if (t["track"].is_number_integer()) {
            track = t["track"].get<int>();
        } else {
            auto it = names.tracks.find(t["track"].get<std::string>());
            if (it == names.tracks.end()) throw std::runtime_error("train '" + id + "': unknown track");
            track = it->second;
        }
    }
    if (w.tracks.empty()) throw std::runtime_error("train '" + id + "' needs a track");
    const EntityHandle h = w.addTrain(t.value("model", "freight"), t.value("carriages", 4), track,
                                      t.value("distance", 0.0f), t.value("speed", 0.0f),
                                      t.value("engineer", true), id,
                                      t.value("carriageModels", std::vector<std::string>{}),
                                      t.value("reversed", std::vector<int>{}), t.value("spacing", 18.0f));
    if (t.contains("cruise")) w.setTrainGoing(h, w.train(h)->speed, t["cruise"].get<float>());
    if (!id.empty()) names.handles[id] = h;
    return h;
}

void buildWorld(Game& game, const json& doc, Names& names) {
    World& w = game.world();
    w.groundZ = doc.value("ground", 0.0f);
    for (const json& t : doc.value("tracks", json::array())) {
        std::vector<Vector3> points;
        for (const json& p : t.at("points")) points.push_back(vec3(p));
        const int index = w.addTrack(points, t.value("loop", false));
        names.tracks[t.value("id", std::to_string(index))] = index;
    }
    setUpGameMap(w, doc, names.tracks);
    for (const json& t : doc.value("trains", json::array())) addTrain(w, t, names);
    for (const json& v : doc.value("vehicles", json::array())) {
        const std::string id = v.value("id", "");
        const EntityHandle h = w.addVehicle(v.value("model", "blista"), vec3(v.at("position")),
                                            v.value("heading", 0.0f), id);
        if (!id.empty()) names.handles[id] = h;
    }
    for (const json& c : doc.value("characters", json::array())) {
        const std::string id = c.value("id", "");
        const EntityHandle h = w.addCharacter(c.contains("position") ? vec3(c["position"]) : Vector3{}, id);
        if (!id.empty()) names.handles[id] = h;
        if (c.contains("seatIn")) w.seat(h, names.entity(w, c["seatIn"]), c.value("seat", 0));
    }
    for (const json& b : doc.value("barriers", json::array())) {
        const Vector3 from = vec3(b.at("from"));
        const Vector3 to = vec3(b.at("to"));
        w.addBarrier(Vec2{from.x, from.y}, Vec2{to.x, to.y});
    }
    if (doc.contains("player")) {
        const json& p = doc["player"];
        game.setPlayerPosition(vec3(p.at("position")), p.value("heading", 0.0f));
    }
    if (doc.contains("ini") && doc["ini"].is_string()) game.writeIni(doc["ini"].get<std::string>());
}

std::string applyEvent(Game& game, const json& e, Names& names) {
    World& w = game.world();
    std::string said;
    auto say = [&](const std::string& text) { said += (said.empty() ? "" : "; ") + text; };
    auto each = [&](const char* key, const char* verb, auto&& act) {
        if (!e.contains(key)) return;
        const json list = e[key].is_array() ? e[key] : json::array({e[key]});
        const std::vector<PhysicalInput> found = inputs(list, e);
        for (size_t i = 0; i < found.size(); ++i) {
            act(found[i]);
            say(std::string(verb) + " " + describeInput(list[i], found[i]));
        }
    };
    each("hold", "hold", [&](const PhysicalInput& i) { game.hold(i); });
    each("release", "release", [&](const PhysicalInput& i) { game.release(i); });
    each("tap", "tap", [&](const PhysicalInput& i) { game.tap(i); });
    each("press", "press", [&](const PhysicalInput& i) { game.tap(i); });
    if (e.contains("teleport")) {
        const Vector3 p = vec3(e["teleport"]);
        const EntityHandle who = e.contains("who") ? names.entity(w, e["who"]) : w.player;
        w.moveEntity(who, p);
        say("teleport " + w.describe(who) + fmt(" to (%.1f, %.1f, %.1f)", p.x, p.y, p.z));
    }
    if (e.contains("walkTo")) {
        const Vector3 p = vec3(e["walkTo"]);
        const EntityHandle who = e.contains("who") ? names.entity(w, e["who"]) : w.player;
        w.walk(who, p, e.value("speed", 1.4f));
        say(w.describe(who) + fmt(" walks to (%.1f, %.1f, %.1f)", p.x, p.y, p.z));
    }
    if (e.contains("kill")) {
        const EntityHandle who = names.entity(w, e["kill"]);
        w.kill(who);
        say("kill " + w.describe(who));
    }
    // The game's life around a ride; each names the player unless "who" says otherwise.
    for (const char* key : {"respawn", "arrest"}) {
        if (!e.contains(key)) continue;
        const EntityHandle who = e.contains("who") ? names.entity(w, e["who"]) : w.player;
        const Vector3 p = vec3(e[key]);
        say(std::string(key == std::string("arrest") ? "the police arrest " : "the game respawns ") + w.describe(who));
        w.respawn(who, p, key == std::string("arrest"));
    }
    if (e.contains("switchTo")) {
        const EntityHandle to = names.entity(w, e["switchTo"]);
        say("the player switches to " + w.describe(to));
        w.switchPlayer(to, e.value("blankFrames", 0));
    }
    if (e.contains("warp")) {
        const EntityHandle who = e.contains("who") ? names.entity(w, e["who"]) : w.player;
        say("a mission moves " + w.describe(who));
        w.warp(who, vec3(e["warp"]));
    }
    if (e.contains("seatIn")) {
        // The game seats a character itself, as a mission does.
        const EntityHandle who = e.contains("who") ? names.entity(w, e["who"]) : w.player;
        const EntityHandle v = names.entity(w, e["seatIn"]);
        say("the game seats " + w.describe(who) + " in " + w.describe(v));
        w.seat(who, v, e.value("seat", -1));
    }
    if (e.contains("deleteTrain")) {
        const EntityHandle h = names.entity(w, e["deleteTrain"]);
        say("the game deletes the train of " + w.describe(h));
        w.removeTrain(h);
    }
    if (e.contains("loadSave")) {
        say("a save is loaded");
        const std::map<EntityHandle, EntityHandle> renamed = game.loadSave(vec3(e["loadSave"]));
        for (auto& [name, handle] : names.handles) {
            auto it = renamed.find(handle);
            handle = it == renamed.end() ? 0 : it->second;
        }
    }
    if (e.contains("killEngineer")) {
        const Vehicle* v = w.vehicle(names.entity(w, e["killEngineer"]));
        if (v != nullptr && v->seats.count(-1) != 0) {
            const EntityHandle who = v->seats.at(-1);
            w.kill(who);
            say("kill engineer " + w.describe(who));
        } else {
            say("kill engineer: nobody in the driver's seat");
        }
    }
    if (e.contains("delete")) {
        const EntityHandle h = names.entity(w, e["delete"]);
        say("delete " + w.describe(h));
        if (w.vehicle(h) != nullptr) w.removeVehicle(h);
        else w.removeCharacter(h);
    }
    if (e.contains("removeAllTrains")) {
        say("the game removes every train");
        w.removeAllTrains();
    }
    if (e.contains("setTrainSpeed")) {
        const EntityHandle h = names.entity(w, e["setTrainSpeed"]);
        if (w.train(h) != nullptr) {
            const float speed = e.value("speed", 0.0f);
            w.setTrainGoing(h, speed, e.value("cruise", speed));
            say("train " + w.describe(h) + fmt(" set to %.2f m/s", speed));
        }
    }
    if (e.contains("writeIni")) {
        game.writeIni(e["writeIni"].get<std::string>());
        say("INI file written");
    }
    if (e.contains("deleteIni")) {
        game.deleteIni();
        say("INI file deleted");
    }
    if (e.contains("addTrain")) {
        say("the game adds the train " + w.describe(addTrain(w, e["addTrain"], names)));
    }
    if (e.value("restartScript", false)) {
        game.restartScripts();
        say("the game reloads: the script starts again");
    }
    if (e.contains("frameTime")) {
        game.setFrameTime(e["frameTime"].get<float>());
        say(fmt("frame time %.4f s", game.frameTime()));
    }
    if (const std::string map = applyMapEvent(w, e); !map.empty()) say(map);
    return said;
}

bool inRange(float value, const json& e) {
    return value >= e.value("min", -1e30f) && value <= e.value("max", 1e30f);
}

// Checks one expectation; returns an empty text when it holds.
std::string check(const Game& game, const json& e, const Names& names) {
    const World& w = game.world();
    const std::string at = "frame " + std::to_string(game.frame()) + ": ";
    if (e.contains("playerIn")) {
        const EntityHandle v = names.entity(w, e["playerIn"]);
        if (game.playerVehicle() != v)
            return at + "player expected in " + w.describe(v) + ", is in " +
                   (game.playerVehicle() == 0 ? std::string("no vehicle") : w.describe(game.playerVehicle()));
        if (e.contains("seat") && game.playerSeat() != e["seat"].get<int32_t>())
            return at + "player expected in seat " + std::to_string(e["seat"].get<int32_t>()) + ", is in seat " +
                   std::to_string(game.playerSeat());
    }
    if (e.value("playerOnFoot", false) && game.playerVehicle() != 0)
        return at + "player expected on foot, is in " + w.describe(game.playerVehicle());
    if (e.contains("playerEntering")) {
        const Character* p = w.character(w.player);
        const EntityHandle want = e["playerEntering"].is_null() ? 0 : names.entity(w, e["playerEntering"]);
        const EntityHandle has = p == nullptr ? 0 : p->entering;
        auto name = [&](EntityHandle h) { return h == 0 ? std::string("nothing") : w.describe(h); };
        if (has != want) return at + "player expected entering " + name(want) + " by the game's own entry, enters " + name(has);
    }
    if (e.contains("trainSpeed")) {
        const EntityHandle t = names.entity(w, e["trainSpeed"]);
        if (w.train(t) == nullptr) return at + "no train " + w.describe(t);
        const float s = game.trainSpeed(t);
        if (!inRange(s, e)) return at + "train " + w.describe(t) + fmt(" speed %.3f out of range", s);
    }
    if (e.contains("occupant")) {
        const Vehicle* v = w.vehicle(names.entity(w, e["occupant"]));
        const int32_t seat = e.value("seat", -1);
        const EntityHandle want = e.contains("is") && !e["is"].is_null() ? names.entity(w, e["is"]) : 0;
        EntityHandle has = 0;
        if (v != nullptr && v->seats.count(seat) != 0) has = v->seats.at(seat);
        if (has != want)
            return at + "seat " + std::to_string(seat) + " holds " + (has == 0 ? "nobody" : w.describe(has)) +
                   ", expected " + (want == 0 ? "nobody" : w.describe(want));
    }
    if (e.contains("exists")) {
        const bool want = e.value("value", true);
        const EntityHandle h = names.entity(w, e["exists"]);
        if (w.exists(h) != want) return at + w.describe(h) + (want ? " expected to exist" : " expected gone");
    }
    if (e.contains("door")) {
        const Vehicle* v = w.vehicle(names.entity(w, e["door"]));
        const int index = e.value("index", 0);
        if (v == nullptr || index < 0 || index > 3) return at + "no such door";
        if (!inRange(v->doors[index], e)) return at + fmt("door %d ratio %.3f out of range", index, v->doors[index]);
    }
    if (e.contains("explosions")) {
        const float n = static_cast<float>(w.explosions.size());
        if (!inRange(n, e["explosions"])) return at + fmt("%.0f explosions, out of range", n);
    }
    if (e.contains("horns")) {
        const float n = static_cast<float>(w.horns.size());
        if (!inRange(n, e["horns"])) return at + fmt("%.0f horns, out of range", n);
    }
    if (e.contains("trains")) {
        const float n = static_cast<float>(w.trains.size());
        if (!inRange(n, e["trains"])) return at + fmt("%.0f trains, out of range", n);
    }
    if (e.contains("iniExists") && game.readIni().has_value() != e["iniExists"].get<bool>())
        return at + (e["iniExists"].get<bool>() ? "INI file expected" : "INI file expected absent");
    if (e.contains("text")) {
        // Some text of this frame contains it (drawn with that alpha, when given).
        const std::string part = e["text"].get<std::string>();
        const bool want = e.value("shown", true);
        const bool found = std::any_of(game.texts().begin(), game.texts().end(), [&](const DrawnText& t) {
            return t.text.find(part) != std::string::npos &&
                   (!e.contains("alpha") || t.style.alpha == e["alpha"].get<int32_t>());
        });
        if (found != want) return at + "text '" + part + "'" + (e.contains("alpha") ? " with alpha " + e["alpha"].dump() : "") +
                                  (want ? " not drawn" : " drawn");
    }
    if (e.contains("trainCruise")) {
        const Train* t = w.train(names.entity(w, e["trainCruise"]));
        if (t == nullptr) return at + "no train for trainCruise";
        if (!inRange(t->cruise, e)) return at + "train " + w.describe(t->handle) + fmt(" cruise %.3f out of range", t->cruise);
    }
    if (e.contains("distance")) {
        const json& pair = e["distance"];
        if (!pair.is_array() || pair.size() != 2) return at + "distance needs two names";
        auto where = [&](const json& name) -> std::optional<Vector3> {
            const EntityHandle h = names.entity(w, name);
            if (const Vehicle* v = w.vehicle(h)) return v->position;
            if (const Character* c = w.character(h)) return c->position;
            return std::nullopt;
        };
        const auto a = where(pair[0]), b = where(pair[1]);
        if (!a || !b) return at + "distance: " + pair.dump() + " names something that is gone";
        const float d = std::hypot(a->x - b->x, a->y - b->y);
        if (!inRange(d, e)) return at + "distance " + pair.dump() + fmt(" %.1f m out of range", d);
    }
    if (e.contains("near")) {
        // The player (or "who") stands within `max` metres of the point, horizontally.
        const EntityHandle who = e.contains("who") ? names.entity(w, e["who"]) : w.player;
        const Character* c = w.character(who);
        const Vector3 p = vec3(e["near"]);
        if (c == nullptr) return at + w.describe(who) + " is no character";
        const float d = std::hypot(c->position.x - p.x, c->position.y - p.y);
        if (d > e.value("max", 1.0f))
            return at + w.describe(who) + fmt(" is %.1f m from (%.1f, %.1f)", d, p.x, p.y);
    }
    if (e.contains("rectangle")) {
        // Some rectangle of this frame at that height (and alpha, when given) with its width in range.
        const json& r = e["rectangle"];
        const float y = r.at("y").get<float>();
        const bool found = std::any_of(game.rectangles().begin(), game.rectangles().end(), [&](const DrawnRectangle& d) {
            return std::fabs(d.y - y) < 1e-4f && (!r.contains("alpha") || d.alpha == r["alpha"].get<int32_t>()) &&
                   inRange(d.width, e);
        });
        if (found != e.value("shown", true))
            return at + (found ? "unexpected rectangle " : "no rectangle ") + r.dump() + " with its width in range";
    }
    if (e.contains("radio") && w.radioEnabled != e["radio"].get<bool>())
        return at + "radio expected " + (e["radio"].get<bool>() ? "on" : "off");
    if (e.contains("highBeam")) {
        const Vehicle* v = w.vehicle(names.entity(w, e["highBeam"]));
        if (v == nullptr || v->highBeam != e.value("value", true)) return at + "high beam not as expected";
    }
    if (const std::string map = checkMap(w, e); !map.empty()) return at + map;
    return {};
}

}  // namespace

Scenario parseScenario(const std::string& text) {
    Scenario s;
    try {
        s.doc = json::parse(text);
    } catch (const json::exception& e) {
        throw std::runtime_error(std::string("scenario is not valid JSON: ") + e.what());
    }
    if (!s.doc.is_object()) throw std::runtime_error("scenario must be a JSON object");
    s.name = s.doc.value("name", "scenario");
    s.frames = s.doc.value("frames", 600);
    s.frameSeconds = s.doc.value("frameTime", 1.0f / 60.0f);
    if (s.frames < 0 || !std::isfinite(s.frameSeconds) || s.frameSeconds < 0.0f)
        throw std::runtime_error("scenario: frames and frameTime must not be negative");
    return s;
}

Scenario loadScenario(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open scenario " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return parseScenario(text.str());
}

namespace {

// The derailment risk as the player sees it: the one bar that is tinted, not white (full at 0.1 of
// the screen for a risk of 1 or more), or none when no such bar is drawn this frame.
std::optional<float> shownRisk(const Game& game) {
    for (const DrawnRectangle& r : game.rectangles())
        if (r.alpha == 255 && r.green == r.blue && r.green < 255 && std::isfinite(r.width))
            return r.width / 0.1f;
    return std::nullopt;
}

}  // namespace

ScenarioResult playScenario(Game& game, const Scenario& scenario, std::ostream* timeline,
                            const FrameObserver& afterFrame) {
    ScenarioResult result;
    Names names;
    const json& doc = scenario.doc;
    try {
        buildWorld(game, doc, names);
    } catch (const std::exception& e) {
        result.failures.push_back(std::string("set-up: ") + e.what());
        return result;
    }
    game.setFrameTime(scenario.frameSeconds);

    // A key the runner does not know (a misspelt check) would otherwise hold without checking anything.
    auto unknownKeys = [&](const json& e, std::initializer_list<const char*> known, const char* what,
                           std::initializer_list<const char*> mapKeys) {
        for (const auto& item : e.items()) {
            const std::string key = item.key();
            auto is = [&](const char* k) { return key == k; };
            if (std::none_of(known.begin(), known.end(), is) && std::none_of(mapKeys.begin(), mapKeys.end(), is))
                result.failures.push_back(std::string(what) + " " + e.dump() + ": unknown key '" + key + "'");
        }
    };
    std::multimap<int, json> events;
    for (const json& e : doc.value("events", json::array())) {
        unknownKeys(e,
                    {"frame", "hold", "release", "tap", "press", "device", "teleport", "who", "walkTo", "speed", "kill", "killEngineer",
                     "delete", "removeAllTrains", "setTrainSpeed", "cruise", "writeIni", "deleteIni", "addTrain",
                     "restartScript", "frameTime", "respawn", "arrest", "switchTo", "blankFrames", "warp", "seatIn",
                     "seat", "deleteTrain", "loadSave"},
                    "event", kMapEventKeys);
        events.emplace(e.value("frame", 1), e);
    }
    std::multimap<int, json> expectations;
    for (const json& e : doc.value("expect", json::array())) {
        unknownKeys(e,
                    {"frame", "playerIn", "seat", "playerOnFoot", "playerEntering", "trainSpeed", "min", "max",
                     "occupant", "is", "exists", "value", "door", "index", "explosions", "horns", "trains", "iniExists", "text",
                     "shown", "alpha", "trainCruise", "distance", "rectangle", "radio", "highBeam", "near", "who"},
                    "expectation", kMapExpectationKeys);
        expectations.emplace(e.value("frame", scenario.frames), e);
    }

    auto out = [&](const std::string& line) {
        if (timeline != nullptr) *timeline << line << '\n';
    };
    out("scenario " + scenario.name + ": " + std::to_string(scenario.frames) + " frames");
    World& w = game.world();
    size_t eventsShown = w.events.size();
    size_t violationsShown = 0;
    int lastSecond = 0;
    int riskTenth = 0;  // the tenth of the risk last told; a bar that goes away starts again at 0
    MapRules rules(&w);
    for (int f = 1; f <= scenario.frames; ++f) {
        const std::string stamp = fmt("[%5.0f %7.2fs] ", f, game.seconds());
        auto range = events.equal_range(f);
        for (auto it = range.first; it != range.second; ++it) {
            const json& event = it->second;
            if (event.value("restartScript", false) || event.contains("loadSave")) {
                rules.scriptRestarted();
            } else if (event.contains("respawn") || event.contains("arrest") || event.contains("switchTo") ||
                       event.contains("warp")) {
                rules.playerTakenAway(MapRules::kPassesAfterLifeEvent);
            }
            try {
                const std::string said = applyEvent(game, it->second, names);
                if (!said.empty()) out(stamp + "event: " + said);
            } catch (const std::exception& e) {
                result.failures.push_back("frame " + std::to_string(f) + " event: " + e.what());
            }
        }
        game.step();
        const std::string after = fmt("[%5.0f %7.2fs] ", f, game.seconds());
        const size_t ruleFailures = rules.failureCount();
        const Vehicle* ridden = w.vehicle(game.playerVehicle());
        rules.afterPass(f, game.calls(), ridden != nullptr && ridden->train != 0);
        for (size_t i = ruleFailures; i < rules.failures().size(); ++i) {
            out(after + "BEHAVIOUR " + rules.failures()[i]);
            result.failures.push_back("behaviour check: " + rules.failures()[i]);
        }
        for (; eventsShown < w.events.size(); ++eventsShown) out(after + w.events[eventsShown].text);
        for (; violationsShown < game.violations().size(); ++violationsShown) {
            out(after + "VIOLATION " + game.violations()[violationsShown]);
            result.failures.push_back("violation: " + game.violations()[violationsShown]);
        }
        // Each tenth the risk crosses is told once; on the way down half a tenth below it, so a risk
        // that hovers at a tenth does not fill the timeline.
        if (const std::optional<float> risk = shownRisk(game)) {
            const int tenth = std::min(10, static_cast<int>(std::floor(*risk * 10.0f + 1e-4f)));
            if (tenth > riskTenth || (tenth < riskTenth && *risk * 10.0f < static_cast<float>(riskTenth) - 0.5f)) {
                riskTenth = tenth;
                out(after + fmt(tenth >= 10 ? "derailment risk %.1f or more (the bar is full)" : "derailment risk %.1f",
                                tenth / 10.0));
            }
        } else {
            riskTenth = 0;
        }
        const int second = static_cast<int>(std::floor(game.seconds() + 1e-9));
        if (second > lastSecond) {
            lastSecond = second;
            for (const auto& [h, t] : w.trains)
                if (t.speed != 0.0f || h == game.playerVehicle())
                    out(after + "train " + w.describe(h) + fmt(" speed %.2f m/s (cruise %.2f)", t.speed, t.cruise));
        }
        auto checks = expectations.equal_range(f);
        for (auto it = checks.first; it != checks.second; ++it) {
            std::string failure;
            try {
                failure = check(game, it->second, names);
            } catch (const std::exception& e) {
                failure = "frame " + std::to_string(f) + " expectation: " + e.what();
            }
            if (failure.empty()) {
                out(after + "expectation holds: " + it->second.dump());
            } else {
                out(after + "EXPECTATION FAILED " + failure);
                result.failures.push_back(failure);
            }
        }
        if (afterFrame) afterFrame(game);
    }
    for (const auto& [f, e] : expectations)
        if (f > scenario.frames || f < 1) result.failures.push_back("expectation at frame " + std::to_string(f) + " never checked");
    out(result.passed() ? "result: passed" : "result: FAILED (" + std::to_string(result.failures.size()) + ")");
    return result;
}

}  // namespace sim
