#pragma once
// A bare hook for tests of the call layer: it records every call as pushed and answers each hash
// with result slots the test chose. No world behind it.

#include <cstdint>
#include <map>
#include <vector>

#include "host/native_invoker.h"

namespace recording_hook {

struct Call {
    uint64_t hash = 0;
    std::vector<uint64_t> slots;
};

struct State {
    std::vector<Call> calls;
    std::map<uint64_t, std::vector<uint64_t>> results;
    std::vector<uint64_t> resultBlock = std::vector<uint64_t>(16, 0);
    bool returnNull = false;
};

inline State& state() {
    static State s;
    return s;
}

inline void init(uint64_t hash) { state().calls.push_back(Call{hash, {}}); }
inline void push(uint64_t value) { state().calls.back().slots.push_back(value); }
inline uint64_t* call() {
    State& s = state();
    if (s.returnNull) {
        return nullptr;
    }
    std::fill(s.resultBlock.begin(), s.resultBlock.end(), 0);
    auto found = s.results.find(s.calls.back().hash);
    if (found != s.results.end()) {
        std::copy(found->second.begin(), found->second.end(), s.resultBlock.begin());
    }
    return s.resultBlock.data();
}

// Binds the plug-in to this hook with a clean record; unbinds on destruction.
struct Binding {
    Binding() {
        state() = State{};
        gHook = HookFunctions{};
        gHook.nativeInit = init;
        gHook.nativePush64 = push;
        gHook.nativeCall = call;
    }
    ~Binding() { gHook = HookFunctions{}; }
    Binding(const Binding&) = delete;
    Binding& operator=(const Binding&) = delete;
};

}  // namespace recording_hook
