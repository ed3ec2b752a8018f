// The recorder's file: the header, then the ring from its oldest key point, a slice at the end of
// each pass; the rename retried while another program holds the file it replaces.

#include <cstring>

#include "config/settings.h"
#include "host/recorder_ring.h"
#include "host/recording_snapshot.h"
#include "host/script_state.h"

namespace recorder_detail {
namespace {

// A rename refused (on Windows, another program holds the last recording open: a player looking at it,
// a backup, a scanner) is tried again every half second for ten seconds; after that the finished file
// stays under its temporary name, where docs/recording.md tells a player to look.
constexpr uint32_t kLandingInterval = 30;
constexpr uint32_t kLandingTries = 20;

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

}  // namespace

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
    const WholeFile::Outcome outcome = w.file.commit(true);
    w.landingTries = 0;
    w.sinceLanding = 0;
    return outcome == WholeFile::Outcome::Landed;
}

void continueWrite() {
    Recorder::Writer& w = gRecorder.writer;
    if (w.file.waiting() && ++w.sinceLanding >= kLandingInterval) {
        w.sinceLanding = 0;
        if (w.file.land() == WholeFile::Outcome::Waiting && ++w.landingTries >= kLandingTries) {
            w.file.forgetWaiting();
        }
    }
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

}  // namespace recorder_detail
