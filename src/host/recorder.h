#pragma once
// The ride recorder. With Debug.Recording = 1 the plug-in keeps its last minutes in a ring in memory:
// where each pass begins, every native call (which one, a digest of its integer and text arguments,
// its float arguments, its answer), every value std::rand gives, every configuration load's text,
// and at regular key points a snapshot of ScriptState and Settings, from which a replay starts. The
// ring goes to VornLoconaut-last-ride.vlrec in the game folder when a ride ends, when a train
// derails and when the script main starts again after a reload, a slice at the end of each pass, on
// the script's fiber. docs/recording.md describes the file; `vornloconaut-sim --replay` plays it.
//
// Off, the recorder costs one test of gRecorderOn per native call and two loads per pass.

#include <cstddef>
#include <cstdint>

#include "host/native_catalogue.h"
#include "host/recording_format.h"

struct ScriptState;

// In the game's working directory, beside VornLoconaut.ini; written under a temporary name first.
inline constexpr const char* recordingFileName = "VornLoconaut-last-ride.vlrec";

// The ring's size: three minutes of the busiest passes fit with room to spare (docs/recording.md).
inline constexpr size_t kRecordingRingBytes = 4u << 20;

// Set while the recorder records; the typed operations then record their calls (recordNativeCall).
extern bool gRecorderOn;
// Set while a pass must call the recorder whatever Debug.Recording says: it records, is forced to, or
// still writes a file. With it clear and the setting off, the pass leaves the recorder alone.
extern bool gRecorderBusy;

// The capacity of the buffer a native that lists into one is given (its first slot), read before the
// call, as the game may write there; 0 for every other native.
template <Native N>
inline uint64_t bufferCapacity(const uint64_t* arguments) {
    if constexpr (recording::kAnswerKinds[static_cast<size_t>(N)] == recording::AnswerKind::NearbyList) {
        const auto* buffer = reinterpret_cast<const uint64_t*>(static_cast<uintptr_t>(arguments[1]));
        return buffer != nullptr ? buffer[0] : 0;
    } else {
        return 0;
    }
}
// Records a call the plug-in has made: `arguments` holds the slots it pushed, as many as the native's
// shape has letters, `slots` the result block it read, `capacity` what bufferCapacity gave before the
// call. Most calls repeat those of the previous pass, and cost a comparison and a byte.
template <Native N>
void recordNativeCall(const uint64_t* arguments, const uint64_t* slots, uint64_t capacity);

// The script main starts: after a reload, the ring of the run before is written.
void recordScriptStart();
// Around each pass: the pass boundary and, now and then, a key point; after the pass the triggers
// (a ride ended, a derailment) and a slice of a file being written. The pass calls the first when
// gRecorderBusy or Debug.Recording is set, the second when gRecorderBusy is.
void recordPassStart(const ScriptState& state);
void recordPassEnd(const ScriptState& state);
// At the start of every configuration load: the file's text as the load will read it.
void recordConfigurationLoad();
// std::rand, recorded.
int randomNumber();
// The plug-in unloads (the game quits, or the hook unloads its scripts): a file being written, and one
// a trigger waits to write, are finished from the ring in memory, a refused rename tried once more,
// and the ring freed.
void finishRecordingAtUnload();
// The game's vehicle list the plug-in was given (host/all_vehicles.h), recorded.
void recordAllVehicles(const int32_t* handles, int32_t count);

// --- For the simulator, its replay and the tests ---

// A replay stands in for what the plug-in reads besides the natives. While it does, the recorder
// neither records nor turns on or off, and the replay keeps gRecorderOn false.
struct ReplaySources {
    int (*random)() = nullptr;              // the next value std::rand gave
    void (*configurationLoad)() = nullptr;  // puts the text the load read in place, or removes the file
    int32_t (*allVehicles)(int32_t* handles, int32_t capacity) = nullptr;  // the vehicle list given
};
extern ReplaySources gReplaySources;

// Records whatever Debug.Recording says (the simulator's --record).
void forceRecording(bool on);
// Writes the ring at once to `path`, as the plug-in writes its file; false when the ring holds no key
// point yet or the write failed.
bool writeRecordingNow(const char* path);
// Drops the ring, any file being written and the forcing: a fresh recorder, as in a new process,
// with a ring of `ringBytes` (a small one lets a test wrap it).
void resetRecorder(size_t ringBytes = kRecordingRingBytes);
// Bytes recorded since the process started (the benchmark's bytes per pass).
uint64_t recordedBytes();
// The ring's bytes while it is allocated, else 0.
size_t recorderRingBytes();
