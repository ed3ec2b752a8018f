#pragma once
// The hostile game: the plug-in against a stand-in that answers every native with 0, or with
// garbage (NaN and infinite floats, huge and negative counts, handles of entities that do not
// exist, random bits), for a number of passes. The hook's argument checks stay on, so a NaN or
// infinity pushed back to the game, like any other ABI fault, is a violation.

#include <cstdint>
#include <map>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace sim {

struct NativeCall;

// Garbage for every result slot (and for what the game writes through pointer arguments), drawn
// from a seeded generator so that a run repeats exactly: zeros, random bits, NaNs, infinities,
// subnormals, extreme and small numbers, and values it gave before, so a handle or hash the
// plug-in received earlier comes back the way the game's own would. A few natives lean towards
// answers that let the plug-in go on (a hash function that mostly repeats itself, a player handle
// that mostly stays, positions near one another, frame times a game could report, long trains):
// pure noise would never get past the train search, and garbage must meet every step. For the same
// reason the player is mostly alive and in the vehicle the plug-in last seated someone in, or every
// ride would end within a few passes.
class GarbageAnswers {
public:
    explicit GarbageAnswers(uint32_t seed);
    void operator()(const NativeCall& call, uint64_t* result);
    // In a calm stretch the controls are almost always up: the player stays in the cab, or on
    // foot with the engineer driving, long enough for the steps that take many passes.
    bool calm = false;

private:
    uint64_t slot();
    uint64_t specialFloat();
    std::mt19937_64 random_;
    struct Ring {
        std::vector<uint32_t> values;
        size_t next = 0;
        size_t capacity = 1;
        void remember(uint32_t value);
    };
    Ring given_;   // recent answers
    Ring hashes_;  // recent answers to HashName, so a model the plug-in looks for turns up
    std::map<std::string, uint32_t> hashOf_;
    uint32_t player_ = 0;
    uint32_t seatedIn_ = 0;  // the vehicle the plug-in last seated someone in: its train, mostly

};

enum class HostileKind { Zero, Garbage };

struct HostileOptions {
    HostileKind kind = HostileKind::Garbage;
    int passes = 100000;
    uint32_t seed = 1;
    std::string workdir;  // empty: a fresh temporary one
    // Garbage only: fail unless the plug-in got as far as the cab, a derailment, an explosion and
    // a wagon deletion, so garbage met every step and not only the train search.
    bool requireActivity = false;
};

struct HostileSummary {
    int passes = 0;
    uint64_t calls = 0;
    std::map<std::string, uint64_t> callsByNative;
    int64_t passesByMode[3] = {0, 0, 0};  // on foot, entering, in the cab
    int64_t engineerPasses = 0;           // on foot with the engineer driving
    int64_t ridesLost = 0;                // cab passes that ended the ride for the game's sake
    size_t maxWagons = 0;
    size_t violationCount = 0;
    size_t checkFailures = 0;           // faults of the shared behaviour check (sim/runners/behaviour_check.h)
    std::vector<std::string> failures;  // the first violations and broken limits
    bool passed() const { return failures.empty() && violationCount == 0 && checkFailures == 0; }
};

HostileSummary runHostile(const HostileOptions& options);
// `byNative`: also the number of calls of every native reached.
void printHostileSummary(std::ostream& out, const HostileOptions& options, const HostileSummary& summary,
                         bool byNative = false);

}  // namespace sim
