#include "tools/playground/core/ride.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdio>
#include <utility>

#include "config/settings.h"
#include "host/controls.h"
#include "host/game_controls.h"
#include "tools/playground/core/page_contract.h"
#include "tools/playground/core/player_text.h"

namespace playground {

namespace {

using nlohmann::json;

constexpr float kRunSpeed = 6.0f;  // m/s: the player runs, the loops are large
constexpr float kWallMargin = 15.0f;
// After a derailment the game has no trains left; it brings them back once the player is on foot.
constexpr int kRespawnFrames = 5 * 60;

struct Loop {
    float x, y, width, height, tightRadius, gentleRadius;
};
// Side by side, 30 m apart: the tram's right-hand side runs beside the freight line's left.
constexpr Loop kFreightLoop{0.0f, 0.0f, 420.0f, 700.0f, 60.0f, 160.0f};
constexpr Loop kTramLoop{-230.0f, 0.0f, 200.0f, 500.0f, 30.0f, 80.0f};

// Clockwise: up the left side, the two tight bends at the top, down the right side, the two
// gentle ones at the bottom; arcs sampled about every metre.
std::vector<Vector3> loopTrack(const Loop& l) {
    std::vector<Vector3> points;
    auto arc = [&](float cx, float cy, float r, float fromDegrees, float toDegrees) {
        const int steps = std::max(24, static_cast<int>(std::ceil(r * std::numbers::pi / 2.0)));
        for (int i = 0; i <= steps; ++i) {
            const double a = (fromDegrees + (toDegrees - fromDegrees) * i / steps) * std::numbers::pi / 180.0;
            points.push_back(Vector3{static_cast<float>(cx + r * std::cos(a)), static_cast<float>(cy + r * std::sin(a)), 0.0f});
        }
    };
    arc(l.x + l.tightRadius, l.y + l.height - l.tightRadius, l.tightRadius, 180.0f, 90.0f);
    arc(l.x + l.width - l.tightRadius, l.y + l.height - l.tightRadius, l.tightRadius, 90.0f, 0.0f);
    arc(l.x + l.width - l.gentleRadius, l.y + l.gentleRadius, l.gentleRadius, 0.0f, -90.0f);
    arc(l.x + l.gentleRadius, l.y + l.gentleRadius, l.gentleRadius, -90.0f, -180.0f);
    return points;
}

void addWalls(sim::World& world, const Loop& l) {
    const float m = kWallMargin;
    const sim::Vec2 outer[4] = {{l.x - m, l.y - m}, {l.x + l.width + m, l.y - m}, {l.x + l.width + m, l.y + l.height + m},
                                {l.x - m, l.y + l.height + m}};
    const sim::Vec2 inner[4] = {{l.x + m, l.y + m}, {l.x + l.width - m, l.y + m}, {l.x + l.width - m, l.y + l.height - m},
                                {l.x + m, l.y + l.height - m}};
    for (int i = 0; i < 4; ++i) {
        world.addBarrier(outer[i], outer[(i + 1) % 4]);
        world.addBarrier(inner[i], inner[(i + 1) % 4]);
    }
}

// Distance along the track of its point nearest to (x, y).
float distanceNear(const sim::Track& track, float x, float y) {
    float best = 0.0f;
    float bestGap = INFINITY;
    for (size_t i = 0; i + 1 < track.points.size(); ++i) {
        const Vector3& a = track.points[i];
        const Vector3& b = track.points[i + 1];
        const float dx = b.x - a.x, dy = b.y - a.y;
        const float span = dx * dx + dy * dy;
        const float u = span > 0.0f ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / span, 0.0f, 1.0f) : 0.0f;
        const float gap = std::hypot(a.x + u * dx - x, a.y + u * dy - y);
        if (gap < bestGap) {
            bestGap = gap;
            best = track.lengths[i] + u * (track.lengths[i + 1] - track.lengths[i]);
        }
    }
    return best;
}

float headingOf(const sim::World& world, EntityHandle handle) {
    const Vector3 f = world.forward(handle);
    return sim::headingFromForward(f.x, f.y);
}

}  // namespace

Ride::Ride(const std::string& ini) : session_(ini) {
    sim::World& world = session_.world();
    world.addTrack(loopTrack(kFreightLoop), true);
    world.addTrack(loopTrack(kTramLoop), true);
    addWalls(world, kFreightLoop);
    addWalls(world, kTramLoop);
    placeTrains();
    world.moveEntity(world.player, Vector3{-14.0f, 330.0f, 0.0f});
}

void Ride::placeTrains() {
    sim::World& world = session_.world();
    // Both at a standstill beside the player: the locomotive heading north on the freight line's
    // left side, the tram heading south on its line's right side.
    world.addTrain("freight", 5, 0, distanceNear(world.tracks[0], kFreightLoop.x, 340.0f), 0.0f, true);
    world.addTrain("metrotrain", 2, 1, distanceNear(world.tracks[1], kTramLoop.x + kTramLoop.width, 320.0f), 0.0f, false);
}

Ride::Seen Ride::seen() const {
    const sim::World& world = session_.world();
    const ScriptState& s = session_.state();
    Seen seen;
    seen.mode = s.mode;
    seen.derailed = s.derailed;
    seen.speed = s.speed;
    if (const sim::Character* player = world.character(world.player)) {
        seen.vehicle = player->vehicle;
        seen.seat = player->seat;
    }
    seen.explosions = world.explosions.size();
    for (const auto& [handle, v] : world.vehicles) seen.wrecks += v.wrecked ? 1 : 0;
    seen.horns = world.horns.size();
    seen.lightsOn = s.lightsOn;
    seen.doorDirection = s.doorDirection;
    seen.radio = world.radioEnabled;
    seen.command = s.engineerCommand;
    seen.menuTime = s.menuTime;
    seen.engineerTrain = s.engineerTrain;
    seen.trains = world.trains.size();
    return seen;
}

void Ride::say(std::string text, bool hint) { said_.push_back(json{{"text", std::move(text)}, {"hint", hint}}); }

namespace {

template <typename T>
bool has(const std::vector<T>& list, const T& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The cab's actions these inputs fire: an input fires every control its binding gives it, and an
// action reads its control on the device of the input, as bound in the settings the plug-in loaded.
std::array<bool, cabActionCount> actionsOn(const std::vector<sim::PhysicalInput>& inputs) {
    std::array<bool, cabActionCount> on{};
    for (const sim::PhysicalInput& input : inputs) {
        const std::vector<int32_t>& controls = sim::controlsOn(input);
        for (int32_t a = 0; a < cabActionCount; ++a) {
            const int32_t bound = gSettings.cabBindings[input.device][a].control;
            on[a] = on[a] || (bound != noControl && has(controls, bound));
        }
    }
    return on;
}

}  // namespace

void Ride::step(const std::vector<sim::PhysicalInput>& held, float frameSeconds, float walkX, float walkY) {
    sim::World& world = session_.world();
    const Seen before = seen();
    std::vector<sim::PhysicalInput> pressed;
    std::vector<sim::PhysicalInput> released;
    for (const sim::PhysicalInput& input : held)
        if (!has(previousHeld_, input)) pressed.push_back(input);
    for (const sim::PhysicalInput& input : previousHeld_)
        if (!has(held, input)) released.push_back(input);
    sim::Character* player = world.character(world.player);
    const float length = std::hypot(walkX, walkY);
    if (player != nullptr && player->vehicle == 0 && length > 0.0f && std::isfinite(length) &&
        session_.state().mode != InCab) {
        const float scale = std::min(1.0f, 1.0f / length) * kRunSpeed * frameSeconds;
        world.moveEntity(world.player, Vector3{player->position.x + walkX * scale, player->position.y + walkY * scale,
                                               player->position.z});
        player->heading = sim::headingFromForward(walkX, walkY);
    }
    session_.setHeld(held);
    session_.step(frameSeconds);

    trainlessFrames_ = world.trains.empty() && session_.state().mode == OnFoot ? trainlessFrames_ + 1 : 0;
    if (trainlessFrames_ >= kRespawnFrames) {
        trainlessFrames_ = 0;
        placeTrains();
    }
    narrate(before, seen(), actionsOn(pressed), actionsOn(released), actionsOn(held), frameSeconds);
    previousHeld_ = held;
}

void Ride::play(const Hands& hands, int frames, float frameSeconds, float walkX, float walkY) {
    for (int n = 0; n < frames; ++n) {
        if (n == 0 && !hands.tapped.empty()) {
            std::vector<sim::PhysicalInput> first = hands.tapped;
            first.insert(first.end(), hands.held.begin(), hands.held.end());
            step(first, frameSeconds, walkX, walkY);
        } else {
            step(hands.held, frameSeconds, walkX, walkY);
        }
    }
}

Hands handsFrom(std::string_view text) {
    Hands hands;
    const json message = json::parse(text, nullptr, false);
    if (!message.is_object()) return hands;
    for (const auto& [field, list] : {std::pair{"held", &hands.held}, std::pair{"tapped", &hands.tapped}}) {
        const auto entries = message.find(field);
        if (entries == message.end() || !entries->is_array()) continue;
        for (const json& entry : *entries) {
            if (!entry.is_array() || entry.size() != 2 || !entry[0].is_string() || !entry[1].is_string()) continue;
            const std::string& device = entry[0].get_ref<const std::string&>();
            for (const InputDevice d : {Keyboard, Pad}) {
                if (device != kPageDevices[d]) continue;
                sim::PhysicalInput input = sim::inputNamed(d, entry[1].get_ref<const std::string&>());
                if (!input.name.empty() && !has(*list, input)) list->push_back(std::move(input));
            }
        }
    }
    return hands;
}

namespace {

std::string percent(float share) {
    char text[16];
    std::snprintf(text, sizeof text, "%.0f %%", std::clamp(static_cast<double>(share), 0.0, 1.0) * 100.0);
    return text;
}

}  // namespace

void Ride::writeIni(const std::string& ini) { session_.writeIni(ini); }

json Ride::layout() const {
    const sim::World& world = session_.world();
    json tracks = json::array();
    for (const sim::Track& t : world.tracks) {
        json points = json::array();
        for (const Vector3& p : t.points) points.push_back({p.x, p.y});
        tracks.push_back(std::move(points));
    }
    json barriers = json::array();
    for (const sim::Barrier& b : world.barriers) barriers.push_back({b.from.x, b.from.y, b.to.x, b.to.y});
    return json{{"tracks", std::move(tracks)}, {"barriers", std::move(barriers)}};
}

json Ride::frame() {
    const sim::World& world = session_.world();
    json events = std::exchange(said_, json::array());
    const ScriptState& s = session_.state();
    // The plug-in's displays, named as a player would, with what they show now.
    json hud = json::array();
    const std::string edge = gSettings.displaysPosition == 0 ? "top" : "bottom";
    if (s.mode == Entering)
        hud.push_back("Bar in the middle: how long you have held " + keysOf(CabAction::Enter) + ", " +
                      percent(gSettings.enterDelay > 0.0f ? s.enterHoldTime / gSettings.enterDelay : 1.0f));
    // Once derailed the plug-in draws nothing more in the cab.
    if (s.mode == InCab && !s.derailed) {
        if (gSettings.displaySpeed) hud.push_back("Text at the " + edge + ": your speed in mph and km/h");
        if (gSettings.displayDerailment)
            hud.push_back("Red bar at the " + edge + ": derailment risk, " + percent(s.derailmentRisk) +
                          " (full for 0.3 s: the train derails)");
        if (gSettings.displayDoors && s.kind == Tram)
            hud.push_back("White bar below the text: the doors, full when closed, empty when open");
    }
    if (s.mode == OnFoot && s.engineerTrain != 0 && s.engineerCommand == Follow && gSettings.displayTrainDistance)
        hud.push_back("White bar at the " + edge + ": how far the engineer's train is (full at 250 m, where he gives up)");
    const sim::Character* player = world.character(world.player);
    json vehicles = json::array();
    for (const auto& [handle, v] : world.vehicles) {
        vehicles.push_back({{"handle", handle},
                            {"x", v.position.x},
                            {"y", v.position.y},
                            {"heading", headingOf(world, handle)},
                            {"model", v.modelName},
                            {"lead", v.train == handle},
                            {"loose", v.train == 0},
                            {"wrecked", v.wrecked}});
    }
    json explosions = json::array();
    constexpr int kShownFrames = 90;
    for (const sim::Explosion& e : world.explosions) {
        if (session_.frame() - e.frame < kShownFrames)
            explosions.push_back({{"x", e.position.x}, {"y", e.position.y}, {"age", session_.frame() - e.frame}});
    }
    json rectangles = json::array();
    for (const sim::DrawnRectangle& r : session_.world().screen.rectangles)
        rectangles.push_back({r.x, r.y, r.width, r.height, r.red, r.green, r.blue, r.alpha});
    json texts = json::array();
    for (const sim::DrawnText& t : session_.world().screen.texts) {
        const sim::TextStyle& st = t.style;
        texts.push_back({{"text", t.text},
                         {"x", t.x},
                         {"y", t.y},
                         {"scale", st.scaleY},
                         {"colour", {st.red, st.green, st.blue, st.alpha}},
                         {"centred", st.centred},
                         {"shadow", st.dropShadow ? st.shadowAlpha : 0},
                         {"wrap", {st.wrapStart, st.wrapEnd}}});
    }
    json answer{{"frame", session_.frame()},
                {"time", session_.seconds()},
                {"mode", static_cast<int>(s.mode)},
                {"kind", s.kind == Freight ? "freight" : "tram"},
                {"speed", s.speed},
                {"risk", s.derailmentRisk},
                {"derailed", s.derailed},
                {"derailedAtKmh", derailedAtKmh_},
                {"hud", std::move(hud)},
                {"command", static_cast<int>(s.engineerCommand)},
                {"player",
                 {{"x", player->position.x}, {"y", player->position.y}, {"heading", player->heading},
                  {"vehicle", player->vehicle}, {"seat", player->seat}}},
                {"vehicles", std::move(vehicles)},
                {"explosions", std::move(explosions)},
                {"shake", world.cameraShake.active ? world.cameraShake.amplitude : 0.0f},
                {"radio", world.radioEnabled},
                {"rects", std::move(rectangles)},
                {"texts", std::move(texts)},
                {"events", std::move(events)},
                {"device", kPageDevices[world.input.lastDevice]}};
    json now = bindings();
    if (now != bindingsSent_) {
        bindingsSent_ = now;
        answer["bindings"] = std::move(now);
    }
    return answer;
}

}  // namespace playground
