#pragma once
// The only code that knows the hook's calling convention: every native call is one uninterrupted
// nativeInit, a push per argument, and nativeCall, after which the result is copied out at once.

#include <cstdint>
#include <cstring>

using EntityHandle = int32_t;  // 0 means none
using ModelHash = uint32_t;    // 0 is never a model
using BlipHandle = int32_t;    // 0 means none

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

namespace native_detail {

// The native calls until the hook is bound: nothing is called, and every result reads as zeros.
inline void unboundInit(uint64_t) {}
inline void unboundPush(uint64_t) {}
inline uint64_t* unboundCall() { return nullptr; }

}  // namespace native_detail

// The hook's functions as the plug-in reaches them. DllMain binds them to the imported hook on
// Windows; the simulator binds its own on Linux. Until bound, a native call does nothing and answers
// zeros (so a call needs no test of its own), and the others are null and never called.
struct HookFunctions {
    void (*nativeInit)(uint64_t hash) = native_detail::unboundInit;
    void (*nativePush64)(uint64_t value) = native_detail::unboundPush;
    uint64_t* (*nativeCall)() = native_detail::unboundCall;
    void (*scriptWait)(uint32_t milliseconds) = nullptr;
    uint32_t (*tickCount)() = nullptr;  // the system's millisecond clock, read once for the random seed
    // The game's vehicles: a buffer and its capacity, the count back (host/all_vehicles.h).
    int32_t (*worldGetAllVehicles)(int32_t* handles, int32_t capacity) = nullptr;
};

extern HookFunctions gHook;

inline uint64_t packArgument(int32_t value) { return static_cast<uint32_t>(value); }
inline uint64_t packArgument(uint32_t value) { return value; }
inline uint64_t packArgument(bool value) { return value ? 1u : 0u; }
inline uint64_t packArgument(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
inline uint64_t packArgument(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }

namespace native_detail {

template <class R>
R readResult(const uint64_t* slots);

template <>
inline void readResult<void>(const uint64_t*) {}
template <>
inline int32_t readResult<int32_t>(const uint64_t* slots) {
    return static_cast<int32_t>(static_cast<uint32_t>(slots[0]));
}
template <>
inline uint32_t readResult<uint32_t>(const uint64_t* slots) {
    return static_cast<uint32_t>(slots[0]);
}
template <>
inline bool readResult<bool>(const uint64_t* slots) {
    return static_cast<uint32_t>(slots[0]) != 0;
}
inline float lowFloat(uint64_t slot) {
    const uint32_t bits = static_cast<uint32_t>(slot);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
template <>
inline float readResult<float>(const uint64_t* slots) {
    return lowFloat(slots[0]);
}
template <>
inline Vector3 readResult<Vector3>(const uint64_t* slots) {
    return Vector3{lowFloat(slots[0]), lowFloat(slots[1]), lowFloat(slots[2])};
}

// Stands in for the result block of a hook that returns no address, so a caller reads zeros.
inline const uint64_t kNoResult[3] = {0, 0, 0};

}  // namespace native_detail

// The call through the hook; its result block, or kNoResult when there is none.
template <class... Args>
inline const uint64_t* callHook(uint64_t hash, Args... args) {
    gHook.nativeInit(hash);
    (gHook.nativePush64(packArgument(args)), ...);
    const uint64_t* slots = gHook.nativeCall();
    return slots != nullptr ? slots : native_detail::kNoResult;
}

// Declared inline on purpose: left to its size heuristics, GCC keeps some instantiations out of line,
// and a pass then pays a call and a spill around every native.
template <class R, class... Args>
inline R invoke(uint64_t hash, Args... args) {
    return native_detail::readResult<R>(callHook(hash, args...));
}
