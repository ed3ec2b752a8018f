#include "sim/runners/answer_tape.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "host/native_catalogue.h"
#include "host/native_invoker.h"
#include "sim/world/hook.h"
#include "sim/world/world.h"
#include "util/count.h"

namespace sim {

namespace {

constexpr uint8_t kZero = 0x00;
constexpr uint8_t kPrevious = 0x01;
constexpr uint8_t kRaw = 0x02;
constexpr uint8_t kGiven = 0x03;
constexpr uint8_t kDead = 0x04;
constexpr uint8_t kFirstSpecial = 0x05;
constexpr uint8_t kNewHandle = 0x10;
constexpr uint8_t kFirstSmall = 0x11;
constexpr int kIntegerZeroTag = 0x20;
constexpr int kFloatZeroTag = 0x88;

constexpr uint32_t kSpecials[] = {
    0x7FC00000u,  // NaN
    0xFFC00000u,  // -NaN
    0x7F800000u,  // +inf
    0xFF800000u,  // -inf
    0x7F7FFFFFu,  // the largest float
    0xFF7FFFFFu,  // and its negative
    0x00000001u,  // the smallest subnormal
    0x80000001u,  // and its negative
    0x80000000u,  // INT32_MIN (and -0.0)
    0x7FFFFFFFu,  // INT32_MAX
    0xFFFFFFFFu,  // -1
};
static_assert(kFirstSpecial + std::size(kSpecials) == kNewHandle);

// The frame time's own slot in the memory of previous answers.
constexpr uint64_t kFrameTimeKey = 0;
// Where the tape's made-up handles start: far from any slot the stand-in's world hands out.
constexpr int32_t kFirstTapeHandle = (2000 << 8) | 1;
// Entries of the nearby list the game writes at most, whatever the buffer claims.
constexpr uint32_t kNearbyEntries = 256;

bool isFloat(AnswerKind kind) { return kind == AnswerKind::Float || kind == AnswerKind::Vector || kind == AnswerKind::FrameTime; }

uint32_t smallValue(AnswerKind kind, uint8_t tag) {
    if (isFloat(kind)) return std::bit_cast<uint32_t>(static_cast<float>(static_cast<int>(tag) - kFloatZeroTag) / 4.0f);
    return static_cast<uint32_t>(static_cast<int32_t>(tag) - kIntegerZeroTag);
}

int32_t deadOf(int32_t handle) {
    const auto bits = static_cast<uint32_t>(handle);
    return static_cast<int32_t>((bits & ~0xFFu) | ((bits + 1u) & 0xFFu));
}

AnswerKind kindOf(Native native, std::string_view op, std::string_view result) {
    if (op == "ListNearbyVehicles") return AnswerKind::Nearby;
    if (nativeIdentity(native).handleAddress) return AnswerKind::Deletion;
    if (op == "HashName") return AnswerKind::HashName;
    if (op == "GetFrameSeconds") return AnswerKind::FrameTime;
    if (op.substr(0, 7) == "Control" || op.substr(0, 15) == "DisabledControl") return AnswerKind::Control;
    if (result == "void") return AnswerKind::None;
    if (result == "bool") return AnswerKind::Bool;
    if (result == "float") return AnswerKind::Float;
    if (result == "Vector3") return AnswerKind::Vector;
    if (result == "ModelHash" || result == "uint32_t") return AnswerKind::Hash;
    return AnswerKind::Handle;
}

size_t resultWords(AnswerKind kind) {
    switch (kind) {
        case AnswerKind::Bool:
        case AnswerKind::Handle:
        case AnswerKind::Hash:
        case AnswerKind::Float: return 1;
        case AnswerKind::Vector: return 3;
        default: return 0;
    }
}

bool contains(const std::vector<int32_t>& list, int32_t value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The entries of the nearby list the game fills: as many as it found, no more than the buffer says
// it holds.
uint32_t nearbyEntries(int32_t count, const uint64_t* buffer) {
    return std::min({static_cast<uint32_t>(countOrZero(count)), static_cast<uint32_t>(buffer[0]), kNearbyEntries});
}

uint64_t* pointerArgument(const NativeCall& call, size_t index) {
    if (call.args.size() <= index || call.args[index].raw == 0) return nullptr;
    return reinterpret_cast<uint64_t*>(static_cast<uintptr_t>(call.args[index].raw));
}

// The words of the hook's vehicle lists go under a hash no native has.
constexpr uint64_t kVehicleListHash = 0;

AnswerRecorder* gListRecorder = nullptr;
AnswerPlayer* gListPlayer = nullptr;

int32_t recordedList(int32_t* handles, int32_t capacity) {
    const int32_t count = hookWorldGetAllVehicles(handles, capacity);
    if (gListRecorder != nullptr) gListRecorder->listed(handles, count);
    return count;
}

int32_t playedList(int32_t* handles, int32_t capacity) {
    return gListPlayer != nullptr ? gListPlayer->list(handles, capacity) : 0;
}

}  // namespace

void AnswerRecorder::listed(const int32_t* handles, int32_t count) {
    word(AnswerKind::Nearby, kVehicleListHash, 0, static_cast<uint32_t>(count));
    for (int32_t i = 0; i < count && static_cast<uint32_t>(i) < kNearbyEntries; ++i)
        word(AnswerKind::Handle, kVehicleListHash, 1, static_cast<uint32_t>(handles[i]));
}

void AnswerRecorder::recordListsInto(AnswerRecorder* recorder) {
    gListRecorder = recorder;
    gHook.worldGetAllVehicles = recorder != nullptr ? recordedList : hookWorldGetAllVehicles;
}

int32_t AnswerPlayer::list(int32_t* handles, int32_t capacity) {
    const auto count = static_cast<int32_t>(word(AnswerKind::Nearby, kVehicleListHash, 0));
    const uint32_t entries = std::min({static_cast<uint32_t>(countOrZero(count)), static_cast<uint32_t>(std::max(capacity, 0)), kNearbyEntries});
    for (uint32_t i = 0; i < entries; ++i)
        handles[i] = static_cast<int32_t>(word(AnswerKind::Handle, kVehicleListHash, 1));
    return static_cast<int32_t>(entries);
}

void AnswerPlayer::playListsFrom(AnswerPlayer* player) {
    gListPlayer = player;
    gHook.worldGetAllVehicles = player != nullptr ? playedList : hookWorldGetAllVehicles;
}

AnswerKind answerKind(uint64_t hash) {
    static const std::unordered_map<uint64_t, AnswerKind> byHash = {
#define VORN_TAPE_ROW(op, hash, publicName, shape, result, ...) {hash, kindOf(Native::op, #op, #result)},
        VORN_NATIVES(VORN_TAPE_ROW)
#undef VORN_TAPE_ROW
    };
    const auto it = byHash.find(hash);
    return it == byHash.end() ? AnswerKind::None : it->second;
}

void AnswerTapeState::rememberHandle(int32_t handle) {
    if (handle != 0 && given_.insert(handle).second) handles_.push_back(handle);
}

void AnswerTapeState::rememberHash(uint32_t hash) {
    if (hash != 0 && std::find(hashes_.begin(), hashes_.end(), hash) == hashes_.end()) hashes_.push_back(hash);
}

uint32_t AnswerTapeState::previous(uint64_t hash, size_t slot) const {
    const auto it = previous_.find({hash, slot});
    return it == previous_.end() ? 0u : it->second;
}

void AnswerTapeState::setPrevious(uint64_t hash, size_t slot, uint32_t word) { previous_[{hash, slot}] = word; }

// --- Recording ---

AnswerRecorder::AnswerRecorder(const std::optional<std::string>& ini) {
    if (ini) bytes_ = ini->substr(0, ini->find('\0'));
    bytes_ += '\0';
}

void AnswerRecorder::beginFrame(const std::vector<PhysicalInput>& held, float frameSeconds) {
    uint32_t bits = 0;
    for (size_t i = 0; i < std::size(kTapeInputs); ++i)
        if (std::find(held.begin(), held.end(), PhysicalInput{kTapeInputs[i].device, kTapeInputs[i].name}) != held.end())
            bits |= 1u << i;
    bytes_ += static_cast<char>(bits & 0xFFu);
    bytes_ += static_cast<char>(bits >> 8);
    word(AnswerKind::FrameTime, kFrameTimeKey, 0, std::bit_cast<uint32_t>(frameSeconds));
}

void AnswerRecorder::word(AnswerKind kind, uint64_t hash, size_t slot, uint32_t value) {
    auto put = [&](uint8_t b) { bytes_ += static_cast<char>(b); };
    const auto at = [](const auto& list, auto v) { return std::find(list.begin(), list.end(), v) - list.begin(); };
    if (value == 0) {
        put(kZero);
    } else if (value == previous(hash, slot)) {
        put(kPrevious);
    } else {
        bool done = false;
        for (size_t i = 0; i < std::size(kSpecials) && !done; ++i) {
            if (kSpecials[i] == value) {
                put(static_cast<uint8_t>(kFirstSpecial + i));
                done = true;
            }
        }
        for (int tag = kFirstSmall; tag <= 0xFF && !done; ++tag) {
            if (smallValue(kind, static_cast<uint8_t>(tag)) == value) {
                put(static_cast<uint8_t>(tag));
                done = true;
            }
        }
        if (!done && kind == AnswerKind::Handle && given_.count(static_cast<int32_t>(value)) != 0) {
            const auto index = at(handles_, static_cast<int32_t>(value));
            if (index < 256) {
                put(kGiven);
                put(static_cast<uint8_t>(index));
                done = true;
            }
        }
        if (!done && kind == AnswerKind::Hash) {
            const auto index = at(hashes_, value);
            if (index < static_cast<std::ptrdiff_t>(std::min<size_t>(hashes_.size(), 256))) {
                put(kGiven);
                put(static_cast<uint8_t>(index));
                done = true;
            }
        }
        if (!done) {
            put(kRaw);
            for (int shift = 0; shift < 32; shift += 8) put(static_cast<uint8_t>(value >> shift));
        }
    }
    setPrevious(hash, slot, value);
    if (kind == AnswerKind::Handle) rememberHandle(static_cast<int32_t>(value));
}

void AnswerRecorder::answered(const NativeCall& call, const uint64_t* result) {
    const AnswerKind kind = answerKind(call.hash);
    switch (kind) {
        case AnswerKind::HashName: rememberHash(static_cast<uint32_t>(result[0])); return;
        case AnswerKind::Nearby: {
            const auto count = static_cast<int32_t>(static_cast<uint32_t>(result[0]));
            word(AnswerKind::Nearby, call.hash, 0, static_cast<uint32_t>(count));
            const uint64_t* buffer = pointerArgument(call, 1);
            if (buffer == nullptr) return;
            const uint32_t entries = nearbyEntries(count, buffer);
            for (uint32_t i = 1; i <= entries; ++i)
                word(AnswerKind::Handle, call.hash, 1, static_cast<uint32_t>(buffer[i]));
            return;
        }
        case AnswerKind::Deletion: {
            const uint64_t* handle = pointerArgument(call, 0);
            int32_t left = 0;
            if (handle != nullptr) std::memcpy(&left, handle, sizeof left);
            bytes_ += static_cast<char>(left == 0 ? 0 : 1);
            return;
        }
        default:
            for (size_t i = 0; i < resultWords(kind); ++i)
                word(kind, call.hash, i, static_cast<uint32_t>(result[i]));
    }
}

// --- Playing ---

std::pair<std::optional<std::string>, size_t> AnswerPlayer::splitIni(const uint8_t* data, size_t size) {
    const auto* end = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t length = end == nullptr ? size : static_cast<size_t>(end - data);
    std::optional<std::string> ini;
    if (length > 0) ini = std::string(reinterpret_cast<const char*>(data), length);
    return {ini, end == nullptr ? size : length + 1};
}

AnswerPlayer::AnswerPlayer(const uint8_t* data, size_t size) : data_(data), size_(size) {
    next_ = splitIni(data, size).second;
    nextHandle_ = kFirstTapeHandle;
}

uint8_t AnswerPlayer::byte() { return next_ < size_ ? data_[next_++] : 0; }

uint32_t AnswerPlayer::word(AnswerKind kind, uint64_t hash, size_t slot) {
    const uint8_t tag = byte();
    uint32_t value = 0;
    if (tag == kZero) {
        value = 0;
    } else if (tag == kPrevious) {
        value = previous(hash, slot);
    } else if (tag == kRaw) {
        for (int shift = 0; shift < 32; shift += 8) value |= static_cast<uint32_t>(byte()) << shift;
    } else if (tag == kGiven || tag == kDead) {
        const uint8_t index = byte();
        if (kind == AnswerKind::Hash) {
            value = hashes_.empty() ? 0u : hashes_[index % hashes_.size()];
        } else if (!handles_.empty()) {
            const int32_t handle = handles_[index % handles_.size()];
            value = static_cast<uint32_t>(tag == kDead ? deadOf(handle) : handle);
        }
    } else if (tag < kNewHandle) {
        value = kSpecials[tag - kFirstSpecial];
    } else if (tag == kNewHandle) {
        value = static_cast<uint32_t>(nextHandle_);
        nextHandle_ += 1 << 8;
    } else {
        value = smallValue(kind, tag);
    }
    setPrevious(hash, slot, value);
    if (kind == AnswerKind::Handle) rememberHandle(static_cast<int32_t>(value));
    return value;
}

AnswerPlayer::Frame AnswerPlayer::nextFrame() {
    Frame frame;
    const uint32_t bits = byte() | (static_cast<uint32_t>(byte()) << 8);
    for (size_t i = 0; i < std::size(kTapeInputs); ++i)
        if ((bits & (1u << i)) != 0) frame.held.push_back(PhysicalInput{kTapeInputs[i].device, kTapeInputs[i].name});
    disabled_.clear();
    frame.seconds = std::bit_cast<float>(word(AnswerKind::FrameTime, kFrameTimeKey, 0));
    return frame;
}

void AnswerPlayer::answer(const NativeCall& call, uint64_t* result, const FrameInput& input) {
    // The game writes 32 bits into a slot; the upper half keeps what was there (here: the last word).
    auto put = [&](size_t slot, uint32_t value) {
        result[slot] = (static_cast<uint64_t>(lastWord_) << 32) | value;
        lastWord_ = value;
    };
    const AnswerKind kind = answerKind(call.hash);
    const int32_t control = call.args.size() > 1 ? call.args[1].i : 0;
    if (call.hash == nativeIdentity(Native::DisableControl).hash && !contains(disabled_, control)) disabled_.push_back(control);
    switch (kind) {
        case AnswerKind::None: return;
        case AnswerKind::Control: {
            // As the game answers: a control held off reads as neither pressed nor released, except
            // through the natives made to read it so.
            const bool off = contains(disabled_, control);
            bool down = false;
            if (call.hash == nativeIdentity(Native::ControlJustPressed).hash) down = !off && contains(input.justPressed, control);
            else if (call.hash == nativeIdentity(Native::ControlJustReleased).hash) down = !off && contains(input.justReleased, control);
            else if (call.hash == nativeIdentity(Native::ControlHeld).hash) down = !off && contains(input.down, control);
            else if (call.hash == nativeIdentity(Native::ControlUp).hash) down = !off && !contains(input.down, control);
            else if (call.hash == nativeIdentity(Native::DisabledControlJustPressed).hash) down = contains(input.justPressed, control);
            else if (call.hash == nativeIdentity(Native::DisabledControlJustReleased).hash) down = contains(input.justReleased, control);
            else down = contains(input.down, control);
            return put(0, down ? 1u : 0u);
        }
        case AnswerKind::FrameTime: return put(0, std::bit_cast<uint32_t>(input.frameSeconds));
        case AnswerKind::HashName: {
            const uint32_t hash = call.args.empty() ? 0u : hashName(call.args[0].text.c_str());
            rememberHash(hash);
            return put(0, hash);
        }
        case AnswerKind::Nearby: {
            const auto count = static_cast<int32_t>(word(AnswerKind::Nearby, call.hash, 0));
            put(0, static_cast<uint32_t>(count));
            uint64_t* buffer = pointerArgument(call, 1);
            if (buffer == nullptr) return;
            const uint32_t entries = nearbyEntries(count, buffer);
            for (uint32_t i = 1; i <= entries; ++i)
                buffer[i] = (buffer[i] & 0xFFFFFFFF00000000ull) | word(AnswerKind::Handle, call.hash, 1);
            return;
        }
        case AnswerKind::Deletion: {
            uint64_t* pointer = pointerArgument(call, 0);
            const bool clears = byte() == 0;
            if (pointer == nullptr) return;
            int32_t handle = 0;
            std::memcpy(&handle, pointer, sizeof handle);
            if (given_.count(handle) == 0)
                faults.push_back(std::string(call.op) + " of " + std::to_string(handle) + ", a handle the game never gave");
            if (clears) {
                handle = 0;
                std::memcpy(pointer, &handle, sizeof handle);
            }
            return;
        }
        default:
            for (size_t i = 0; i < resultWords(kind); ++i) put(i, word(kind, call.hash, i));
    }
}

}  // namespace sim
