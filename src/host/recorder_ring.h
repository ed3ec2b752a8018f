#pragma once
// The recorder's insides, shared by its three parts: the ring and its records (here), the calls
// (recorded_call.cpp), the file (recording_writer.cpp) and the entry points (recorder.cpp).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "host/recorder.h"
#include "host/recording_format.h"
#include "util/whole_file.h"

namespace recorder_detail {

using namespace recording;

constexpr size_t kNativeCount = std::size(kNatives);
// A key point every five seconds at 60 passes a second: a replay starts at most that far before the
// oldest pass the ring still holds.
constexpr uint32_t kKeyInterval = 300;
// More key points than a full ring can hold at that interval.
constexpr size_t kKeyPoints = 256;
// What a file being written takes out of the ring at the end of each pass: a copy into the system's
// file cache of well under a millisecond, and a full ring written within a few seconds.
constexpr size_t kSliceBytes = 32u << 10;
// The largest call: its tag and every word in full, a nearby list of kNearbyEntries handles among them.
constexpr size_t kStagingBytes = 1 + 5 * (1 + 8 + 3 + kNearbyEntries + 2);

// A native's arguments as the recorder takes them, from the catalogue's shape: a bit per argument
// that goes into the digest as an integer, as a text, or is recorded as a float.
struct CallShape {
    size_t arguments = 0;
    uint32_t integers = 0;
    uint32_t texts = 0;
    uint32_t floats = 0;
};

template <Native N>
consteval CallShape callShape() {
    const char* shape = nativeIdentity(N).shape;
    CallShape s;
    for (; shape[s.arguments] != '\0'; ++s.arguments) {
        const char kind = shape[s.arguments];
        const uint32_t bit = 1u << s.arguments;
        if (kind == 'i' || kind == 'b') s.integers |= bit;
        if (kind == 't') s.texts |= bit;
        if (kind == 'f') s.floats |= bit;
    }
    return s;
}

template <Native N>
inline constexpr CallShape kCallShape = callShape<N>();

// The natives whose digest is one text and nothing else: the text they are given at a place in a pass
// is kept, so that the same text there again (most lines on screen are drawn every pass) is compared
// rather than digested again.
constexpr bool digestsOneText(const char* shape) {
    int texts = 0;
    for (; *shape != '\0'; ++shape) {
        if (*shape == 't') ++texts;
        if (*shape == 'i' || *shape == 'b') return false;
    }
    return texts == 1;
}
constexpr size_t countTextNatives() {
    size_t count = 0;
    for (const NativeIdentity& n : kNatives) count += digestsOneText(n.shape) ? 1 : 0;
    return count;
}
constexpr size_t kTextNatives = countTextNatives();
// Each native's row of kept texts, by catalogue index; kTextNatives for the others.
struct TextRows {
    uint8_t row[std::size(kNatives)] = {};
};
constexpr TextRows textRows() {
    TextRows rows;
    uint8_t next = 0;
    for (size_t i = 0; i < std::size(kNatives); ++i) {
        rows.row[i] = digestsOneText(kNatives[i].shape) ? next++ : static_cast<uint8_t>(kTextNatives);
    }
    return rows;
}
constexpr TextRows kTextRows = textRows();

// A text kept with its digest; longer texts are digested every time.
constexpr size_t kKeptTextBytes = 120;
struct KeptText {
    bool known = false;
    uint8_t length = 0;
    uint32_t digest = 0;
    char bytes[kKeptTextBytes] = {};
};
static_assert(kKeptTextBytes <= 255, "a kept text's length is a byte");

struct KeyPoint {
    uint64_t at = 0;    // where its record begins, in bytes since the process started
    uint32_t pass = 0;  // its pass: the passes recorded, counted from 1
};

struct Recorder {
    uint8_t* ring = nullptr;  // `capacity` bytes, once recording was first turned on
    size_t capacity = kRecordingRingBytes;
    uint64_t head = 0;        // bytes appended since the process started; the ring holds the last of them
    size_t at = 0;            // where the next byte goes: head modulo capacity
    KeyPoint keys[kKeyPoints];
    size_t keyCount = 0;  // the newest min(keyCount, kKeyPoints) are in `keys`, the newest at keyCount - 1
    uint32_t pass = 0;
    uint32_t sinceKey = 0;
    bool keyDue = false;
    bool forced = false;
    bool wasInCab = false;
    bool wasDerailed = false;
    // How often each native was called in this pass, in the low byte, marked in the high byte with
    // `passMark`: a count of another pass reads as none. Clearing the counts at every pass instead
    // took a string store that cost more than a light pass's own work.
    uint16_t occurrences[kNativeCount] = {};
    uint16_t passMark = 0;
    uint32_t predictions[kNativeCount][kPredictedCalls][kPredictedWords] = {};
    // The natives called since the last key point: theirs are the predictions a key point clears.
    bool called[kNativeCount] = {};
    KeptText texts[kTextNatives > 0 ? kTextNatives : 1][kPredictedCalls];
    uint8_t staging[kStagingBytes] = {};

    // The file being written: the bytes [next, end) of the ring are still to go.
    struct Writer {
        WholeFile file;
        bool active = false;
        uint64_t next = 0;
        uint64_t end = 0;
        uint64_t from = 0;
        uint32_t passes = 0;
        bool pending = false;
        Reason pendingReason = Reason::RideEnded;
        // A finished file whose rename was refused: the tries so far, and the passes since the last.
        uint32_t landingTries = 0;
        uint32_t sinceLanding = 0;
    } writer;
};

extern Recorder gRecorder;

inline bool playingBack() { return gReplaySources.random != nullptr; }

// --- The file (recording_writer.cpp) ---

void writeSlice(uint64_t limit);
bool beginWrite(const char* path, Reason reason);
bool finishWrite();
void continueWrite();
void abandonWrite();
// At the end of each entry point that may start or stop recording or a write (recorder.cpp).
void refreshBusy();

// --- Bytes into the ring ---

// Appending overwrites the oldest bytes; a file being written gets them first.
inline void guardWriter(size_t count) {
    Recorder& r = gRecorder;
    if (r.writer.active && r.head + count > r.writer.next + r.capacity) {
        writeSlice(r.head + count - r.capacity);
    }
}

inline void advance(size_t count) {
    Recorder& r = gRecorder;
    r.head += count;
    r.at += count;
    if (r.at == r.capacity) {
        r.at = 0;
    }
}


inline void append(const void* data, size_t count) {
    Recorder& r = gRecorder;
    guardWriter(count);
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (count > 0) {
        const size_t n = count < r.capacity - r.at ? count : r.capacity - r.at;
        std::memcpy(r.ring + r.at, bytes, n);
        bytes += n;
        count -= n;
        advance(n);
    }
}

// Where a record of at most `most` bytes is made: in the ring itself when it fits before the ring's
// end, else in the staging buffer; finish() then takes it.
inline uint8_t* reserve(size_t most) {
    Recorder& r = gRecorder;
    guardWriter(most);
    return r.at + most <= r.capacity ? r.ring + r.at : r.staging;
}

// A record made in the staging buffer, into the ring (recorder.cpp): out of the way of finish().
void appendStaged(size_t count);

inline void finish(const uint8_t* begin, const uint8_t* end) {
    const auto count = static_cast<size_t>(end - begin);
    if (begin != gRecorder.staging) [[likely]] {
        advance(count);
    } else {
        appendStaged(count);
    }
}

inline void put32(uint8_t*& out, uint32_t v) {
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
    out[2] = static_cast<uint8_t>(v >> 16);
    out[3] = static_cast<uint8_t>(v >> 24);
    out += 4;
}


inline void putRecord(uint8_t tag) {
    uint8_t* const begin = reserve(1);
    *begin = tag;
    finish(begin, begin + 1);
}

inline void putRandom(uint32_t value) {
    uint8_t* const begin = reserve(5);
    uint8_t* out = begin;
    *out++ = kRandom;
    put32(out, value);
    finish(begin, out);
}


}  // namespace recorder_detail
