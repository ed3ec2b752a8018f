#include "sim/world/hook.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "host/native_catalogue.h"

namespace sim {

Hook* Hook::current = nullptr;

namespace {

constexpr size_t kResultSlots = Hook::resultSlots;
// What a stale result block reads as: a NaN as float, an absurd handle as integer.
constexpr uint64_t kPoison = 0xFFBADBADFFBADBADull;

void jsonEscape(std::string& out, const std::string& text) {
    out += '"';
    for (unsigned char ch : text) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20 || ch >= 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", ch);
            out += buffer;
        } else {
            out += static_cast<char>(ch);
        }
    }
    out += '"';
}

}  // namespace

std::string hex(uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%016llX", static_cast<unsigned long long>(value));
    return buffer;
}

std::string traceFloat(float value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "\"nan\"" : (value > 0 ? "\"inf\"" : "\"-inf\"");
    char buffer[32];
    auto res = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, res.ptr);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

Hook::Hook(World& w) : world(w) {}

Hook::~Hook() {
    delete[] result_;
    if (current == this) current = nullptr;
}

void Hook::violation(const std::string& text) {
    violations.push_back("frame " + std::to_string(frame) + ": " + text);
}

void Hook::beginFrame(int f) {
    frame = f;
    calls.clear();
    deletions.clear();
    if (frameBegun) frameBegun();
}

void Hook::nativeInit(uint64_t hash) {
    if (pending_) violation("nativeInit of " + hex(hash) + " while the call of " + hex(pendingHash_) + " was still open");
    // The previous result is dead now; whoever still reads it reads garbage (or trips ASan).
    if (result_ != nullptr) {
        std::fill(result_, result_ + kResultSlots, kPoison);
        delete[] result_;
        result_ = nullptr;
    }
    pendingHash_ = hash;
    pending_ = true;
    pushed_ = 0;
}

void Hook::nativePush64(uint64_t value) {
    if (!pending_) violation("nativePush64 outside a call");
    if (pushed_ < argumentSlots) block_[pushed_] = value;
    ++pushed_;
}

namespace {

// Reads one slot as the game reads a parameter of that kind. With `check`, every fault of the
// slot is a violation (named by the native and the argument's place, told only when there is one);
// without, the slot is one the game reads stale and only its usability counts.
bool decodeArgument(Hook& hook, ArgValue& a, const char* op, size_t index, bool check) {
    auto fault = [&](const std::string& what) {
        if (check) hook.violation(std::string(op) + " argument " + std::to_string(index + 1) + ": " + what);
    };
    bool sound = true;
    switch (a.kind) {
        case ArgKind::Int:
        case ArgKind::Bool:
        case ArgKind::Float:
            if (check && (a.raw >> 32) != 0) {
                fault("high half not zero (" + hex(a.raw) + ")");
                sound = false;
            }
            a.i = static_cast<int32_t>(static_cast<uint32_t>(a.raw));
            if (a.kind == ArgKind::Float) {
                const uint32_t bits = static_cast<uint32_t>(a.raw);
                std::memcpy(&a.f, &bits, sizeof a.f);
                if (!std::isfinite(a.f)) {
                    fault("non-finite float");
                    sound = false;
                }
            } else if (a.kind == ArgKind::Bool && a.i != 0 && a.i != 1) {
                fault("boolean " + std::to_string(a.i));
            }
            break;
        case ArgKind::Pointer:
        case ArgKind::Text:
            // A stale address may point anywhere: the stand-in never follows one.
            if (!check || a.raw == 0) {
                fault("null pointer");
                sound = false;
            } else if (a.kind == ArgKind::Text) {
                a.text = reinterpret_cast<const char*>(static_cast<uintptr_t>(a.raw));
            }
            break;
    }
    return sound;
}

bool takesHandleAddress(uint64_t hash) {
    for (const NativeIdentity& row : kNatives)
        if (row.handleAddress && row.hash == hash) return true;
    return false;
}

// Result slots that a handler leaves alone keep this mark until the call ends; no handler writes a
// value with both halves like it.
constexpr uint64_t kUnwritten = 0x5EA1ED0F5EA1ED0Full;

}  // namespace

uint64_t* Hook::nativeCall() {
    if (!pending_) violation("nativeCall without nativeInit");
    pending_ = false;
    delete[] result_;
    result_ = new uint64_t[kResultSlots];
    std::fill(result_, result_ + kResultSlots, kUnwritten);
    ++totalCalls;
    const NativeInfo* info = findNative(pendingHash_);
    if (info == nullptr) {
        violation("unknown native " + hex(pendingHash_));
        std::fill(result_, result_ + kResultSlots, 0);
        return result_;
    }
    const size_t expected = std::strlen(info->kinds);
    NativeCall call;
    call.frame = frame;
    call.op = info->op;
    call.hash = pendingHash_;
    bool sound = true;
    if (pushed_ > argumentSlots) {
        violation(std::string(info->op) + ": " + std::to_string(pushed_) + " arguments overrun the hook's block of " +
                  std::to_string(argumentSlots));
        sound = false;
    } else if (pushed_ > expected) {
        violation(std::string(info->op) + ": " + std::to_string(pushed_) + " arguments, expected " +
                  std::to_string(expected));
        sound = false;
    }
    const size_t pushed = std::min(pushed_, argumentSlots);
    call.args.reserve(pushed);
    for (size_t i = 0; i < pushed; ++i) {
        ArgValue a;
        a.raw = block_[i];
        a.kind = i < expected ? static_cast<ArgKind>(info->kinds[i]) : ArgKind::Int;
        sound = decodeArgument(*this, a, info->op, i, true) && sound;
        call.args.push_back(std::move(a));
    }
    // A short call still runs in the game, on what earlier calls left in the block (an open
    // re-implementation of the hook, whose native context is the one of the original script hook's
    // SDK, keeps a single block for arguments and results and resets only its count).
    std::vector<ArgValue> read;
    if (pushed < expected) {
        violation(std::string(info->op) + ": " + std::to_string(pushed) + " arguments, expected " +
                  std::to_string(expected) + "; the game reads parameter " + std::to_string(pushed + 1) +
                  " stale (" + hex(block_[pushed]) + ")");
        read = call.args;
        for (size_t i = pushed; i < expected; ++i) {
            ArgValue a;
            a.raw = block_[i];
            a.kind = static_cast<ArgKind>(info->kinds[i]);
            sound = decodeArgument(*this, a, info->op, i, false) && sound;
            read.push_back(std::move(a));
        }
    }
    if (sound && !call.args.empty() && takesHandleAddress(call.hash)) {
        const auto* handle = reinterpret_cast<const void*>(static_cast<uintptr_t>(call.args[0].raw));
        std::memcpy(&call.handleArgument, handle, sizeof call.handleArgument);
    }
    if (trace != nullptr) writeTrace(call);
    if (answer) {
        answer(call, result_);
    } else if (sound && !answerZero) {
        info->handler(*this, read.empty() ? call.args : read, result_);
    }
    // The game writes its results over the argument block, where the next short call finds them.
    for (size_t i = 0; i < kResultSlots; ++i) {
        if (result_[i] == kUnwritten) {
            result_[i] = 0;
        } else {
            block_[i] = result_[i];
        }
    }
    std::copy(result_, result_ + std::size(call.result), call.result);
    if (answered) answered(call, result_);
    calls.push_back(std::move(call));
    return result_;
}

void Hook::writeTrace(const NativeCall& call) {
    std::string line = "{\"frame\":" + std::to_string(call.frame) + ",\"op\":\"" + std::string(call.op) + "\",\"hash\":\"" +
                       hex(call.hash) + "\",\"args\":[";
    for (size_t i = 0; i < call.args.size(); ++i) {
        const ArgValue& a = call.args[i];
        if (i > 0) line += ',';
        switch (a.kind) {
            case ArgKind::Int:
            case ArgKind::Bool: line += std::to_string(a.i); break;
            case ArgKind::Float: line += traceFloat(a.f); break;
            case ArgKind::Text: jsonEscape(line, a.text); break;
            case ArgKind::Pointer: line += "\"ptr\""; break;
        }
    }
    line += "]}\n";
    *trace << line;
}

void hookNativeInit(uint64_t hash) {
    if (Hook::current != nullptr) Hook::current->nativeInit(hash);
}
void hookNativePush64(uint64_t value) {
    if (Hook::current != nullptr) Hook::current->nativePush64(value);
}
uint64_t* hookNativeCall() { return Hook::current != nullptr ? Hook::current->nativeCall() : nullptr; }

// The SDK writes no more than the capacity it is given (its users' reports: the handles of the
// game's vehicle pool up to the array's size). A call outside a native call is the script's own.
int hookWorldGetAllVehicles(int* buffer, int capacity) {
    Hook* h = Hook::current;
    if (h == nullptr) return 0;
    ++h->vehicleListings;
    if (buffer == nullptr || capacity <= 0) {
        if (buffer == nullptr && capacity > 0) h->violation("worldGetAllVehicles: no buffer for " + std::to_string(capacity));
        return 0;
    }
    int count = 0;
    for (EntityHandle v : h->world.allVehicles()) {
        if (count == capacity) break;
        buffer[count++] = v;
    }
    return count;
}

}  // namespace sim
