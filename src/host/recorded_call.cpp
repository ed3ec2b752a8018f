// The recorder's record of a native call: which one, the digest of its integer and text arguments,
// its float arguments and its answer, each word predicted by the same word of the previous pass.

#include <cstring>

#include "host/native_invoker.h"
#include "host/recorder_ring.h"
#include "util/count.h"

namespace recorder_detail {
namespace {

template <WordKind kind>
uint8_t* putNewWord(uint8_t* out, uint32_t value) {
    if (value == 0) {
        *out++ = kZero;
    } else if (const uint8_t tag = smallTag(kind, value); tag != 0) {
        *out++ = tag;
    } else {
        *out++ = kRaw;
        put32(out, value);
    }
    return out;
}

// A word of a call, predicted by the same word of this native's call at the same place in the
// previous pass: most words of a pass repeat the last, a byte each, and most calls all of theirs.
template <WordKind kind>
inline void putWord(uint8_t*& out, uint32_t value, uint32_t& prediction, bool& fresh) {
    if (value == prediction) {
        *out++ = kPredicted;
        return;
    }
    prediction = value;
    fresh = true;
    out = putNewWord<kind>(out, value);
}

}  // namespace
}  // namespace recorder_detail

using namespace recorder_detail;

template <Native N>
const uint64_t* recordedNativeCall(const uint64_t* arguments) {
    constexpr size_t index = static_cast<size_t>(N);
    constexpr CallShape shape = kCallShape<N>;
    constexpr AnswerKind answer = kAnswerKinds[static_cast<size_t>(N)];
    const uint64_t* slots = native_detail::kNoResult;
    // The buffer's capacity as the plug-in gave it: the game may write into its first slot.
    uint64_t capacity = 0;
    if constexpr (answer == AnswerKind::NearbyList) {
        const auto* buffer = reinterpret_cast<const uint64_t*>(static_cast<uintptr_t>(arguments[1]));
        capacity = buffer != nullptr ? buffer[0] : 0;
    }
    if (gHook.nativeCall != nullptr) {
        gHook.nativeInit(kNatives[index].hash);
        for (size_t i = 0; i < shape.arguments; ++i) {
            gHook.nativePush64(arguments[i]);
        }
        if (const uint64_t* returned = gHook.nativeCall()) {
            slots = returned;
        }
    }
    Recorder& r = gRecorder;
    const size_t place = r.occurrences[index] < kPredictedCalls - 1 ? r.occurrences[index]++ : kPredictedCalls - 1;
    uint32_t* const predicted = r.predictions[index][place];
    uint32_t* last = predicted;  // the words past kPredictedWords share the last prediction
    auto next = [&]() -> uint32_t& { return last < predicted + kPredictedWords - 1 ? *last++ : *last; };

    constexpr size_t most = answer == AnswerKind::NearbyList ? kStagingBytes : 1 + 5 * (1 + shape.arguments + 3);
    uint8_t* const begin = reserve(most);
    uint8_t* out = begin;
    bool fresh = false;
    *out++ = static_cast<uint8_t>(index);
    if constexpr ((shape.integers | shape.texts) != 0) {
        uint32_t digest = kFnv32Basis;
        for (size_t i = 0; i < shape.arguments; ++i) {
            if ((shape.integers >> i) & 1u) {
                digest = digestWord(digest, static_cast<uint32_t>(arguments[i]));
            } else if ((shape.texts >> i) & 1u) {
                digest = digestText(digest, reinterpret_cast<const char*>(static_cast<uintptr_t>(arguments[i])));
            }
        }
        putWord<WordKind::Integer>(out, digest, next(), fresh);
    }
    for (size_t i = 0; i < shape.arguments; ++i) {
        if ((shape.floats >> i) & 1u) {
            putWord<WordKind::Float>(out, static_cast<uint32_t>(arguments[i]), next(), fresh);
        }
    }
    if constexpr (answer == AnswerKind::Integer) {
        putWord<WordKind::Integer>(out, static_cast<uint32_t>(slots[0]), next(), fresh);
    } else if constexpr (answer == AnswerKind::Float) {
        putWord<WordKind::Float>(out, static_cast<uint32_t>(slots[0]), next(), fresh);
    } else if constexpr (answer == AnswerKind::Vector) {
        for (size_t i = 0; i < 3; ++i) putWord<WordKind::Float>(out, static_cast<uint32_t>(slots[i]), next(), fresh);
    } else if constexpr (answer == AnswerKind::NearbyList) {
        // The count the game gave, then the entries it wrote: no more than the buffer holds.
        const auto found = static_cast<int32_t>(static_cast<uint32_t>(slots[0]));
        putWord<WordKind::Integer>(out, static_cast<uint32_t>(found), next(), fresh);
        const auto* buffer = reinterpret_cast<const uint64_t*>(static_cast<uintptr_t>(arguments[1]));
        uint64_t entries = buffer != nullptr ? countOrZero(found) : 0;
        entries = entries > capacity ? capacity : entries;
        entries = entries < kNearbyEntries ? entries : kNearbyEntries;
        putWord<WordKind::Integer>(out, static_cast<uint32_t>(entries), next(), fresh);
        for (uint64_t i = 1; i <= entries; ++i) {
            putWord<WordKind::Integer>(out, static_cast<uint32_t>(buffer[i]), next(), fresh);
        }
    } else if constexpr (answer == AnswerKind::Deletion) {
        const auto* handle = reinterpret_cast<const EntityHandle*>(static_cast<uintptr_t>(arguments[0]));
        putWord<WordKind::Integer>(out, handle != nullptr && *handle != 0 ? 1u : 0u, next(), fresh);
    }
    if (!fresh) {
        *begin = static_cast<uint8_t>(kRepeatedCall + index);
        out = begin + 1;
    }
    finish(begin, out);
    return slots;
}

#define VORN_RECORDED_CALL(op, ...) template const uint64_t* recordedNativeCall<Native::op>(const uint64_t*);
VORN_NATIVES(VORN_RECORDED_CALL)
#undef VORN_RECORDED_CALL
