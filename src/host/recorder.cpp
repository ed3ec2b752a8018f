#include "host/recorder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "config/settings.h"
#include "host/recorder_ring.h"
#include "host/recording_snapshot.h"
#include "host/script_state.h"

bool gRecorderOn = false;
bool gRecorderBusy = false;
ReplaySources gReplaySources;

namespace recorder_detail {

Recorder gRecorder;

namespace {

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

// The pass begins from the state and settings as they stand. Predictions start afresh, so decoding
// can begin here.
void appendKeyPoint(const ScriptState& state) {
    Recorder& r = gRecorder;
    KeyPoint& key = r.keys[r.keyCount % kKeyPoints];
    key.at = r.head;
    key.pass = r.pass;
    ++r.keyCount;
    // Only the natives called since the last key point have predictions to clear.
    for (size_t i = 0; i < kNativeCount; ++i) {
        if (r.called[i]) {
            std::memset(r.predictions[i], 0, sizeof r.predictions[i]);
            r.called[i] = false;
        }
    }
    RingOut out;
    out.u8(kKeyPoint);
    out.u32(r.pass);
    FieldWriter<RingOut> field{out};
    forEachStateField(state, field);
    forEachSettingsField(gSettings, field);
    r.sinceKey = 0;
    r.keyDue = false;
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

void newPassOccurrences() {
    Recorder& r = gRecorder;
    r.passMark = static_cast<uint16_t>(r.passMark + 0x100);
    // Once in 255 passes the mark comes round to counts it left behind: those go, and 0 is never a mark.
    if (r.passMark == 0) {
        std::memset(r.occurrences, 0, sizeof r.occurrences);
        r.passMark = 0x100;
    }
}

}  // namespace

void appendStaged(size_t count) { append(gRecorder.staging, count); }

void refreshBusy() {
    const Recorder& r = gRecorder;
    gRecorderBusy = gRecorderOn || r.forced || r.writer.active || r.writer.pending || r.writer.file.waiting();
}

}  // namespace recorder_detail

using namespace recorder_detail;

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
        } else if (!r.writer.active && !r.writer.pending && !r.writer.file.waiting()) {
            return;  // recording, and no file to go on with: the recorder stays busy as it is
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
    // In pieces of up to 64 handles: a copy each rather than one per handle.
    uint8_t piece[5 + 4 * 64];
    uint8_t* out = piece;
    *out++ = kAllVehicles;
    put32(out, static_cast<uint32_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        put32(out, static_cast<uint32_t>(handles[i]));
        if (out + 4 > piece + sizeof piece) {
            append(piece, static_cast<size_t>(out - piece));
            out = piece;
        }
    }
    append(piece, static_cast<size_t>(out - piece));
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
    r.writer.file.forgetWaiting();
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

void finishRecordingAtUnload() {
    Recorder& r = gRecorder;
    Recorder::Writer& w = r.writer;
    if (w.active) {
        finishWrite();
    }
    if (w.pending) {
        w.pending = false;
        if (beginWrite(recordingFileName, w.pendingReason)) {
            finishWrite();
        }
    }
    w.file.land();
    w.file.forgetWaiting();
    stop();
    delete[] r.ring;
    r.ring = nullptr;
    refreshBusy();
}

size_t recorderRingBytes() { return gRecorder.ring != nullptr ? gRecorder.capacity : 0; }
