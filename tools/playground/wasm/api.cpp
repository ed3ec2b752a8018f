// The page's C interface to the plug-in and the stand-in's world. Every text goes in as bytes and a
// length (an INI may hold NUL bytes) and comes back as JSON in a buffer that lives until the next
// call. The configuration file lives in emscripten's in-memory file system, in /game, where the
// plug-in's own reader and writer open it by its bare name.

#include <emscripten/emscripten.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>

#include "tools/playground/core/drive_runs.h"
#include "tools/playground/core/page_contract.h"
#include "tools/playground/core/recording_view.h"
#include "tools/playground/core/ride.h"
#include "tools/playground/core/settings_report.h"

namespace {

std::string answer;
std::unique_ptr<playground::Ride> ride;

void enterGameFolder() {
    static const bool entered = [] {
        mkdir("/game", 0755);
        return chdir("/game") == 0;
    }();
    (void)entered;
}

std::string bytes(const char* text, int length) {
    return text == nullptr || length <= 0 ? std::string() : std::string(text, static_cast<size_t>(length));
}

const char* reply(const nlohmann::json& value) {
    answer = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return answer.c_str();
}

TrainKind kindOf(int kind) { return kind == 1 ? Tram : Freight; }

}  // namespace

extern "C" {

// What the page's script and the engine agree on: the page's build builds it into the script.
EMSCRIPTEN_KEEPALIVE const char* vorn_contract() { return reply(playground::pageContract()); }

EMSCRIPTEN_KEEPALIVE const char* vorn_default_ini() {
    enterGameFolder();
    answer = playground::defaultIni();
    return answer.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* vorn_report(const char* ini, int length) {
    enterGameFolder();
    return reply(playground::settingsReport(bytes(ini, length)));
}

// The drives take the report's "settingsIni": every entry into a train reloads the file, and a
// player's file of megabytes would be read again at each of the hundreds of entries.
EMSCRIPTEN_KEEPALIVE const char* vorn_acceleration(const char* settings, int length, int kind) {
    enterGameFolder();
    return reply(playground::accelerationRun(bytes(settings, length), kindOf(kind)));
}

EMSCRIPTEN_KEEPALIVE const char* vorn_braking(const char* settings, int length, int kind) {
    enterGameFolder();
    return reply(playground::brakingRun(bytes(settings, length), kindOf(kind)));
}

EMSCRIPTEN_KEEPALIVE const char* vorn_bend(const char* settings, int length, int kind, float radius) {
    enterGameFolder();
    return reply(playground::bendRun(bytes(settings, length), kindOf(kind), radius));
}

// Starts the "Try it" world on this INI; answers its layout.
EMSCRIPTEN_KEEPALIVE const char* vorn_ride_start(const char* ini, int length) {
    enterGameFolder();
    ride.reset();
    ride = std::make_unique<playground::Ride>(bytes(ini, length));
    return reply(ride->layout());
}

// `frames` frames of the ride (at most a second's worth) with the player's hands, as JSON (see
// playground::handsFrom). Answers the last frame.
EMSCRIPTEN_KEEPALIVE const char* vorn_ride_step(const char* hands, int length, int frames, float seconds, float walkX,
                                                float walkY) {
    if (!ride) return reply(nullptr);
    ride->play(playground::handsFrom(bytes(hands, length)), std::clamp(frames, 0, 60), seconds, walkX, walkY);
    return reply(ride->frame());
}

EMSCRIPTEN_KEEPALIVE void vorn_ride_write_ini(const char* ini, int length) {
    if (ride) ride->writeIni(bytes(ini, length));
}

// A ride recording a player dropped on the page: its summary, the ride replayed, its settings.
EMSCRIPTEN_KEEPALIVE const char* vorn_recording(const char* recording, int length) {
    enterGameFolder();
    return reply(playground::recordingView(bytes(recording, length)));
}

}  // extern "C"
