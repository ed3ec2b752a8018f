#pragma once
// The bytes of a ride recording (VornLoconaut-last-ride.vlrec), shared by the recorder that writes
// them and the readers that replay and show them. docs/recording.md describes the layout for readers
// elsewhere; everything is little-endian.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <type_traits>

#include "host/native_catalogue.h"
#include "host/native_invoker.h"

namespace recording {

inline constexpr char kMagic[8] = {'V', 'L', 'R', 'E', 'C', '\r', '\n', '\x1a'};
inline constexpr uint16_t kVersion = 1;

// Record tags. Below kRepeatedCall a tag is the catalogue index of the native called; from it up to
// kFirstSpecial, kRepeatedCall plus the index of a native called with every word as predicted (see
// WordTag), which then follow in no byte at all.
enum Tag : uint8_t {
    kRepeatedCall = 0x80,
    kFirstSpecial = 0xF0,
    kPass = 0xF0,            // a pass begins
    kKeyPoint = 0xF1,        // a pass begins from the snapshot that follows
    kRandom = 0xF2,          // a value of std::rand: 4 bytes
    kConfiguration = 0xF3,   // a configuration load read this text: u32 length, the bytes
    kNoConfiguration = 0xF4, // a configuration load found no file it could read
    kScriptStart = 0xF5,     // the script main started again (the game reloaded)
    kAllVehicles = 0xF6,     // the hook's list of the game's vehicles: u32 count, a u32 handle each
    kEnd = 0xFF,             // u32 passes, u64 bytes of records before it
};
static_assert(std::size(kNatives) <= kFirstSpecial - kRepeatedCall, "a native's tags must stay below kFirstSpecial");

// Why the file was written.
enum class Reason : uint8_t { RideEnded = 1, Derailment = 2, ScriptRestart = 3, Asked = 4 };

// What a native answers, in words of 32 bits (the low halves of its result slots).
enum class AnswerKind : uint8_t {
    None = 0,
    Integer = 1,     // an integer, handle, hash or boolean: one word
    Float = 2,       // one word
    Vector = 3,      // three float words
    NearbyList = 4,  // the count the game gave, the entries it wrote into the buffer, a handle word each
    Deletion = 5,    // one word: 0 the game cleared the handle it was given, 1 it left it
};

// A word of a call (its arguments' digest, a float argument, an answer word) is one tag byte,
// sometimes followed by more bytes. Every word is predicted by the same word of this native's call
// at the same place in the previous pass, so a pass that repeats the last costs a byte a word.
enum WordTag : uint8_t {
    kPredicted = 0x00,
    kZero = 0x01,
    kRaw = 0x02,  // four bytes follow
    kFirstSmall = 0x03,
};
// Small values in a tag of their own: integers from -16, floats in quarters from -32.
inline constexpr int kIntegerZeroTag = 0x13;
inline constexpr int kFloatZeroTag = 0x83;
enum class WordKind : uint8_t { Integer, Float };

inline uint32_t smallValue(WordKind kind, uint8_t tag) {
    if (kind == WordKind::Integer) return static_cast<uint32_t>(static_cast<int32_t>(tag) - kIntegerZeroTag);
    const float value = static_cast<float>(static_cast<int>(tag) - kFloatZeroTag) / 4.0f;
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The small tag that stands for `value`, or 0 when none does.
inline uint8_t smallTag(WordKind kind, uint32_t value) {
    int64_t tag = 0;
    if (kind == WordKind::Integer) {
        tag = static_cast<int64_t>(static_cast<int32_t>(value)) + kIntegerZeroTag;
    } else {
        float f = 0.0f;
        std::memcpy(&f, &value, sizeof f);
        const float quarters = f * 4.0f;
        if (!(quarters >= -128.0f && quarters <= 124.0f) || quarters != std::trunc(quarters)) return 0;
        tag = static_cast<int>(quarters) + kFloatZeroTag;
    }
    if (tag < kFirstSmall || tag > 0xFF) return 0;
    // -0.0 is no quarter of its own: only a tag that gives back the very bits will do.
    return smallValue(kind, static_cast<uint8_t>(tag)) == value ? static_cast<uint8_t>(tag) : 0;
}

// How many words of a call, and calls of one native in a pass, have predictions of their own; the
// rest share the last one.
inline constexpr size_t kPredictedWords = 16;
inline constexpr size_t kPredictedCalls = 16;
// Entries of a nearby list recorded at most, whatever count the game gives.
inline constexpr uint32_t kNearbyEntries = 256;
// A configuration text longer than this is recorded as missing; no player's file comes near it.
inline constexpr uint32_t kLargestConfiguration = 1u << 20;
// Lists in a snapshot hold no more entries than this.
inline constexpr uint32_t kLargestList = 1u << 16;
// Texts are hashed up to this many bytes.
inline constexpr size_t kLongestText = 4096;

// Field types of a snapshot, as the header declares them.
enum class FieldType : uint8_t {
    I32 = 1,
    U32 = 2,
    F32 = 3,
    Bool = 4,        // one byte, 0 or 1
    Text = 5,        // u32 length, the bytes
    U32List = 6,     // u32 count, the values
    Vector = 7,      // three F32
    WagonList = 8,   // u32 count, then each wagon's fields as the header's wagon record declares them
};

// --- Pieces both sides compute alike ---

// FNV-1a: the catalogue's hash and the arguments' digest.
inline constexpr uint64_t kFnv64Basis = 0xCBF29CE484222325ull;
inline constexpr uint64_t fnv64(uint64_t h, const char* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) h = (h ^ static_cast<uint8_t>(bytes[i])) * 0x100000001B3ull;
    return h;
}
inline constexpr uint32_t kFnv32Basis = 0x811C9DC5u;

inline constexpr size_t textLength(const char* text) {
    size_t n = 0;
    while (text[n] != '\0') ++n;
    return n;
}

// Shape letters that go into a call's digest (integers, booleans and texts) and that are recorded
// one word each (floats). Pointers other than texts are the plug-in's own buffers, whose addresses
// differ from run to run.
inline constexpr bool isDigested(char kind) { return kind == 'i' || kind == 'b' || kind == 't'; }

// The digest's steps: an integer slot by its low half, a text by its bytes up to kLongestText and
// its end. A multiply per word, a cheap step per byte: the texts are the longest part of a pass.
inline uint32_t digestWord(uint32_t h, uint32_t word) { return (h ^ word) * 0x01000193u; }
// A text's bytes as the digest takes them: at most kLongestText of them.
inline size_t digestedLength(const char* text) { return std::min(std::strlen(text), kLongestText); }
// The digest's step over `length` bytes of a text and its end.
inline uint32_t digestTextBytes(uint32_t h, const char* text, size_t length) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    size_t n = 0;
    // Four bytes a step give what four steps of h * 31 + byte give, modulo 2^32, with a quarter of
    // the multiplies that wait for the one before.
    for (; n + 4 <= length; n += 4) {
        h = h * 923521u + bytes[n] * 29791u + bytes[n + 1] * 961u + bytes[n + 2] * 31u + bytes[n + 3];
    }
    for (; n < length; ++n) {
        h = h * 31u + bytes[n];
    }
    return digestWord(h, 0xFFu);
}
inline uint32_t digestText(uint32_t h, const char* text) {
    // Every text a native takes ends in a NUL: the game reads it as a C string too.
    return text != nullptr ? digestTextBytes(h, text, digestedLength(text)) : digestWord(h, 0xFFu);
}

// The digest of a call's arguments as pushed, by the native's shape.
inline uint32_t argumentDigest(const char* shape, const uint64_t* args, size_t count) {
    uint32_t h = kFnv32Basis;
    for (size_t i = 0; i < count && shape[i] != '\0'; ++i) {
        if (shape[i] == 'i' || shape[i] == 'b') {
            h = digestWord(h, static_cast<uint32_t>(args[i]));
        } else if (shape[i] == 't') {
            h = digestText(h, reinterpret_cast<const char*>(static_cast<uintptr_t>(args[i])));
        }
    }
    return h;
}

template <class R>
consteval AnswerKind answerKindOf() {
    if constexpr (std::is_void_v<R>) return AnswerKind::None;
    else if constexpr (std::is_same_v<R, float>) return AnswerKind::Float;
    else if constexpr (std::is_same_v<R, Vector3>) return AnswerKind::Vector;
    else return AnswerKind::Integer;
}

// The natives given the address of a handle, which the game may clear.
consteval bool takesHandleAddress(Native native) { return nativeIdentity(native).handleAddress; }

// Each native's answer, by catalogue index. The natives that write into the plug-in's memory answer
// there; a new one must be taught here, or the assertion below stops the build.
inline constexpr AnswerKind kAnswerKinds[] = {
#define VORN_ANSWER_KIND(op, hash, publicName, shape, result, ...)                          \
    Native::op == Native::ListNearbyVehicles ? AnswerKind::NearbyList                      \
    : takesHandleAddress(Native::op)         ? AnswerKind::Deletion                        \
                                             : answerKindOf<result>(),
    VORN_NATIVES(VORN_ANSWER_KIND)
#undef VORN_ANSWER_KIND
};

consteval bool pointersAreAnswered() {
    for (size_t i = 0; i < std::size(kNatives); ++i) {
        bool pointer = false;
        for (const char* k = kNatives[i].shape; *k != '\0'; ++k) pointer = pointer || *k == 'p';
        const bool answered = kAnswerKinds[i] == AnswerKind::NearbyList || kAnswerKinds[i] == AnswerKind::Deletion;
        if (pointer != answered) return false;
    }
    return true;
}
static_assert(pointersAreAnswered(), "a native that takes a buffer needs its answer recorded: see kAnswerKinds");

// The catalogue as a recording knows it: every row's name, hash, shape and answer. A recording made
// with another catalogue cannot be replayed.
consteval uint64_t catalogueHash() {
    uint64_t h = kFnv64Basis;
    for (size_t i = 0; i < std::size(kNatives); ++i) {
        const NativeIdentity& n = kNatives[i];
        h = fnv64(h, n.op, textLength(n.op) + 1);
        char bytes[8] = {};
        for (int b = 0; b < 8; ++b) bytes[b] = static_cast<char>((n.hash >> (8 * b)) & 0xFF);
        h = fnv64(h, bytes, 8);
        h = fnv64(h, n.shape, textLength(n.shape) + 1);
        const char kind = static_cast<char>(kAnswerKinds[i]);
        h = fnv64(h, &kind, 1);
    }
    return h;
}

}  // namespace recording
