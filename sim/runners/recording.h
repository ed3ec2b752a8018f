#pragma once
// Reads a ride recording (VornLoconaut-last-ride.vlrec, host/recording_format.h) into its events,
// checking every count, length, tag and index against the bytes that are there: a file cut short,
// damaged or made up is refused with the byte offset where it stopped making sense, never read past.
// What it builds is bounded by the file's size (kDecodedPerByte), so no file can exhaust memory.
// The header's own catalogue and field lists decode it, so a recording from another build reads too;
// only its replay needs this build's catalogue.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/native_invoker.h"
#include "host/recording_format.h"

namespace sim {

struct RecordedNative {
    std::string op;
    uint64_t hash = 0;
    std::string shape;
    recording::AnswerKind answer = recording::AnswerKind::None;
};

struct RecordedField {
    std::string name;
    recording::FieldType type = recording::FieldType::I32;
};

// A snapshot field's value: `word` for the 32-bit types, `text`, `list`, `vector` or `wagons`
// (each wagon's values in the order of the header's wagon fields) for the others.
struct FieldValue {
    uint32_t word = 0;
    std::string text;
    std::vector<uint32_t> list;
    Vector3 vector{};
    std::vector<std::vector<FieldValue>> wagons;
};

struct Snapshot {
    std::vector<FieldValue> state;     // in the order of Recording::stateFields
    std::vector<FieldValue> settings;  // in the order of Recording::settingsFields
};

struct RecordedEvent {
    enum class Kind : uint8_t { Pass, ScriptStart, Call, Random, Configuration, NoConfiguration, AllVehicles };
    Kind kind = Kind::Pass;
    uint8_t native = 0;       // Call: the index in Recording::natives
    bool digested = false;    // Call: words[first] is the digest
    uint8_t floats = 0;       // Call: the float arguments after the digest
    uint32_t first = 0;       // Call, AllVehicles: its first word in Recording::words; Configuration: its text
    uint32_t count = 0;       // Call: its words; AllVehicles: its handles
    uint32_t stored = 0;      // Call: its words kept in Recording::words; the later ones repeat the last
    uint32_t pass = 0;        // Pass: its number since recording started
    int32_t snapshot = -1;    // Pass: its key point in Recording::snapshots, or -1
    int32_t value = 0;        // Random
    uint32_t offset = 0;      // where its record begins in the file (no file read is over 4 GB)
};

struct Recording {
    uint16_t version = 0;
    recording::Reason reason = recording::Reason::Asked;
    std::string pluginVersion;
    uint64_t catalogueHash = 0;
    std::vector<RecordedNative> natives;
    std::vector<RecordedField> stateFields;
    std::vector<RecordedField> wagonFields;
    std::vector<RecordedField> settingsFields;
    std::vector<RecordedEvent> events;  // from the first key point on
    std::vector<uint32_t> words;  // read through word()
    std::vector<std::string> texts;
    std::vector<Snapshot> snapshots;
    uint32_t passes = 0;
    uint64_t fileBytes = 0;

    // Word i of a call. A call that repeats its prediction keeps no more words than have predictions
    // of their own, the rest repeating the last: a byte of the file never stands for more.
    uint32_t word(const RecordedEvent& call, size_t i) const {
        if (call.stored == 0) return 0;
        return words[call.first + (i < call.stored ? i : call.stored - 1)];
    }
};

struct ReadResult {
    std::optional<Recording> recording;
    std::string error;  // why it was refused, naming the byte offset
};

// recording::catalogueHash() over the natives a file lists; a file whose list does not make the hash
// its header gives is refused as damaged.
uint64_t listedCatalogueHash(const std::vector<RecordedNative>& natives);

// The most a recording decodes to: this many bytes per byte of the file, up to kLargestDecoded, and
// kDecodedSlack besides for a small file's header and first key point. The plug-in's recordings take
// under 40 bytes a byte; a byte of a repeated call decodes to 96 at most.
inline constexpr uint64_t kDecodedPerByte = 64;
inline constexpr uint64_t kLargestDecoded = 512u << 20;
inline constexpr uint64_t kDecodedSlack = 4u << 20;
// Far beyond any ring the plug-in keeps, and what a browser tab reads without trouble.
inline constexpr uint64_t kLargestFile = 64u << 20;

ReadResult readRecording(const uint8_t* data, size_t size);
ReadResult readRecordingFile(const std::string& path);

// The index of a settings field by key (or name), or -1.
int fieldIndex(const std::vector<RecordedField>& fields, const std::string& name);

// The settings of a snapshot as the lines of an INI ("Key = value"), for the settings check.
std::string settingsIni(const Recording& recording, const Snapshot& snapshot);

}  // namespace sim
