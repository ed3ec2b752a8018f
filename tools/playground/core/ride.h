#pragma once
// The page's "Try it" world: a freight loop and a tram loop side by side, each with two tight and
// two gentle bends and walls around, a freight train with its engineer and a two-car tram, and
// the player on foot between them. The plug-in plays in it frame by frame, on the player's INI.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/cab_actions.h"
#include "tools/playground/core/session.h"

namespace playground {

// The keys and buttons a player's hands hold, by the names of the game's control list.
struct Hands {
    std::vector<sim::PhysicalInput> held;    // down now, in the order they went down
    std::vector<sim::PhysicalInput> tapped;  // down and up again since the last batch of frames
};
// The page's hands as its script sends them, {"held": [[device, name], ...], "tapped": [...]} by the
// contract's device names. What is not a key or button of the control list is dropped.
Hands handsFrom(std::string_view text);

class Ride {
public:
    explicit Ride(const std::string& ini);

    // One frame with these keys and buttons down, as the game takes them; on foot the player runs
    // along (walkX, walkY), each -1 to 1.
    void step(const std::vector<sim::PhysicalInput>& held, float frameSeconds, float walkX, float walkY);
    // `frames` frames of these hands: the tapped inputs are down in the first only, before the held.
    void play(const Hands& hands, int frames, float frameSeconds, float walkX, float walkY);

    // What does not change: "tracks" (lists of [x, y]) and "barriers" ([x1, y1, x2, y2]).
    nlohmann::json layout() const;
    // The frame just run: the plug-in's mode, speed and risk, the player, every vehicle, recent
    // explosions, the camera shake, every rectangle and text the plug-in drew, what each of the
    // plug-in's displays shows ("hud"), and since the previous call what happened and why a key
    // did nothing, in a player's words ("events": text, and "hint" for a key that did nothing), each
    // key named on the device the game says the player uses ("device"). When the cab's keys and
    // buttons are new or have changed since the last frame (the plug-in reads the INI at every entry),
    // "bindings": per action its page name, use and what it does, and per device the inputs of its
    // control as bound ("inputs") and each as a player reads it ("shown").
    nlohmann::json frame();

    // The player edits VornLoconaut.ini while playing; the plug-in reads it at the next entry.
    void writeIni(const std::string& ini);

private:
    // What a player notices of the plug-in and the world, compared frame by frame.
    struct Seen {
        PlayerMode mode = OnFoot;
        bool derailed = false;
        float speed = 0.0f;
        EntityHandle vehicle = 0;
        int32_t seat = 0;
        size_t explosions = 0;
        size_t wrecks = 0;
        size_t horns = 0;
        bool lightsOn = false;
        int32_t doorDirection = 0;
        bool radio = false;
        EngineerCommand command = Follow;
        float menuTime = 0.0f;
        EntityHandle engineerTrain = 0;
        size_t trains = 0;
    };
    // One flag an action, CabAction's order.
    using Actions = std::array<bool, cabActionCount>;

    Seen seen() const;
    void narrate(const Seen& before, const Seen& after, const Actions& pressed, const Actions& released,
                 const Actions& held, float frameSeconds);
    // An action's keys or buttons on the device in use, as bound: "F", "Y", "W".
    std::string keysOf(CabAction action) const;
    nlohmann::json bindings() const;
    void say(std::string text, bool hint = false);
    void placeTrains();

    Session session_;
    int trainlessFrames_ = 0;
    std::vector<sim::PhysicalInput> previousHeld_;
    nlohmann::json said_ = nlohmann::json::array();
    nlohmann::json bindingsSent_;
    float derailedAtKmh_ = 0.0f;
    // The horn key's press: how long it has been held and what it did meanwhile.
    float hornHeld_ = 0.0f;
    size_t hornsAtPress_ = 0;
    bool menuDuringPress_ = false;
};

}  // namespace playground
