// The recorder's record of a native call: which one, the digest of its integer and text arguments,
// its float arguments and its answer, each word predicted by the same word of the previous pass.

#include <cstring>
#include <utility>

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

// The words of a call of which at least one differs from its prediction, after the call's tag; the
// predictions take them. Returns the end of its bytes.
uint8_t* putFreshWords(uint8_t* out, const uint32_t* words, size_t count, uint32_t floats, uint32_t* predicted) {
    for (size_t i = 0; i < count; ++i) {
        if (words[i] == predicted[i]) {
            *out++ = kPredicted;
            continue;
        }
        predicted[i] = words[i];
        out = ((floats >> i) & 1u) != 0 ? putNewWord<WordKind::Float>(out, words[i])
                                         : putNewWord<WordKind::Integer>(out, words[i]);
    }
    return out;
}

// The digest of a native that takes one text and nothing else that is digested.
uint32_t textDigest(size_t row, size_t place, const char* text) {
    if (text == nullptr) {
        return digestText(kFnv32Basis, nullptr);
    }
    const size_t length = digestedLength(text);
    KeptText& kept = gRecorder.texts[row][place];
    if (kept.known && kept.length == length && std::memcmp(kept.bytes, text, length) == 0) {
        return kept.digest;
    }
    const uint32_t digest = digestTextBytes(kFnv32Basis, text, length);
    if (length <= kKeptTextBytes) {
        kept.known = true;
        kept.length = static_cast<uint8_t>(length);
        std::memcpy(kept.bytes, text, length);
        kept.digest = digest;
    }
    return digest;
}

// A call's words besides a nearby list: the digest, the float arguments and the answer. `floats` has a
// bit for each word that is a float.
struct WordLayout {
    size_t count = 0;
    uint32_t floats = 0;
};

template <Native N>
constexpr WordLayout wordLayout() {
    constexpr CallShape shape = kCallShape<N>;
    constexpr AnswerKind answer = kAnswerKinds[static_cast<size_t>(N)];
    WordLayout layout;
    if ((shape.integers | shape.texts) != 0) ++layout.count;
    for (size_t i = 0; i < shape.arguments; ++i) {
        if ((shape.floats >> i) & 1u) layout.floats |= 1u << layout.count++;
    }
    if (answer == AnswerKind::Integer || answer == AnswerKind::Deletion) ++layout.count;
    if (answer == AnswerKind::Float) layout.floats |= 1u << layout.count++;
    if (answer == AnswerKind::Vector) {
        for (int i = 0; i < 3; ++i) layout.floats |= 1u << layout.count++;
    }
    return layout;
}

// The positions of a shape's arguments that have a bit in `bits`, for the folds below: a native's
// words are made with no loop over its shape at run time.
struct Positions {
    uint8_t at[16] = {};
    size_t count = 0;
};
constexpr Positions positionsOf(uint32_t bits, size_t arguments) {
    Positions p;
    for (size_t i = 0; i < arguments; ++i) {
        if ((bits >> i) & 1u) p.at[p.count++] = static_cast<uint8_t>(i);
    }
    return p;
}
template <Native N>
constexpr Positions kDigested = positionsOf(kCallShape<N>.integers | kCallShape<N>.texts, kCallShape<N>.arguments);
template <Native N>
constexpr Positions kFloats = positionsOf(kCallShape<N>.floats, kCallShape<N>.arguments);

template <bool text>
inline uint32_t digestStep(uint32_t h, uint64_t argument) {
    if constexpr (text) {
        return digestText(h, reinterpret_cast<const char*>(static_cast<uintptr_t>(argument)));
    } else {
        return digestWord(h, static_cast<uint32_t>(argument));
    }
}

template <Native N, size_t... I>
inline uint32_t digestOf([[maybe_unused]] const uint64_t* arguments, std::index_sequence<I...>) {
    uint32_t h = kFnv32Basis;
    constexpr uint32_t texts = kCallShape<N>.texts;
    ((h = digestStep<((texts >> kDigested<N>.at[I]) & 1u) != 0>(h, arguments[kDigested<N>.at[I]])), ...);
    return h;
}

template <Native N, size_t... I>
inline void copyFloats([[maybe_unused]] uint32_t* words, [[maybe_unused]] const uint64_t* arguments,
                       std::index_sequence<I...>) {
    ((words[I] = static_cast<uint32_t>(arguments[kFloats<N>.at[I]])), ...);
}

// Word by word, without a branch: a memcmp would read the words back as wider loads than they were
// stored with, and wait for them.
template <size_t... I>
inline bool repeats([[maybe_unused]] const uint32_t* words, [[maybe_unused]] const uint32_t* predicted,
                    std::index_sequence<I...>) {
    return (true & ... & (words[I] == predicted[I]));
}

// The record of a call made: `capacity` is a nearby list's buffer capacity as it stood before the call.
template <Native N>
inline void recordCall(const uint64_t* arguments, const uint64_t* slots, uint64_t capacity) {
    constexpr size_t index = static_cast<size_t>(N);
    constexpr CallShape shape = kCallShape<N>;
    constexpr AnswerKind answer = kAnswerKinds[static_cast<size_t>(N)];
    static_assert(shape.arguments <= std::size(Positions{}.at), "a native's arguments fit its positions");
    Recorder& r = gRecorder;
    uint16_t& seen = r.occurrences[index];
    const uint16_t mark = r.passMark;
    const uint16_t count = static_cast<uint16_t>(seen & 0xFF00u) == mark ? seen : mark;
    const size_t place = count & 0xFFu;
    seen = static_cast<uint16_t>(place < kPredictedCalls - 1 ? count + 1 : count);
    r.called[index] = true;
    uint32_t* const predicted = r.predictions[index][place];

    constexpr size_t most = answer == AnswerKind::NearbyList ? kStagingBytes : 1 + 5 * (1 + shape.arguments + 3);
    uint8_t* const begin = reserve(most);
    uint8_t* out = begin;
    if constexpr (answer != AnswerKind::NearbyList) {
        // Every word at once, then one comparison with the predictions: most calls repeat them all.
        constexpr WordLayout layout = wordLayout<N>();
        static_assert(layout.count <= kPredictedWords, "each word of a call has a prediction of its own");
        uint32_t words[layout.count > 0 ? layout.count : 1] = {};
        size_t n = 0;
        if constexpr (kDigested<N>.count != 0) {
            if constexpr (kTextRows.row[index] < kTextNatives) {
                const auto* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(arguments[kDigested<N>.at[0]]));
                words[n++] = textDigest(kTextRows.row[index], place, text);
            } else {
                words[n++] = digestOf<N>(arguments, std::make_index_sequence<kDigested<N>.count>());
            }
        }
        copyFloats<N>(words + n, arguments, std::make_index_sequence<kFloats<N>.count>());
        n += kFloats<N>.count;
        if constexpr (answer == AnswerKind::Integer || answer == AnswerKind::Float) {
            words[n++] = static_cast<uint32_t>(slots[0]);
        } else if constexpr (answer == AnswerKind::Vector) {
            words[n++] = static_cast<uint32_t>(slots[0]);
            words[n++] = static_cast<uint32_t>(slots[1]);
            words[n++] = static_cast<uint32_t>(slots[2]);
        } else if constexpr (answer == AnswerKind::Deletion) {
            const auto* handle = reinterpret_cast<const EntityHandle*>(static_cast<uintptr_t>(arguments[0]));
            words[n++] = handle != nullptr && *handle != 0 ? 1u : 0u;
        }
        const bool repeated = repeats(words, predicted, std::make_index_sequence<layout.count>());
        if (repeated) {
            *out++ = static_cast<uint8_t>(kRepeatedCall + index);
        } else {
            *out++ = static_cast<uint8_t>(index);
            out = putFreshWords(out, words, layout.count, layout.floats, predicted);
        }
    } else {
        uint32_t* last = predicted;  // the words past kPredictedWords share the last prediction
        auto next = [&]() -> uint32_t& { return last < predicted + kPredictedWords - 1 ? *last++ : *last; };
        bool fresh = false;
        *out++ = static_cast<uint8_t>(index);
        uint32_t digest = kFnv32Basis;
        for (size_t i = 0; i < shape.arguments; ++i) {
            if ((shape.integers >> i) & 1u) {
                digest = digestWord(digest, static_cast<uint32_t>(arguments[i]));
            }
        }
        static_assert(shape.integers != 0 && shape.texts == 0 && shape.floats == 0,
                      "a nearby list's call digests integers only");
        putWord<WordKind::Integer>(out, digest, next(), fresh);
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
        if (!fresh) {
            *begin = static_cast<uint8_t>(kRepeatedCall + index);
            out = begin + 1;
        }
    }
    finish(begin, out);
}

}  // namespace
}  // namespace recorder_detail

using namespace recorder_detail;

template <Native N>
void recordNativeCall(const uint64_t* arguments, const uint64_t* slots, uint64_t capacity) {
    recordCall<N>(arguments, slots, capacity);
}

#define VORN_RECORD_CALL(op, ...) \
    template void recordNativeCall<Native::op>(const uint64_t*, const uint64_t*, uint64_t);
VORN_NATIVES(VORN_RECORD_CALL)
#undef VORN_RECORD_CALL
