#include "sim/runners/hostile.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "host/script_state.h"
#include "sim/runners/behaviour_check.h"
#include "sim/world/hook.h"
#include "sim/runners/in_process_plugin.h"

namespace sim {

namespace {

constexpr size_t kRemembered = 64;
constexpr size_t kHashesRemembered = 4;
constexpr size_t kHostileFailuresKept = 20;
constexpr int kCalmStretch = 300;  // passes at most
constexpr int kSettingsStretch = 10000;

uint64_t floatBits(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

GarbageAnswers::GarbageAnswers(uint32_t seed) : random_(seed) {
    given_.capacity = kRemembered;
    player_ = 1u + static_cast<uint32_t>(random_() % 0xFFFFFFFEu);
    hashes_.capacity = kHashesRemembered;
}

void GarbageAnswers::Ring::remember(uint32_t value) {
    if (values.size() < capacity) {
        values.push_back(value);
    } else {
        values[next] = value;
        next = (next + 1) % capacity;
    }
}

uint64_t GarbageAnswers::specialFloat() {
    static const uint32_t kSpecial[] = {
        0x7FC00000u,  // quiet NaN
        0xFFC00000u,  // negative quiet NaN
        0x7F800001u,  // signalling NaN
        0x7FFFFFFFu,  // NaN with every payload bit
        0x7F800000u,  // +infinity
        0xFF800000u,  // -infinity
        0x7F7FFFFFu,  // largest float
        0xFF7FFFFFu,  // most negative float
        0x00000001u,  // smallest subnormal
        0x80000001u,  // negative subnormal
        0x80000000u,  // -0
        0x0DA24260u,  // 1e-30
        0xE0AD78ECu,  // -1e20
        0x5F0AC723u,  // 1e19
    };
    return kSpecial[random_() % (sizeof kSpecial / sizeof kSpecial[0])];
}

uint64_t GarbageAnswers::slot() {
    const uint64_t noise = random_();
    const uint64_t high = noise & 0xFFFFFFFF00000000ull;  // the game need not clear the high half
    const unsigned kind = static_cast<unsigned>(random_() % 30);
    // A third of the answers are 0 in the low half: "no", "none", or a zero float.
    if (kind < 10) return kind % 2 == 0 ? 0 : high;
    if (kind < 13) return noise;
    if (kind < 16) return high | specialFloat();
    if (kind < 19) return floatBits(std::uniform_real_distribution<float>(-40.0f, 40.0f)(random_));
    if (kind < 21) return floatBits(std::uniform_real_distribution<float>(-2.0f, 2.0f)(random_));
    if (kind < 23) return static_cast<uint32_t>(std::uniform_int_distribution<int32_t>(-3, 12)(random_));
    if (kind < 24) {
        static const int32_t kExtreme[] = {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                                           -1, -2147483647, 65536, 1000000000};
        return high | static_cast<uint32_t>(kExtreme[random_() % (sizeof kExtreme / sizeof kExtreme[0])]);
    }
    const Ring& ring = kind < 27 ? hashes_ : given_;
    return ring.values.empty() ? noise : ring.values[random_() % ring.values.size()];
}

void GarbageAnswers::operator()(const NativeCall& call, uint64_t* result) {
    for (size_t i = 0; i < Hook::resultSlots; ++i) result[i] = slot();
    // Garbage alone rarely gets past the train search; these make the plug-in go on into the
    // cab, the derailment and the wagons, and meet garbage there too.
    const uint64_t high = result[0] & 0xFFFFFFFF00000000ull;
    const uint32_t low = static_cast<uint32_t>(result[0]);
    const uint32_t nonZero = 1u + static_cast<uint32_t>(random_() % 0xFFFFFFFEu);
    if (call.op == "GetEntityModel" && !hashes_.values.empty() && random_() % 3 == 0) {
        result[0] = hashes_.values[random_() % hashes_.values.size()];
    } else if (call.op == "HashName" && !call.args.empty()) {
        // A garbage hash function, but mostly a function: the same text gives the same value,
        // now and then a new one. Never 0: a load whose model hashes all came back 0 would end
        // every search for good (0 is never a model); the zero game covers that.
        auto known = hashOf_.find(call.args[0].text);
        if (known == hashOf_.end() || random_() % 20 == 0) known = hashOf_.insert_or_assign(call.args[0].text, nonZero).first;
        result[0] = high | known->second;
    } else if (call.op == "GetEntityPosition") {
        for (size_t i = 0; i < 3; ++i)
            if (random_() % 16 != 0) result[i] = floatBits(std::uniform_real_distribution<float>(-8.0f, 8.0f)(random_));
    } else if (call.op == "GetPlayerCharacter" && random_() % 32 != 0) {
        result[0] = high | player_;  // the player's handle stays the same, mostly
    } else if (call.op == "GetSeatOccupant" && random_() % 4 == 0) {
        result[0] = high | player_;
    } else if (calm && call.op.compare(0, 7, "Control") == 0 && random_() % 20 != 0) {
        result[0] = high;
    } else if (call.op == "GetFrameSeconds" && random_() % 3 == 0) {
        // Frame times a game could report, now and then, so the plug-in's timers run out.
        result[0] = high | floatBits(std::uniform_real_distribution<float>(0.0f, 0.4f)(random_));
    } else if (call.op == "IsEntityDead" && random_() % 32 != 0) {
        result[0] = high;  // most characters live: engineers take commands, and rides last
    } else if (call.op == "IsCharacterInAnyVehicle" && random_() % 16 != 0) {
        result[0] = high;  // on foot, mostly: the search goes on, and the game seldom ends an entry
    } else if (call.op == "GetVehicleCharacterIsUsing" && seatedIn_ != 0 && random_() % 16 != 0) {
        result[0] = high | seatedIn_;
    } else if (call.op == "EntityExists" && low == 0 && random_() % 32 != 0) {
        result[0] = high | nonZero;  // wagons stay long enough for the count and distance rules
    } else if (call.op == "GetTrainWagon" && call.args.size() == 2 && call.args[1].i >= 1 && low == 0 &&
               random_() % 16 != 0) {
        result[0] = high | nonZero;  // long trains: more wagons than the count limit, up to the carriage cap
    }
    if (call.op == "PlaceCharacterInSeat" && call.args.size() == 3) seatedIn_ = static_cast<uint32_t>(call.args[1].i);
    const uint32_t first = static_cast<uint32_t>(result[0]);
    if (first != 0) (call.op == "HashName" ? hashes_ : given_).remember(first);
    // What the game writes through the plug-in's pointers: within the bounds the plug-in gave.
    if (call.op == "ListNearbyVehicles" && call.args.size() == 2 && call.args[1].raw != 0) {
        auto* buffer = reinterpret_cast<uint64_t*>(static_cast<uintptr_t>(call.args[1].raw));
        const uint32_t capacity = static_cast<uint32_t>(buffer[0]);
        for (uint32_t i = 1; i <= capacity && i <= 256; ++i) buffer[i] = slot();
    } else if (call.op == "DeleteVehicle" && call.args.size() == 1 && call.args[0].raw != 0) {
        const uint32_t handle = random_() % 2 == 0 ? 0u : static_cast<uint32_t>(slot());
        std::memcpy(reinterpret_cast<void*>(static_cast<uintptr_t>(call.args[0].raw)), &handle, sizeof handle);
    }
}

HostileSummary runHostile(const HostileOptions& options) {
    HostileSummary summary;
    GameOptions gameOptions;
    gameOptions.workdir = options.workdir;
    gameOptions.answerZero = options.kind == HostileKind::Zero;
    ObservedPluginGame game(gameOptions);
    GarbageAnswers garbage(options.seed);
    if (options.kind == HostileKind::Garbage)
        game.hook().answer = [&garbage](const NativeCall& call, uint64_t* result) { garbage(call, result); };

    auto fail = [&](const std::string& text) {
        if (summary.failures.size() < kHostileFailuresKept) summary.failures.push_back(text);
    };
    BehaviourCheck check;
    std::mt19937 stretches(options.seed);
    int calmPasses = 0;
    PlayerMode lastMode = OnFoot;
    EntityHandle lastEngineerTrain = 0;
    for (int pass = 0; pass < options.passes; ++pass) {
        // Half the times the player gets into a cab or hands a train to the engineer, a calm
        // stretch follows.
        if (const ScriptState* state = game.state()) {
            const bool cabEntered = state->mode == InCab && lastMode != InCab;
            const bool handedOver = state->engineerTrain > 0 && lastEngineerTrain <= 0;
            if ((cabEntered || handedOver) && calmPasses == 0 && stretches() % 2 == 0)
                calmPasses = static_cast<int>(stretches() % kCalmStretch) + 1;
            lastMode = state->mode;
            lastEngineerTrain = state->engineerTrain;
        }
        // Every other stretch without derailments, so that cabs are also left whole and the
        // engineer gets the train; the plug-in reads the file at its next entry attempt.
        if (pass % kSettingsStretch == 0) {
            if (pass / kSettingsStretch % 2 == 1) {
                game.writeIni("Train.Derailment=0\nTram.Derailment=0\n");
            } else {
                game.deleteIni();
            }
        }
        garbage.calm = calmPasses > 0;
        if (calmPasses > 0) --calmPasses;
        game.step();
        ++summary.passes;
        for (const NativeCall& call : game.calls()) ++summary.callsByNative[std::string(call.op)];
        if (const ScriptState* state = game.state()) {
            ++summary.passesByMode[state->mode == Entering ? 1 : state->mode == InCab ? 2 : 0];
            if (state->mode == OnFoot && state->engineerTrain > 0) ++summary.engineerPasses;
            summary.maxWagons = std::max(summary.maxWagons, state->derailedWagons.size());
            check.afterPass(game.frame(), game.calls(), *state);
        }
        // The game's own records of what the plug-in did would only grow; nothing here reads them.
        game.world().events.clear();
    }
    if (options.requireActivity && options.kind == HostileKind::Garbage) {
        if (summary.passesByMode[2] == 0) fail("the plug-in never reached the cab");
        for (const char* op : {"RemoveAllTrains", "CreateExplosion", "DeleteVehicle"})
            if (summary.callsByNative.count(op) == 0) fail(std::string("the plug-in never called ") + op);
    }
    for (const std::string& f : check.failures()) fail(f);
    summary.checkFailures = check.failureCount();
    summary.ridesLost = check.ridesLost;
    summary.calls = game.hook().totalCalls;
    summary.violationCount = game.violations().size();
    for (const std::string& v : game.violations()) fail("violation: " + v);
    return summary;
}

void printHostileSummary(std::ostream& out, const HostileOptions& options, const HostileSummary& summary,
                         bool byNative) {
    auto count = [&](const char* op) {
        auto it = summary.callsByNative.find(op);
        return it == summary.callsByNative.end() ? uint64_t{0} : it->second;
    };
    out << "hostile game (" << (options.kind == HostileKind::Zero ? "zero" : "garbage") << ", seed " << options.seed
        << "): " << summary.passes << " passes, " << summary.calls << " native calls, "
        << summary.callsByNative.size() << " of " << nativeCount() << " natives reached\n"
        << "  passes on foot " << summary.passesByMode[0] << " (with the engineer driving " << summary.engineerPasses
        << "), entering " << summary.passesByMode[1] << ", in the cab " << summary.passesByMode[2] << "\n"
        << "  derailments " << count("RemoveAllTrains")
        << ", vehicles spawned " << count("SpawnVehicle") << ", explosions " << count("CreateExplosion")
        << ", wagons deleted " << count("DeleteVehicle") << ", max wagons kept " << summary.maxWagons << "\n"
        << "  rides lost to the game " << summary.ridesLost << ", behaviour faults " << summary.checkFailures << "\n"
        << "  violations " << summary.violationCount << "\n";
    if (byNative)
        for (const auto& [op, n] : summary.callsByNative) out << "    " << op << " " << n << "\n";
    for (const std::string& f : summary.failures) out << "  " << f << "\n";
    out << (summary.passed() ? "hostile: passed" : "hostile: FAILED") << std::endl;
}

}  // namespace sim
