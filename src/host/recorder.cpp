#include "host/recorder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "config/settings.h"
#include "host/native_invoker.h"
#include "host/recording_format.h"
#include "host/recording_snapshot.h"
#include "host/script_state.h"
#include "util/count.h"
#include "util/whole_file.h"

bool gRecorderOn = false;
bool gRecorderBusy = false;
ReplaySources gReplaySources;

namespace {

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

// constexpr, not consteval: Clang 14 refuses an immediate call on a template argument in kCallShape.
constexpr CallShape callShape(const char* shape) {
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
inline constexpr CallShape kCallShape = callShape(nativeIdentity(N).shape);

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
    uint8_t occurrences[kNativeCount] = {};
    uint32_t predictions[kNativeCount][kPredictedCalls][kPredictedWords] = {};
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
    } writer;
};

Recorder gRecorder;

bool playingBack() { return gReplaySources.random != nullptr; }

// --- Bytes into the ring ---

void writeSlice(uint64_t limit);
void refreshBusy();

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

void append(const void* data, size_t count) {
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

inline void finish(const uint8_t* begin, const uint8_t* end) {
    const auto count = static_cast<size_t>(end - begin);
    if (begin == gRecorder.staging) {
        append(begin, count);
    } else {
        advance(count);
    }
}

void put32(uint8_t*& out, uint32_t v) {
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
    out[2] = static_cast<uint8_t>(v >> 16);
    out[3] = static_cast<uint8_t>(v >> 24);
    out += 4;
}

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

void putRecord(uint8_t tag) {
    uint8_t* const begin = reserve(1);
    *begin = tag;
    finish(begin, begin + 1);
}

void putRandom(uint32_t value) {
    uint8_t* const begin = reserve(5);
    uint8_t* out = begin;
    *out++ = kRandom;
    put32(out, value);
    finish(begin, out);
}

// Little-endian values of a snapshot, straight into the ring.
struct RingOut {
    void u8(uint8_t v) { append(&v, 1); }
    void u32(uint32_t v) {
        const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                              static_cast<uint8_t>(v >> 24)};
        append(b, 4);
    }
    void bytes(const void* data, size_t count) { append(data, count); }
};

// The same into the file being written.
struct FileOut {
    WholeFile& file;
    void u8(uint8_t v) { file.put(static_cast<char>(v)); }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
    void u64(uint64_t v) {
        u32(static_cast<uint32_t>(v));
        u32(static_cast<uint32_t>(v >> 32));
    }
    void bytes(const void* data, size_t count) { file.write(data, count); }
    void text(const char* t) {
        const size_t n = textLength(t) < 255 ? textLength(t) : 255;
        u8(static_cast<uint8_t>(n));
        bytes(t, n);
    }
};

uint32_t floatBits(float f) {
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// One field's value, as FieldType says.
template <class Out>
struct FieldWriter {
    Out& out;
    template <class T>
    void operator()(const char*, const T& value) const {
        if constexpr (std::is_same_v<T, bool>) {
            out.u8(value ? 1 : 0);
        } else if constexpr (std::is_same_v<T, float>) {
            out.u32(floatBits(value));
        } else if constexpr (std::is_same_v<T, std::string>) {
            const size_t n = value.size() < kLargestConfiguration ? value.size() : kLargestConfiguration;
            out.u32(static_cast<uint32_t>(n));
            out.bytes(value.data(), n);
        } else if constexpr (std::is_same_v<T, std::vector<uint32_t>>) {
            const size_t n = value.size() < kLargestList ? value.size() : kLargestList;
            out.u32(static_cast<uint32_t>(n));
            for (size_t i = 0; i < n; ++i) out.u32(value[i]);
        } else if constexpr (std::is_same_v<T, Vector3>) {
            out.u32(floatBits(value.x));
            out.u32(floatBits(value.y));
            out.u32(floatBits(value.z));
        } else if constexpr (std::is_same_v<T, std::vector<DerailedWagon>>) {
            const size_t n = value.size() < kLargestList ? value.size() : kLargestList;
            out.u32(static_cast<uint32_t>(n));
            for (size_t i = 0; i < n; ++i) forEachWagonField(value[i], *this);
        } else {
            static_assert(fieldType<T>() == FieldType::I32 || fieldType<T>() == FieldType::U32);
            out.u32(static_cast<uint32_t>(value));
        }
    }
};

// A field's name and type, for the header.
struct SchemaWriter {
    FileOut& out;
    template <class T>
    void operator()(const char* name, const T&) const {
        out.text(name);
        out.u8(static_cast<uint8_t>(fieldType<T>()));
    }
};

struct FieldCounter {
    uint16_t count = 0;
    template <class T>
    void operator()(const char*, const T&) {
        ++count;
    }
};

// The pass begins from the state and settings as they stand. Predictions start afresh, so decoding
// can begin here.
void appendKeyPoint(const ScriptState& state) {
    Recorder& r = gRecorder;
    KeyPoint& key = r.keys[r.keyCount % kKeyPoints];
    key.at = r.head;
    key.pass = r.pass;
    ++r.keyCount;
    std::memset(r.predictions, 0, sizeof r.predictions);
    RingOut out;
    out.u8(kKeyPoint);
    out.u32(r.pass);
    FieldWriter<RingOut> field{out};
    forEachStateField(state, field);
    forEachSettingsField(gSettings, field);
    r.sinceKey = 0;
    r.keyDue = false;
}

// --- The file ---

void abandonWrite() {
    gRecorder.writer.file.abandon();
    gRecorder.writer.active = false;
}

void writeSlice(uint64_t limit) {
    Recorder& r = gRecorder;
    Recorder::Writer& w = r.writer;
    limit = limit < w.end ? limit : w.end;
    while (w.active && w.next < limit) {
        const size_t at = static_cast<size_t>(w.next % r.capacity);
        const uint64_t left = limit - w.next;
        const size_t n = left < r.capacity - at ? static_cast<size_t>(left) : r.capacity - at;
        if (!w.file.write(r.ring + at, n)) {
            abandonWrite();
            return;
        }
        w.next += n;
    }
}

void writeHeader(FileOut& out, Reason reason) {
    out.bytes(kMagic, sizeof kMagic);
    out.u16(kVersion);
    out.u8(static_cast<uint8_t>(reason));
    out.text(pluginVersion);
    out.u64(catalogueHash());
    out.u16(static_cast<uint16_t>(kNativeCount));
    for (size_t n = 0; n < kNativeCount; ++n) {
        out.text(kNatives[n].op);
        out.u64(kNatives[n].hash);
        out.text(kNatives[n].shape);
        out.u8(static_cast<uint8_t>(kAnswerKinds[n]));
    }
    // Each record's fields by name and type, counted first.
    const ScriptState state;
    const DerailedWagon wagon;
    FieldCounter counted[3];
    forEachStateField(state, counted[0]);
    forEachWagonField(wagon, counted[1]);
    forEachSettingsField(gSettings, counted[2]);
    SchemaWriter schema{out};
    out.u16(counted[0].count);
    forEachStateField(state, schema);
    out.u16(counted[1].count);
    forEachWagonField(wagon, schema);
    out.u16(counted[2].count);
    forEachSettingsField(gSettings, schema);
}

// The oldest key point whose bytes the ring still holds, or null.
const KeyPoint* oldestKeyPoint() {
    const Recorder& r = gRecorder;
    const uint64_t oldest = r.head > r.capacity ? r.head - r.capacity : 0;
    const size_t kept = r.keyCount < kKeyPoints ? r.keyCount : kKeyPoints;
    for (size_t i = r.keyCount - kept; i < r.keyCount; ++i) {
        const KeyPoint& key = r.keys[i % kKeyPoints];
        if (key.at >= oldest) return &key;
    }
    return nullptr;
}

bool beginWrite(const char* path, Reason reason) {
    Recorder& r = gRecorder;
    Recorder::Writer& w = r.writer;
    if (w.active) {
        w.pending = true;
        w.pendingReason = reason;
        return false;
    }
    const KeyPoint* key = oldestKeyPoint();
    if (key == nullptr || !w.file.open(path)) {
        return false;
    }
    FileOut out{w.file};
    writeHeader(out, reason);
    w.active = true;
    w.next = key->at;
    w.from = key->at;
    w.end = r.head;
    w.passes = r.pass - key->pass + 1;
    return true;
}

// The file's last slice: the rest of the ring, the end record, the close and the rename.
bool finishWrite() {
    Recorder::Writer& w = gRecorder.writer;
    writeSlice(w.end);
    if (!w.active) {
        return false;
    }
    FileOut out{w.file};
    out.u8(kEnd);
    out.u32(w.passes);
    out.u64(w.end - w.from);
    w.active = false;
    return w.file.commit(true);
}

void continueWrite() {
    Recorder::Writer& w = gRecorder.writer;
    if (!w.active) {
        return;
    }
    writeSlice(w.next + kSliceBytes);
    if (w.active && w.next == w.end) {
        finishWrite();
        if (w.pending) {
            w.pending = false;
            beginWrite(recordingFileName, w.pendingReason);
        }
    }
}

// --- On and off ---

void start() {
    Recorder& r = gRecorder;
    if (r.ring == nullptr) {
        // Once, kept for the life of the process: no pass ever allocates for the recorder. Zeroed here,
        // so that the system commits its pages now rather than a page fault at a time in later passes.
        r.ring = new (std::nothrow) uint8_t[r.capacity]();
        if (r.ring == nullptr) {
            return;
        }
    }
    gRecorderOn = true;
    r.keyDue = true;
    refreshBusy();
}

void stop() {
    gRecorderOn = false;
    gRecorder.keyCount = 0;
    refreshBusy();
}

void newPassOccurrences() { std::memset(gRecorder.occurrences, 0, sizeof gRecorder.occurrences); }

// After each entry point that may start or stop recording or a write.
void refreshBusy() {
    const Recorder& r = gRecorder;
    gRecorderBusy = gRecorderOn || r.forced || r.writer.active || r.writer.pending;
}

}  // namespace

template <Native N>
const uint64_t* recordedNativeCall(const uint64_t* arguments) {
    constexpr size_t index = static_cast<size_t>(N);
    constexpr CallShape shape = kCallShape<N>;
    constexpr AnswerKind answer = kAnswerKinds[static_cast<size_t>(N)];
    const uint64_t* slots = native_detail::kNoResult;
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
        entries = buffer != nullptr && entries > buffer[0] ? buffer[0] : entries;
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

void recordScriptStart() {
    if (!gRecorderOn) {
        return;
    }
    // The run before was abandoned by the game at the end of a pass; its ring goes out first.
    beginWrite(recordingFileName, Reason::ScriptRestart);
    putRecord(kScriptStart);
    newPassOccurrences();
    gRecorder.keyDue = true;
    refreshBusy();
}

void recordPassStart(const ScriptState& state) {
    if (playingBack()) {
        return;  // a replay in the same process leaves the recorder as it stands
    }
    Recorder& r = gRecorder;
    const bool want = gRecorder.forced || gSettings.debugRecording;
    if (want && !gRecorderOn) {
        start();
    } else if (!want && gRecorderOn) {
        stop();
    }
    if (!gRecorderOn) {
        return;
    }
    newPassOccurrences();
    ++r.pass;
    if (r.keyDue || r.sinceKey >= kKeyInterval) {
        appendKeyPoint(state);
    } else {
        putRecord(kPass);
    }
    ++r.sinceKey;
    r.wasInCab = state.mode == InCab;
    r.wasDerailed = state.derailed;
}

void recordPassEnd(const ScriptState& state) {
    if (playingBack()) {
        return;
    }
    Recorder& r = gRecorder;
    if (gRecorderOn) {
        if (r.wasInCab && state.mode != InCab) {
            beginWrite(recordingFileName, Reason::RideEnded);
        } else if (!r.wasDerailed && state.derailed) {
            beginWrite(recordingFileName, Reason::Derailment);
        }
    }
    continueWrite();
    refreshBusy();
}

void recordConfigurationLoad() {
    if (playingBack()) {
        if (gReplaySources.configurationLoad != nullptr) {
            gReplaySources.configurationLoad();
        }
        return;
    }
    if (!gRecorderOn) {
        return;
    }
    Recorder& r = gRecorder;
    std::FILE* file = std::fopen(configurationFileName, "rb");
    if (file == nullptr) {
        putRecord(kNoConfiguration);
        return;
    }
    const uint64_t start = r.head;
    const size_t startAt = r.at;
    const uint8_t header[5] = {kConfiguration, 0, 0, 0, 0};
    append(header, sizeof header);
    uint32_t length = 0;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0 && length <= kLargestConfiguration;) {
        append(buffer, n);
        length += static_cast<uint32_t>(n);
    }
    std::fclose(file);
    if (length > kLargestConfiguration) {
        // No replay could give the load this text: the recording starts afresh after it.
        r.head = start;
        r.at = startAt;
        r.keyCount = 0;
        r.keyDue = true;
        return;
    }
    for (int i = 0; i < 4; ++i) {
        r.ring[(startAt + 1 + static_cast<size_t>(i)) % r.capacity] = static_cast<uint8_t>(length >> (8 * i));
    }
}

void recordAllVehicles(const int32_t* handles, int32_t count) {
    RingOut out;
    out.u8(kAllVehicles);
    out.u32(static_cast<uint32_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        out.u32(static_cast<uint32_t>(handles[i]));
    }
}

int randomNumber() {
    const int value = playingBack() ? gReplaySources.random() : std::rand();
    if (gRecorderOn) {
        putRandom(static_cast<uint32_t>(value));
    }
    return value;
}

void forceRecording(bool on) {
    gRecorder.forced = on;
    refreshBusy();
}

bool writeRecordingNow(const char* path) {
    Recorder::Writer& w = gRecorder.writer;
    // A file the plug-in was writing is finished first; this one takes the ring as it stands then.
    if (w.active) {
        finishWrite();
    }
    w.pending = false;
    const bool written = beginWrite(path, Reason::Asked) && finishWrite();
    refreshBusy();
    return written;
}

void resetRecorder(size_t ringBytes) {
    Recorder& r = gRecorder;
    if (ringBytes != r.capacity) {
        delete[] r.ring;
        r.ring = nullptr;
        r.capacity = ringBytes;
    }
    abandonWrite();
    r.writer.pending = false;
    stop();
    r.forced = false;
    r.head = 0;
    r.at = 0;
    r.pass = 0;
    r.sinceKey = 0;
    r.keyDue = false;
    refreshBusy();
}

uint64_t recordedBytes() { return gRecorder.head; }
