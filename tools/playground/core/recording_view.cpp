#include "tools/playground/core/recording_view.h"

#include <cstdio>

#include "sim/runners/recording.h"
#include "sim/runners/replay.h"
#include "sim/world/hook.h"
#include "tools/playground/core/settings_report.h"

namespace playground {

namespace {

using nlohmann::json;

const char* reasonName(recording::Reason reason) {
    switch (reason) {
        case recording::Reason::RideEnded: return "the ride ended";
        case recording::Reason::Derailment: return "the train derailed";
        case recording::Reason::ScriptRestart: return "the game reloaded";
        case recording::Reason::Asked: return "the simulator was asked to";
    }
    return "";
}

// The player's file as the plug-in last read it, when the ring still holds that load; otherwise the
// settings of the first key point, one key a line.
json settingsOf(const sim::Recording& r) {
    for (auto e = r.events.rbegin(); e != r.events.rend(); ++e) {
        if (e->kind == sim::RecordedEvent::Kind::Configuration) {
            const std::string& ini = r.texts[e->first];
            return json{{"from", "VornLoconaut.ini as the plug-in read it at its last load in the recording"},
                        {"ini", ini},
                        {"report", settingsReport(ini)}};
        }
    }
    const std::string ini = sim::settingsIni(r, r.snapshots.front());
    return json{{"from", "the settings in force when the recording begins"}, {"ini", ini}, {"report", settingsReport(ini)}};
}

// The replay as a player reads it: whether this build did all it did in the player's game, and if
// not, from when on it does something else (or made a call the game refuses).
json playbackOf(const sim::ReplayResult& replay) {
    const bool parted = replay.diverged || !replay.violations.empty();
    return json{{"same", replay.refusal.empty() && !parted},
                {"seconds", parted && !replay.samples.empty() ? json(replay.samples.back().seconds) : json(nullptr)},
                {"refusedCall", !replay.violations.empty()}};
}

}  // namespace

json recordingView(const std::string& bytes) {
    const sim::ReadResult read = sim::readRecording(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (!read.recording) return json{{"error", read.error}};
    const sim::Recording& r = *read.recording;
    const sim::ReplayResult replay = sim::replayRecording(r);

    json time = json::array(), mode = json::array(), shown = json::array(), speed = json::array(), risk = json::array();
    for (const sim::ReplaySample& s : replay.samples) {
        time.push_back(s.seconds);
        mode.push_back(s.mode);
        shown.push_back(s.shownSpeed);
        speed.push_back(s.speed);
        risk.push_back(s.risk);
    }
    json marks = json::array();
    for (const sim::ReplayMark& m : replay.marks) marks.push_back({{"kind", m.kind}, {"seconds", m.seconds}, {"pass", m.pass}});
    const json summary = {{"formatVersion", r.version},
                          {"pluginVersion", r.pluginVersion},
                          {"reason", reasonName(r.reason)},
                          {"passes", r.passes},
                          {"seconds", replay.samples.empty() ? json(nullptr) : json(replay.samples.back().seconds)},
                          {"catalogue", {{"recording", sim::hex(r.catalogueHash)},
                                         {"page", sim::hex(recording::catalogueHash())},
                                         {"same", r.catalogueHash == recording::catalogueHash()}}},
                          {"replay", replay.summary()},
                          {"playback", playbackOf(replay)}};
    return json{{"error", nullptr},
                {"summary", summary},
                {"series", {{"time", time}, {"mode", mode}, {"shownSpeed", shown}, {"speed", speed}, {"risk", risk}}},
                {"marks", marks},
                {"settings", settingsOf(r)}};
}

}  // namespace playground
