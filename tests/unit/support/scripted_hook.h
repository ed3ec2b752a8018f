#pragma once
// A hook whose natives answer through handlers a test installs per hash, seeing the pushed
// arguments: enough of a world for record-level tests, with every call logged in order.

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "host/native_invoker.h"

namespace scripted_hook {

struct Call {
    uint64_t hash = 0;
    std::vector<uint64_t> args;
};

using Handler = std::function<std::vector<uint64_t>(const std::vector<uint64_t>& args)>;

struct State {
    std::vector<Call> calls;
    std::map<uint64_t, Handler> handlers;
    uint64_t block[16] = {};
};

inline State& state() {
    static State s;
    return s;
}

inline uint64_t slot(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
inline uint64_t slot(int32_t value) { return static_cast<uint32_t>(value); }
inline float asFloat(uint64_t value) {
    const uint32_t bits = static_cast<uint32_t>(value);
    float f = 0.0f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
inline int32_t asInt(uint64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }
inline std::vector<uint64_t> vec(Vector3 v) { return {slot(v.x), slot(v.y), slot(v.z)}; }

inline void init(uint64_t hash) { state().calls.push_back(Call{hash, {}}); }
inline void push(uint64_t value) { state().calls.back().args.push_back(value); }
inline uint64_t* call() {
    State& s = state();
    std::memset(s.block, 0, sizeof s.block);
    const Call& current = s.calls.back();
    auto found = s.handlers.find(current.hash);
    if (found != s.handlers.end()) {
        const std::vector<uint64_t> result = found->second(current.args);
        for (std::size_t i = 0; i < result.size() && i < 16; ++i) {
            s.block[i] = result[i];
        }
    }
    return s.block;
}

inline std::vector<Call> callsTo(uint64_t hash) {
    std::vector<Call> out;
    for (const Call& c : state().calls) {
        if (c.hash == hash) {
            out.push_back(c);
        }
    }
    return out;
}

// Binds the plug-in to this hook with no handlers; unbinds on destruction.
struct Binding {
    Binding() {
        state().calls.clear();
        state().handlers.clear();
        gHook = HookFunctions{};
        gHook.nativeInit = init;
        gHook.nativePush64 = push;
        gHook.nativeCall = call;
    }
    ~Binding() { gHook = HookFunctions{}; }
    Binding(const Binding&) = delete;
    Binding& operator=(const Binding&) = delete;
};

}  // namespace scripted_hook
