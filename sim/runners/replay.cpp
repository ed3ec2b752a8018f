#include "sim/runners/replay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "config/settings.h"
#include "host/controls.h"
#include "host/recorder.h"
#include "host/recording_snapshot.h"
#include "host/script.h"
#include "train/held_in_game.h"
#include "sim/runners/tolerance.h"
#include "sim/world/hook.h"
#include "sim/world/world.h"

namespace sim {

using namespace recording;

namespace {

float asFloat(uint32_t bits) {
    float f = 0.0f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

const char* modeName(int32_t mode) {
    switch (mode) {
        case OnFoot: return "on foot";
        case Entering: return "entering";
        case InCab: return "in the cab";
        default: return "in no mode";
    }
}

const char* commandName(int32_t command) {
    switch (command) {
        case KeepSpeed: return "KEEP SPEED";
        case Stop: return "STOP";
        case Follow: return "FOLLOW";
        default: return "none";
    }
}

// A snapshot's values into this build's records, field by field by name; a field the recording
// lacks, or holds as another type, keeps its fresh value and is noted.
struct Restore {
    const std::vector<RecordedField>& fields;
    const std::vector<FieldValue>& values;
    const std::vector<RecordedField>& wagonFields;
    std::vector<std::string>& notes;
    const char* record;

    template <class T>
    void operator()(const char* name, T& field) const {
        const int i = fieldIndex(fields, name);
        if (i < 0 || static_cast<size_t>(i) >= values.size() || fields[static_cast<size_t>(i)].type != fieldType<T>()) {
            notes.push_back(std::string("the recording's ") + record + " has no field " + name + " of this build's type: it starts fresh");
            return;
        }
        const FieldValue& v = values[static_cast<size_t>(i)];
        if constexpr (std::is_same_v<T, bool>) {
            field = v.word != 0;
        } else if constexpr (std::is_same_v<T, float>) {
            field = asFloat(v.word);
        } else if constexpr (std::is_same_v<T, std::string>) {
            field = v.text;
        } else if constexpr (std::is_same_v<T, std::vector<uint32_t>>) {
            field = v.list;
        } else if constexpr (std::is_same_v<T, Vector3>) {
            field = v.vector;
        } else if constexpr (std::is_same_v<T, std::vector<DerailedWagon>>) {
            field.clear();
            for (const std::vector<FieldValue>& wagon : v.wagons) {
                DerailedWagon w;
                forEachWagonField(w, Restore{wagonFields, wagon, wagonFields, notes, "wagon"});
                field.push_back(w);
            }
        } else {
            if constexpr (std::is_enum_v<T>) {
                if (v.word >= enumValueCount<T>()) {
                    notes.push_back(std::string("the recording's ") + record + " holds " + name + " = " +
                                    std::to_string(static_cast<int32_t>(v.word)) + ", which no build writes: it starts at its default");
                    return;
                }
            }
            field = static_cast<T>(v.word);
        }
    }
};

class Replay;
Replay* gActive = nullptr;

class Replay {
public:
    Replay(const Recording& recording, const ReplayOptions& options, ReplayResult& result)
        : rec_(recording), options_(options), result_(result), hook_(world_) {}

    void run();

    // --- What the plug-in takes from outside, in the order it takes it ---

    void answer(const NativeCall& call, uint64_t* result);
    int random();
    void configurationLoad();
    int32_t allVehicles(int32_t* handles, int32_t capacity);

private:
    // The next record of this pass; `what` says what the plug-in did, for a divergence only.
    template <class What>
    const RecordedEvent* next(What&& what);
    std::string describeRecorded(const RecordedEvent* e) const;
    std::string describeMade(const NativeCall& call) const;
    void diverge(const std::string& text);
    void restore(const Snapshot& snapshot);
    bool leftoverEvents();
    void observe(const ScriptState& before, uint32_t pass);
    void say(uint32_t pass, const std::string& text);

    const Recording& rec_;
    const ReplayOptions& options_;
    ReplayResult& result_;
    World world_;
    Hook hook_;
    ScriptState state_;
    size_t cursor_ = 0;
    uint32_t pass_ = 0;
    double seconds_ = 0.0;
    float frameSeconds_ = 1.0f / 60.0f;
    bool frameTimeRead_ = false;
    bool exitPressed_ = false;
    int explosions_ = 0;
    int riskTenth_ = 0;
    double lastSpeedSecond_ = -1.0;
};

int replayRandom() { return gActive != nullptr ? gActive->random() : 0; }
int32_t replayAllVehicles(int32_t* handles, int32_t capacity) {
    return gActive != nullptr ? gActive->allVehicles(handles, capacity) : 0;
}
void replayConfigurationLoad() {
    if (gActive != nullptr) gActive->configurationLoad();
}

template <class What>
const RecordedEvent* Replay::next(What&& what) {
    if (result_.diverged) return nullptr;
    if (cursor_ >= rec_.events.size()) {
        diverge(std::string("the plug-in ") + what() + " where the recording ends");
        return nullptr;
    }
    const RecordedEvent& e = rec_.events[cursor_];
    if (e.kind == RecordedEvent::Kind::Pass || e.kind == RecordedEvent::Kind::ScriptStart) {
        diverge(std::string("the plug-in ") + what() + " where the recording's pass is over");
        return nullptr;
    }
    ++cursor_;
    return &e;
}

std::string Replay::describeRecorded(const RecordedEvent* e) const {
    if (e == nullptr) return "nothing";
    switch (e->kind) {
        case RecordedEvent::Kind::Call: {
            const RecordedNative& n = rec_.natives[e->native];
            std::string text = n.op + "(";
            bool first = true;
            if (e->digested) {
                text += "digest " + hex(rec_.word(*e, 0)).substr(10);
                first = false;
            }
            for (uint8_t f = 0; f < e->floats; ++f) {
                text += (first ? "" : ", ") + traceFloat(asFloat(rec_.word(*e, (e->digested ? 1u : 0u) + f)));
                first = false;
            }
            return text + ")";
        }
        case RecordedEvent::Kind::Random: return "a random number (" + std::to_string(e->value) + ")";
        case RecordedEvent::Kind::AllVehicles: return "a list of " + std::to_string(e->count) + " vehicles";
        case RecordedEvent::Kind::Configuration:
        case RecordedEvent::Kind::NoConfiguration: return "a configuration load";
        case RecordedEvent::Kind::ScriptStart: return "the script's start";
        case RecordedEvent::Kind::Pass: return "the end of the pass";
    }
    return "nothing";
}

std::string Replay::describeMade(const NativeCall& call) const {
    std::string text = std::string(call.op) + "(";
    for (size_t i = 0; i < call.args.size(); ++i) {
        const ArgValue& a = call.args[i];
        if (i > 0) text += ", ";
        switch (a.kind) {
            case ArgKind::Int:
            case ArgKind::Bool: text += std::to_string(a.i); break;
            case ArgKind::Float: text += traceFloat(a.f); break;
            case ArgKind::Text: text += "\"" + a.text + "\""; break;
            case ArgKind::Pointer: text += "ptr"; break;
        }
    }
    uint64_t raw[Hook::argumentSlots] = {};
    for (size_t i = 0; i < call.args.size() && i < Hook::argumentSlots; ++i) raw[i] = call.args[i].raw;
    const NativeInfo* info = findNative(call.hash);
    if (info != nullptr) text += "; digest " + hex(argumentDigest(info->kinds, raw, call.args.size())).substr(10);
    return text + ")";
}

void Replay::diverge(const std::string& text) {
    if (result_.diverged) return;
    result_.diverged = true;
    result_.divergence = "pass " + std::to_string(pass_) + ": " + text;
    // The trace ends with the call that diverged; what the plug-in does on answers made up is no record.
    hook_.trace = nullptr;
}

void Replay::answer(const NativeCall& call, uint64_t* result) {
    if (result_.diverged) return;
    const size_t at = cursor_;
    const RecordedEvent* e = next([&] { return "called " + describeMade(call); });
    if (e == nullptr) return;
    if (e->kind != RecordedEvent::Kind::Call || rec_.natives[e->native].hash != call.hash) {
        cursor_ = at;
        diverge("the recording has " + describeRecorded(e) + ", the plug-in called " + describeMade(call));
        return;
    }
    const RecordedNative& n = rec_.natives[e->native];
    const auto w = [&](size_t i) { return rec_.word(*e, i); };
    size_t word = 0;
    uint64_t raw[Hook::argumentSlots] = {};
    for (size_t i = 0; i < call.args.size() && i < Hook::argumentSlots; ++i) raw[i] = call.args[i].raw;
    if (e->digested && argumentDigest(n.shape.c_str(), raw, call.args.size()) != w(word++)) {
        diverge("the recording has " + describeRecorded(e) + ", the plug-in called " + describeMade(call) +
                ": its integer or text arguments differ");
        return;
    }
    for (size_t i = 0; i < n.shape.size() && i < call.args.size(); ++i) {
        if (n.shape[i] != 'f') continue;
        const float recorded = asFloat(w(word++));
        if (!floatsAgree(recorded, call.args[i].f)) {
            diverge("the recording has " + describeRecorded(e) + ", the plug-in called " + describeMade(call) +
                    ": argument " + std::to_string(i + 1) + " is " + traceFloat(call.args[i].f) + ", recorded " +
                    traceFloat(recorded));
            return;
        }
    }
    const size_t first = word;
    const auto answer = [&](size_t i) { return w(first + i); };
    const uint32_t words = e->count - static_cast<uint32_t>(word);
    switch (n.answer) {
        case recording::AnswerKind::None: break;
        case recording::AnswerKind::Integer:
        case recording::AnswerKind::Float:
        case recording::AnswerKind::Vector:
            for (uint32_t i = 0; i < words && i < Hook::resultSlots; ++i) result[i] = answer(i);
            break;
        case recording::AnswerKind::NearbyList: {
            result[0] = answer(0);
            auto* buffer = call.args.size() > 1 ? reinterpret_cast<uint64_t*>(static_cast<uintptr_t>(call.args[1].raw)) : nullptr;
            if (buffer == nullptr) break;
            // Never more entries than the plug-in's buffer says it holds, whatever the file claims.
            const uint64_t entries = std::min<uint64_t>(answer(1), buffer[0]);
            for (uint64_t i = 1; i <= entries && i + 1 < words; ++i)
                buffer[i] = (buffer[i] & 0xFFFFFFFF00000000ull) | answer(1 + i);
            break;
        }
        case recording::AnswerKind::Deletion: {
            auto* handle = call.args.empty() ? nullptr : reinterpret_cast<EntityHandle*>(static_cast<uintptr_t>(call.args[0].raw));
            if (handle != nullptr && words > 0 && answer(0) == 0) *handle = 0;
            break;
        }
    }
    // What the ride's account and the page take from the calls.
    if (n.op == "GetFrameSeconds" && !frameTimeRead_ && words > 0) {
        frameSeconds_ = asFloat(answer(0));
        frameTimeRead_ = true;
    } else if (n.op == "ControlJustPressed" && call.args.size() > 1 && call.args[1].i == control::exit && words > 0 &&
               answer(0) != 0) {
        exitPressed_ = true;
    } else if (n.op == "CreateExplosion") {
        ++explosions_;
    }
}

int Replay::random() {
    const size_t at = cursor_;
    const RecordedEvent* e = next([] { return "asked for a random number"; });
    if (e == nullptr) return 0;
    if (e->kind != RecordedEvent::Kind::Random) {
        cursor_ = at;
        diverge("the recording has " + describeRecorded(e) + ", the plug-in asked for a random number");
        return 0;
    }
    return e->value;
}

int32_t Replay::allVehicles(int32_t* handles, int32_t capacity) {
    const size_t at = cursor_;
    const RecordedEvent* e = next([] { return "listed the game's vehicles"; });
    if (e == nullptr) return 0;
    if (e->kind != RecordedEvent::Kind::AllVehicles) {
        cursor_ = at;
        diverge("the recording has " + describeRecorded(e) + ", the plug-in listed the game's vehicles");
        return 0;
    }
    const auto count = static_cast<int32_t>(std::min<uint32_t>(e->count, static_cast<uint32_t>(std::max(capacity, 0))));
    for (int32_t i = 0; i < count; ++i) handles[i] = static_cast<int32_t>(rec_.words[e->first + static_cast<uint32_t>(i)]);
    return count;
}

void Replay::configurationLoad() {
    const size_t at = cursor_;
    const RecordedEvent* e = next([] { return "loaded its configuration"; });
    std::remove(configurationFileName);
    if (e == nullptr) return;
    if (e->kind == RecordedEvent::Kind::Configuration) {
        std::ofstream out(configurationFileName, std::ios::binary | std::ios::trunc);
        const std::string& text = rec_.texts[e->first];
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        say(pass_, "configuration loaded (" + std::to_string(text.size()) + " bytes)");
    } else if (e->kind == RecordedEvent::Kind::NoConfiguration) {
        say(pass_, "configuration loaded: no file could be read, every setting at its default");
    } else {
        cursor_ = at;
        diverge("the recording has " + describeRecorded(e) + ", the plug-in loaded its configuration");
    }
}

void Replay::restore(const Snapshot& snapshot) {
    gSettings = Settings{};
    forEachSettingsField(gSettings, Restore{rec_.settingsFields, snapshot.settings, rec_.wagonFields, result_.notes, "settings"});
    rebuildDerivedSettings(gSettings);
    state_ = ScriptState{};
    forEachStateField(state_, Restore{rec_.stateFields, snapshot.state, rec_.wagonFields, result_.notes, "state"});
    // What the restored run holds in the game is what a reload lets go of, as in the recorded run.
    noteHeldInGame(state_);
}

// Anything recorded for the pass that the plug-in did not take.
bool Replay::leftoverEvents() {
    if (result_.diverged || cursor_ >= rec_.events.size()) return result_.diverged;
    const RecordedEvent& e = rec_.events[cursor_];
    if (e.kind != RecordedEvent::Kind::Pass && e.kind != RecordedEvent::Kind::ScriptStart) {
        diverge("the recording has " + describeRecorded(&e) + ", the plug-in ended the pass");
    }
    return result_.diverged;
}

void Replay::say(uint32_t pass, const std::string& text) {
    if (options_.timeline == nullptr) return;
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "[pass %6u %8.2fs] ", pass, seconds_);
    *options_.timeline << stamp << text << '\n';
}

void Replay::observe(const ScriptState& before, uint32_t pass) {
    const ScriptState& after = state_;
    // A pass that read no frame time (an idle one on foot) is taken to last as long as the last that did.
    seconds_ += frameSeconds_;
    result_.samples.push_back(ReplaySample{pass, seconds_, after.mode, after.shownSpeed, after.speed, after.derailmentRisk});
    auto mark = [&](const char* kind, const std::string& text) {
        result_.marks.push_back(ReplayMark{pass, seconds_, kind});
        say(pass, text);
    };
    if (before.mode != after.mode) {
        if (after.mode == Entering) say(pass, "the player holds enter beside train " + std::to_string(after.train));
        else if (after.mode == InCab) mark("entry", "the player takes the cab of train " + std::to_string(after.train));
        else if (before.mode == InCab) mark(exitPressed_ ? "exit" : "lost", exitPressed_ ? "the ride ends at the exit control" : "the ride is lost: the game took the player off the train");
        else say(pass, std::string("the entry is called off: ") + modeName(after.mode));
    }
    if (before.mode == InCab && after.mode == InCab && after.seatChangeCooldown > before.seatChangeCooldown)
        mark("seat", "the player changes seat");
    if (!before.derailed && after.derailed) mark("derailment", "the train derails");
    for (; explosions_ > 0; --explosions_) mark("explosion", "a derailed wagon explodes");
    if (before.engineerCommand != after.engineerCommand)
        say(pass, std::string("engineer command ") + commandName(after.engineerCommand));
    if (before.followState != after.followState)
        say(pass, "the engineer's follow drive: state " + std::to_string(after.followState));
    const int tenth = after.mode == InCab ? std::min(10, static_cast<int>(std::floor(after.derailmentRisk * 10.0f + 1e-4f))) : 0;
    if (tenth != riskTenth_ && (tenth > riskTenth_ || after.derailmentRisk * 10.0f < static_cast<float>(riskTenth_) - 0.5f)) {
        riskTenth_ = tenth;
        if (tenth > 0) say(pass, "derailment risk " + std::to_string(tenth / 10) + "." + std::to_string(tenth % 10));
    }
    if (after.mode == InCab && !after.derailed && std::floor(seconds_) > lastSpeedSecond_) {
        lastSpeedSecond_ = std::floor(seconds_);
        char text[96];
        std::snprintf(text, sizeof text, "speed %.2f m/s commanded, %.2f m/s shown", after.speed, after.shownSpeed);
        say(pass, text);
    }
}

void Replay::run() {
    // The stand-in's hook checks every call and writes the trace; the recording answers in place of
    // its world.
    Hook::current = &hook_;
    gHook = HookFunctions{};
    gHook.nativeInit = hookNativeInit;
    gHook.nativePush64 = hookNativePush64;
    gHook.nativeCall = hookNativeCall;
    hook_.answer = [this](const NativeCall& call, uint64_t* result) { answer(call, result); };
    const RecordedEvent& first = rec_.events.front();
    restore(rec_.snapshots[static_cast<size_t>(first.snapshot)]);
    say(first.pass, "the replay starts from the key point of pass " + std::to_string(first.pass) + ", " +
                        modeName(state_.mode));
    hook_.trace = options_.trace;
    while (cursor_ < rec_.events.size() && !result_.diverged && result_.passes < options_.passLimit) {
        const RecordedEvent& e = rec_.events[cursor_++];
        const ScriptState before = state_;
        exitPressed_ = false;
        frameTimeRead_ = false;
        if (e.kind == RecordedEvent::Kind::ScriptStart) {
            // The start-up belongs to the frame of the new run's first pass, as in the game.
            for (size_t i = cursor_; i < rec_.events.size(); ++i) {
                if (rec_.events[i].kind == RecordedEvent::Kind::Pass) {
                    pass_ = rec_.events[i].pass;
                    break;
                }
            }
            hook_.beginFrame(static_cast<int>(pass_));
            say(pass_, "the game reloads: the script starts again");
            result_.marks.push_back(ReplayMark{pass_, seconds_, "restart"});
            state_ = ScriptState{};
            startScript();
            leftoverEvents();
            continue;
        }
        if (e.kind != RecordedEvent::Kind::Pass) {
            diverge("the recording has " + describeRecorded(&e) + " outside any pass");
            break;
        }
        // A pass that follows a start-up shares its frame.
        if (e.pass != pass_ || result_.passes == 0) hook_.beginFrame(static_cast<int>(e.pass));
        pass_ = e.pass;
        runPass(state_);
        ++result_.passes;
        if (leftoverEvents()) break;
        observe(before, e.pass);
    }
    result_.violations = hook_.violations;
}

}  // namespace

std::string ReplayResult::summary() const {
    if (!refusal.empty()) return refusal;
    std::string text = diverged ? "diverged after " + std::to_string(passes) + " passes: " + divergence
                                : "replayed " + std::to_string(passes) + " passes, no divergence";
    for (const std::string& v : violations) text += "\n  violation: " + v;
    return text;
}

std::string replayRefusal(const Recording& recording) {
    if (recording.catalogueHash == catalogueHash()) return {};
    return "refused: the recording (format version " + std::to_string(recording.version) + ", made by Vorn Loconaut " +
           recording.pluginVersion + ") was made with the native catalogue " + hex(recording.catalogueHash) +
           "; this build's is " + hex(catalogueHash());
}

ReplayResult replayRecording(const Recording& recording, const ReplayOptions& options) {
    ReplayResult result;
    result.refusal = replayRefusal(recording);
    if (!result.refusal.empty() || recording.events.empty()) return result;

    // A folder of its own, where the recorded configuration texts are put for the plug-in's reader.
    std::error_code error;
    const std::filesystem::path previous = std::filesystem::current_path(error);
    std::filesystem::path folder;
    if (!options.inPlace) {
        std::random_device seed;
        do {
            folder = std::filesystem::temp_directory_path(error) / ("vorn-replay-" + std::to_string(seed()));
        } while (!error && !std::filesystem::create_directories(folder, error) && !error);
        if (!error) std::filesystem::current_path(folder, error);
        if (error) {
            // Never in the folder it was started from: that may be a game folder with a player's INI.
            result.refusal = "not replayed: no temporary folder to replay in (" + error.message() + ")";
            return result;
        }
    }

    const HookFunctions hook = gHook;
    const Settings settings = gSettings;
    const bool recorderOn = gRecorderOn;
    gRecorderOn = false;
    Replay replay(recording, options, result);
    gActive = &replay;
    gReplaySources = ReplaySources{replayRandom, replayConfigurationLoad, replayAllVehicles};
    Hook* const previousHook = Hook::current;
    replay.run();
    gReplaySources = ReplaySources{};
    gActive = nullptr;
    Hook::current = previousHook;
    gHook = hook;
    gSettings = settings;
    gRecorderOn = recorderOn;

    if (!options.inPlace) {
        std::filesystem::current_path(previous, error);
        std::filesystem::remove_all(folder, error);
    }
    return result;
}

}  // namespace sim
