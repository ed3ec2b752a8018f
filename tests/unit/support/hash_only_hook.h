#pragma once
// A stand-in hook that knows a single operation, the game's name hash, and answers it the way the game
// does: Jenkins one-at-a-time over the lower-cased text. Every other native reads zeros. Enough for the
// configuration code, which calls nothing else; tests of gameplay use the simulator instead.

#include <cctype>
#include <cstdint>

#include "host/native_catalogue.h"
#include "host/native_invoker.h"

namespace hash_only_hook {

inline constexpr uint64_t kHashName = nativeIdentity(Native::HashName).hash;

inline uint32_t jenkinsLower(const char* text) {
    uint32_t hash = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        hash += static_cast<uint32_t>(std::tolower(*p));
        hash += hash << 10;
        hash ^= hash >> 6;
    }
    hash += hash << 3;
    hash ^= hash >> 11;
    hash += hash << 15;
    return hash;
}

struct State {
    uint64_t hash = 0;
    uint64_t firstArgument = 0;
    int arguments = 0;
    int hashCalls = 0;
    uint64_t result[3] = {0, 0, 0};
};

inline State& state() {
    static State s;
    return s;
}

inline void init(uint64_t hash) {
    state().hash = hash;
    state().arguments = 0;
}
inline void push(uint64_t value) {
    if (state().arguments++ == 0) {
        state().firstArgument = value;
    }
}
inline uint64_t* call() {
    State& s = state();
    s.result[0] = s.result[1] = s.result[2] = 0;
    if (s.hash == kHashName && s.arguments == 1 && s.firstArgument != 0) {
        ++s.hashCalls;
        s.result[0] = jenkinsLower(reinterpret_cast<const char*>(static_cast<uintptr_t>(s.firstArgument)));
    }
    return s.result;
}

// Binds the plug-in to this hook; puts back whatever was bound before on destruction.
struct Binding {
    Binding() : previous(gHook) {
        state() = State{};
        gHook = HookFunctions{};
        gHook.nativeInit = init;
        gHook.nativePush64 = push;
        gHook.nativeCall = call;
    }
    ~Binding() { gHook = previous; }
    Binding(const Binding&) = delete;
    Binding& operator=(const Binding&) = delete;
    HookFunctions previous;
};

}  // namespace hash_only_hook
