#pragma once
// The game's side of the native call: the hook's three call functions. Every call is checked against
// the argument shapes the game expects, logged for the frame, optionally written as a JSON line to a
// trace, and answered by its handler (hook_handlers.cpp, a table from hash to handler over the world).

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "sim/world/world.h"

namespace sim {

enum class ArgKind : char { Int = 'i', Float = 'f', Bool = 'b', Pointer = 'p', Text = 't' };

struct ArgValue {
    ArgKind kind = ArgKind::Int;
    uint64_t raw = 0;
    int32_t i = 0;
    float f = 0.0f;
    std::string text;  // Text arguments only
};

struct NativeCall {
    int frame = 0;
    std::string_view op;  // the catalogue's name, which lives as long as the program
    uint64_t hash = 0;
    std::vector<ArgValue> args;
    // What the game answered: the result slots as the call returned them (three for a vector).
    uint64_t result[3] = {0, 0, 0};
    // For a native given the address of a handle (DELETE_VEHICLE, REMOVE_BLIP, ...): the handle it
    // pointed at when called, which the game may have cleared since.
    int32_t handleArgument = 0;
    int32_t answerInt() const { return static_cast<int32_t>(static_cast<uint32_t>(result[0])); }
};

class Hook;
struct NativeInfo {
    const char* op;
    const char* kinds;  // one ArgKind letter per parameter the game reads in current builds
    void (*handler)(Hook& hook, const std::vector<ArgValue>& args, uint64_t* result);
};

// Looks a hash up in the game's table; null for a hash the game does not know.
const NativeInfo* findNative(uint64_t hash);
size_t nativeCount();

class Hook {
public:
    explicit Hook(World& world);
    ~Hook();
    Hook(const Hook&) = delete;
    Hook& operator=(const Hook&) = delete;

    // The three call functions of the script hook.
    void nativeInit(uint64_t hash);
    void nativePush64(uint64_t value);
    uint64_t* nativeCall();

    void beginFrame(int frame);

    // Result slots of every call: one beyond the three a Vector3 needs, so a reader running past
    // them stays in bounds.
    static constexpr size_t resultSlots = 4;
    // The argument block every script shares, as large as the hook's.
    static constexpr size_t argumentSlots = 32;

    // Every native answers 0 (handlers are not run; the argument checks still are).
    bool answerZero = false;
    // When set, answers every call in place of the world (a hostile game); the argument checks
    // still run. It gets the call as checked and the zeroed result slots.
    std::function<void(const NativeCall& call, uint64_t* result)> answer;
    // JSON Lines trace of every call; null for none.
    std::ostream* trace = nullptr;
    // Told of each frame as it begins (its input set) and of each call once the game answered it,
    // with the result slots: the tape recorder (sim/runners/answer_tape.h).
    std::function<void()> frameBegun;
    std::function<void(const NativeCall& call, const uint64_t* result)> answered;

    World& world;
    int frame = 0;
    std::vector<std::string> violations;
    std::vector<NativeCall> calls;  // of the current frame
    uint64_t totalCalls = 0;
    uint64_t vehicleListings = 0;  // worldGetAllVehicles calls
    // Vehicles the script deleted in the current frame, with the index of the DeleteVehicle call
    // in `calls` (the handle is cleared through its pointer, so the call record cannot show it).
    struct Deletion {
        size_t call;
        EntityHandle handle;
    };
    std::vector<Deletion> deletions;

    void violation(const std::string& text);

    static Hook* current;  // the hook the free functions below reach

private:
    uint64_t pendingHash_ = 0;
    bool pending_ = false;
    // One block for every call and every script, as in the real hook: nativeInit resets only the
    // count, and the game writes its results over the first slots. A native reads all of its
    // parameters from here, pushed or not.
    uint64_t block_[argumentSlots] = {};
    size_t pushed_ = 0;
    uint64_t* result_ = nullptr;
    void writeTrace(const NativeCall& call);
};

// Formats a float as the trace does: shortest text that reads back to the same float.
std::string traceFloat(float value);
// A hash or a handle as 0x and 16 hex digits.
std::string hex(uint64_t value);

// Free functions with the hook's signatures, forwarding to Hook::current.
void hookNativeInit(uint64_t hash);
void hookNativePush64(uint64_t value);
uint64_t* hookNativeCall();
// The hook SDK's worldGetAllVehicles: up to `capacity` handles of every vehicle into `buffer`, the
// count written back.
int hookWorldGetAllVehicles(int* buffer, int capacity);

}  // namespace sim
