#pragma once
// Reads a ride recording (VornLoconaut-last-ride.vlrec, host/recording_format.h) into its events,
// checking every count, length, tag and index against the bytes that are there: a file cut short,
// damaged or made up is refused with the byte offset where it stopped making sense, never read past.
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
    uint32_t pass = 0;        // Pass: its number since recording started
    int32_t snapshot = -1;    // Pass: its key point in Recording::snapshots, or -1
    int32_t value = 0;        // Random
    uint64_t offset = 0;      // where its record begins in the file
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
    std::vector<uint32_t> words;
    std::vector<std::string> texts;
    std::vector<Snapshot> snapshots;
    uint32_t passes = 0;
    uint64_t fileBytes = 0;
};

struct ReadResult {
    std::optional<Recording> recording;
    std::string error;  // why it was refused, naming the byte offset
};

// recording::catalogueHash() over the natives a file lists; a file whose list does not make the hash
// its header gives is refused as damaged.
uint64_t listedCatalogueHash(const std::vector<RecordedNative>& natives);

ReadResult readRecording(const uint8_t* data, size_t size);
ReadResult readRecordingFile(const std::string& path);

// The index of a settings field by key (or name), or -1.
int fieldIndex(const std::vector<RecordedField>& fields, const std::string& name);

// The settings of a snapshot as the lines of an INI ("Key = value"), for the settings check.
std::string settingsIni(const Recording& recording, const Snapshot& snapshot);

}  // namespace sim
