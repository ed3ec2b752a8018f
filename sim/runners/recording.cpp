#include "sim/runners/recording.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace sim {

using namespace recording;

namespace {

// The bytes, read front to back; the first thing that does not fit stops it with its offset.
class Cursor {
public:
    Cursor(const uint8_t* data, size_t size)
        : data_(data), size_(size), budget_(std::min(kDecodedPerByte * size, kLargestDecoded) + kDecodedSlack) {}

    bool ok() const { return error_.empty(); }
    size_t at() const { return at_; }
    size_t left() const { return size_ - at_; }
    const std::string& error() const { return error_; }

    void fail(size_t offset, const std::string& what) {
        if (error_.empty()) error_ = "byte " + std::to_string(offset) + ": " + what;
        at_ = size_;
    }
    bool need(size_t n, const char* what) {
        if (ok() && n > left()) fail(at_, std::string("the file ends inside ") + what + " (truncated)");
        return ok();
    }
    uint8_t u8(const char* what) {
        if (!need(1, what)) return 0;
        return data_[at_++];
    }
    uint16_t u16(const char* what) {
        if (!need(2, what)) return 0;
        const uint16_t v = static_cast<uint16_t>(data_[at_] | (data_[at_ + 1] << 8));
        at_ += 2;
        return v;
    }
    uint32_t u32(const char* what) {
        if (!need(4, what)) return 0;
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | data_[at_ + static_cast<size_t>(i)];
        at_ += 4;
        return v;
    }
    uint64_t u64(const char* what) {
        const uint64_t low = u32(what);
        return low | (static_cast<uint64_t>(u32(what)) << 32);
    }
    std::string bytes(size_t n, const char* what) {
        if (!need(n, what)) return {};
        std::string s(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        return s;
    }
    std::string text(const char* what) { return bytes(u8(what), what); }

    // Counts what the reader is about to build; past the budget the file is refused there.
    bool spend(uint64_t bytes) {
        spent_ += bytes;
        if (ok() && spent_ > budget_) {
            fail(at_, "the recording would decode to more than " + std::to_string(budget_ >> 20) +
                          " MiB, far more than its size: no recording the plug-in writes does");
        }
        return ok();
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    uint64_t budget_;
    uint64_t spent_ = 0;
    std::string error_;
};

// The fewest bytes a value of the type takes in the file.
size_t leastBytes(FieldType type) {
    switch (type) {
        case FieldType::Bool: return 1;
        case FieldType::Vector: return 12;
        default: return 4;
    }
}

bool validType(uint8_t t) { return t >= static_cast<uint8_t>(FieldType::I32) && t <= static_cast<uint8_t>(FieldType::WagonList); }

void readFields(Cursor& in, std::vector<RecordedField>& fields, const char* record, bool wagonsAllowed) {
    const size_t countAt = in.at();
    const uint16_t count = in.u16("a field count");
    // A field's name and type take two bytes at least.
    if (in.ok() && size_t{count} * 2 > in.left()) {
        in.fail(countAt, std::to_string(count) + " fields of the " + record + " where the file has room for " +
                             std::to_string(in.left() / 2));
    }
    for (uint16_t i = 0; i < count && in.ok(); ++i) {
        const size_t offset = in.at();
        RecordedField f;
        f.name = in.text("a field name");
        if (!in.spend(sizeof f + f.name.size())) break;
        const uint8_t type = in.u8("a field type");
        if (in.ok() && (!validType(type) || (!wagonsAllowed && type == static_cast<uint8_t>(FieldType::WagonList)))) {
            in.fail(offset, std::string("field ") + f.name + " of the " + record + " has type " + std::to_string(type) +
                                ", which no recording uses there");
        }
        f.type = static_cast<FieldType>(type);
        fields.push_back(std::move(f));
    }
}

FieldValue readValue(Cursor& in, FieldType type, const std::vector<RecordedField>& wagonFields);

std::vector<FieldValue> readValues(Cursor& in, const std::vector<RecordedField>& fields,
                                   const std::vector<RecordedField>& wagonFields) {
    std::vector<FieldValue> values;
    size_t least = 0;
    for (const RecordedField& f : fields) least += leastBytes(f.type);
    if (!in.need(least, "a snapshot") || !in.spend(fields.size() * sizeof(FieldValue))) return values;
    values.reserve(fields.size());
    for (const RecordedField& f : fields) {
        if (!in.ok()) break;
        values.push_back(readValue(in, f.type, wagonFields));
    }
    return values;
}

FieldValue readValue(Cursor& in, FieldType type, const std::vector<RecordedField>& wagonFields) {
    FieldValue v;
    const size_t offset = in.at();
    switch (type) {
        case FieldType::I32:
        case FieldType::U32:
        case FieldType::F32: v.word = in.u32("a snapshot"); break;
        case FieldType::Bool:
            v.word = in.u8("a snapshot");
            if (v.word > 1) in.fail(offset, "a boolean of " + std::to_string(v.word));
            break;
        case FieldType::Text: {
            const uint32_t n = in.u32("a snapshot");
            if (n > kLargestConfiguration) in.fail(offset, "a text of " + std::to_string(n) + " bytes");
            if (!in.need(n, "a snapshot's text") || !in.spend(n)) break;
            v.text = in.bytes(n, "a snapshot's text");
            break;
        }
        case FieldType::U32List: {
            const uint32_t n = in.u32("a snapshot");
            if (n > kLargestList) in.fail(offset, "a list of " + std::to_string(n) + " entries");
            if (!in.need(static_cast<size_t>(n) * 4, "a snapshot's list") || !in.spend(static_cast<uint64_t>(n) * 4)) break;
            v.list.reserve(n);
            for (uint32_t i = 0; i < n; ++i) v.list.push_back(in.u32("a snapshot's list"));
            break;
        }
        case FieldType::Vector: {
            float xyz[3] = {};
            for (float& f : xyz) {
                const uint32_t bits = in.u32("a snapshot");
                std::memcpy(&f, &bits, sizeof f);
            }
            v.vector = Vector3{xyz[0], xyz[1], xyz[2]};
            break;
        }
        case FieldType::WagonList: {
            const uint32_t n = in.u32("a snapshot");
            // A wagon takes at least the bytes of its fields; one with none would take no byte at all,
            // so a handful of bytes could claim any number of them.
            size_t least = 0;
            for (const RecordedField& f : wagonFields) least += leastBytes(f.type);
            if (!in.ok()) break;
            if (n > 0 && least == 0) {
                in.fail(offset, "a list of " + std::to_string(n) + " wagons, where the header gives a wagon no fields");
            } else if (n > kLargestList || static_cast<uint64_t>(n) * least > in.left()) {
                in.fail(offset, "a list of " + std::to_string(n) + " wagons where the file has room for " +
                                    std::to_string(in.left() / (least == 0 ? 1 : least)));
            }
            if (!in.ok() || !in.spend(static_cast<uint64_t>(n) * sizeof(std::vector<FieldValue>))) break;
            v.wagons.reserve(n);
            for (uint32_t i = 0; i < n && in.ok(); ++i) v.wagons.push_back(readValues(in, wagonFields, {}));
            break;
        }
    }
    return v;
}

struct Decoder {
    Cursor& in;
    Recording& r;
    std::vector<uint32_t> predictions;
    std::vector<uint8_t> occurrences;

    void newKeyPoint() {
        std::fill(predictions.begin(), predictions.end(), 0u);
        newPass();
    }
    void newPass() { std::fill(occurrences.begin(), occurrences.end(), uint8_t{0}); }

    bool repeated = false;  // the call being read repeats its prediction: its words take no byte
    uint32_t taken = 0;     // the words of the call being read
    uint32_t stored = 0;    // those of them kept: past kPredictedWords a repeated call keeps none

    uint32_t word(WordKind kind, uint32_t* predicted, size_t& index) {
        uint32_t& prediction = predicted[index < kPredictedWords - 1 ? index++ : kPredictedWords - 1];
        const uint8_t tag = repeated ? static_cast<uint8_t>(kPredicted) : in.u8("a call");
        uint32_t value = 0;
        if (tag == kPredicted) value = prediction;
        else if (tag == kZero) value = 0;
        else if (tag == kRaw) value = in.u32("a call");
        else value = smallValue(kind, tag);
        prediction = value;
        if ((!repeated || taken < kPredictedWords) && in.spend(sizeof value)) {
            r.words.push_back(value);
            ++stored;
        }
        ++taken;
        return value;
    }

    void call(uint8_t native, bool repeat, size_t offset) {
        repeated = repeat;
        const RecordedNative& n = r.natives[native];
        const size_t place = occurrences[native] < kPredictedCalls - 1 ? occurrences[native]++ : kPredictedCalls - 1;
        uint32_t* predicted = &predictions[(static_cast<size_t>(native) * kPredictedCalls + place) * kPredictedWords];
        RecordedEvent e;
        e.kind = RecordedEvent::Kind::Call;
        e.native = native;
        e.offset = static_cast<uint32_t>(offset);
        e.first = static_cast<uint32_t>(r.words.size());
        taken = 0;
        stored = 0;
        size_t index = 0;
        for (char k : n.shape) e.digested = e.digested || isDigested(k);
        if (e.digested) word(WordKind::Integer, predicted, index);
        for (char k : n.shape) {
            if (k == 'f') {
                word(WordKind::Float, predicted, index);
                ++e.floats;
            }
        }
        switch (n.answer) {
            case recording::AnswerKind::None: break;
            case recording::AnswerKind::Integer:
            case recording::AnswerKind::Deletion: word(WordKind::Integer, predicted, index); break;
            case recording::AnswerKind::Float: word(WordKind::Float, predicted, index); break;
            case recording::AnswerKind::Vector:
                for (int i = 0; i < 3; ++i) word(WordKind::Float, predicted, index);
                break;
            case recording::AnswerKind::NearbyList: {
                word(WordKind::Integer, predicted, index);
                const size_t at = in.at();
                const uint32_t entries = word(WordKind::Integer, predicted, index);
                if (entries > kNearbyEntries) {
                    in.fail(at, "a nearby list of " + std::to_string(entries) + " entries");
                    return;
                }
                for (uint32_t i = 0; i < entries && in.ok(); ++i) word(WordKind::Integer, predicted, index);
                break;
            }
        }
        e.count = taken;
        e.stored = stored;
        keep(e);
    }

    void keep(const RecordedEvent& e) {
        if (in.spend(sizeof e)) r.events.push_back(e);
    }

    void body() {
        const size_t start = in.at();
        predictions.assign(r.natives.size() * kPredictedCalls * kPredictedWords, 0u);
        occurrences.assign(r.natives.size(), 0);
        uint32_t passes = 0;
        for (;;) {
            const size_t offset = in.at();
            if (in.left() == 0) {
                in.fail(offset, "the file ends without its end record (truncated)");
                return;
            }
            const uint8_t tag = in.u8("a record");
            if (offset == start && tag != kKeyPoint) {
                in.fail(offset, "the records begin with tag " + std::to_string(tag) + ", not a key point");
                return;
            }
            RecordedEvent e;
            e.offset = static_cast<uint32_t>(offset);
            if (tag < r.natives.size()) {
                call(tag, false, offset);
            } else if (tag >= kRepeatedCall && tag - kRepeatedCall < static_cast<int>(r.natives.size())) {
                call(static_cast<uint8_t>(tag - kRepeatedCall), true, offset);
            } else if (tag == kPass || tag == kKeyPoint) {
                e.kind = RecordedEvent::Kind::Pass;
                const uint32_t due = lastPass_ + 1;
                if (tag == kKeyPoint) {
                    e.pass = in.u32("a key point");
                    if (passes > 0 && e.pass != due) {
                        in.fail(offset, "a key point of pass " + std::to_string(e.pass) + " where pass " +
                                            std::to_string(due) + " was due");
                        return;
                    }
                    newKeyPoint();
                    if (!in.spend(sizeof(Snapshot))) return;
                    Snapshot s;
                    s.state = readValues(in, r.stateFields, r.wagonFields);
                    s.settings = readValues(in, r.settingsFields, r.wagonFields);
                    e.snapshot = static_cast<int32_t>(r.snapshots.size());
                    r.snapshots.push_back(std::move(s));
                } else {
                    e.pass = due;
                    newPass();
                }
                lastPass_ = e.pass;
                ++passes;
                keep(e);
            } else if (tag == kScriptStart) {
                e.kind = RecordedEvent::Kind::ScriptStart;
                newPass();
                keep(e);
            } else if (tag == kRandom) {
                e.kind = RecordedEvent::Kind::Random;
                e.value = static_cast<int32_t>(in.u32("a random number"));
                keep(e);
            } else if (tag == kAllVehicles) {
                e.kind = RecordedEvent::Kind::AllVehicles;
                e.count = in.u32("a vehicle list");
                if (e.count > in.left() / 4) {
                    in.fail(offset, "a vehicle list of " + std::to_string(e.count) + " handles");
                    return;
                }
                if (!in.spend(uint64_t{e.count} * 4)) return;
                e.first = static_cast<uint32_t>(r.words.size());
                e.stored = e.count;
                for (uint32_t i = 0; i < e.count; ++i) r.words.push_back(in.u32("a vehicle list"));
                keep(e);
            } else if (tag == kConfiguration) {
                e.kind = RecordedEvent::Kind::Configuration;
                const uint32_t n = in.u32("a configuration text");
                if (n > kLargestConfiguration) {
                    in.fail(offset, "a configuration text of " + std::to_string(n) + " bytes");
                    return;
                }
                e.first = static_cast<uint32_t>(r.texts.size());
                if (!in.need(n, "a configuration text") || !in.spend(sizeof(std::string) + n)) return;
                r.texts.push_back(in.bytes(n, "a configuration text"));
                keep(e);
            } else if (tag == kNoConfiguration) {
                e.kind = RecordedEvent::Kind::NoConfiguration;
                keep(e);
            } else if (tag == kEnd) {
                const uint32_t counted = in.u32("the end record");
                const uint64_t bytes = in.u64("the end record");
                if (!in.ok()) return;
                if (counted != passes || bytes != offset - start) {
                    in.fail(offset, "the end record counts " + std::to_string(counted) + " passes in " +
                                        std::to_string(bytes) + " bytes; the file holds " + std::to_string(passes) +
                                        " in " + std::to_string(offset - start));
                    return;
                }
                if (in.left() != 0) in.fail(in.at(), "bytes after the end record");
                r.passes = passes;
                return;
            } else {
                in.fail(offset, "tag " + std::to_string(tag) + " is no record");
                return;
            }
            if (!in.ok()) return;
        }
    }

    uint32_t lastPass_ = 0;
};

}  // namespace

uint64_t listedCatalogueHash(const std::vector<RecordedNative>& natives) {
    uint64_t h = kFnv64Basis;
    const char nul = '\0';
    for (const RecordedNative& n : natives) {
        h = fnv64(fnv64(h, n.op.data(), n.op.size()), &nul, 1);
        char bytes[8] = {};
        for (int b = 0; b < 8; ++b) bytes[b] = static_cast<char>((n.hash >> (8 * b)) & 0xFF);
        h = fnv64(h, bytes, 8);
        h = fnv64(fnv64(h, n.shape.data(), n.shape.size()), &nul, 1);
        const char kind = static_cast<char>(n.answer);
        h = fnv64(h, &kind, 1);
    }
    return h;
}

ReadResult readRecording(const uint8_t* data, size_t size) {
    ReadResult result;
    Cursor in(data, size);
    Recording r;
    r.fileBytes = size;
    if (size > kLargestFile) {
        result.error = "the file is larger than any recording (over 64 MB)";
        return result;
    }
    if (size < sizeof kMagic || std::memcmp(data, kMagic, sizeof kMagic) != 0) {
        result.error = "byte 0: not a ride recording (it does not begin with VLREC)";
        return result;
    }
    in.bytes(sizeof kMagic, "the header");
    r.version = in.u16("the header");
    if (in.ok() && r.version != kVersion) {
        result.error = "byte 8: a recording of format version " + std::to_string(r.version) + "; this build reads version " +
                       std::to_string(kVersion);
        return result;
    }
    const size_t reasonAt = in.at();
    const uint8_t reason = in.u8("the header");
    if (in.ok() && (reason < 1 || reason > 4)) in.fail(reasonAt, "reason " + std::to_string(reason) + " is unknown");
    r.reason = static_cast<Reason>(reason);
    r.pluginVersion = in.text("the header");
    const size_t hashAt = in.at();
    r.catalogueHash = in.u64("the header");
    const size_t countAt = in.at();
    const uint16_t natives = in.u16("the header");
    if (in.ok() && natives > kFirstSpecial - kRepeatedCall)
        in.fail(countAt, std::to_string(natives) + " natives, more than tags allow");
    for (uint16_t i = 0; i < natives && in.ok(); ++i) {
        const size_t offset = in.at();
        RecordedNative n;
        n.op = in.text("the catalogue");
        n.hash = in.u64("the catalogue");
        n.shape = in.text("the catalogue");
        const uint8_t answer = in.u8("the catalogue");
        if (in.ok() && (answer > static_cast<uint8_t>(recording::AnswerKind::Deletion) ||
                        n.shape.find_first_not_of("ibfpt") != std::string::npos)) {
            in.fail(offset, "native " + n.op + " has an unknown shape or answer");
        }
        n.answer = static_cast<recording::AnswerKind>(answer);
        r.natives.push_back(std::move(n));
    }
    // The replay trusts the listed shapes and answers once the hash is this build's: they must be what
    // the hash was made of, or a damaged list would have it write through an argument that is no pointer.
    if (in.ok() && listedCatalogueHash(r.natives) != r.catalogueHash)
        in.fail(hashAt, "the natives listed do not make the catalogue hash the header gives");
    readFields(in, r.stateFields, "state", true);
    readFields(in, r.wagonFields, "wagon", false);
    readFields(in, r.settingsFields, "settings", true);
    if (in.ok()) {
        Decoder decoder{in, r, {}, {}};
        decoder.body();
    }
    if (!in.ok()) {
        result.error = in.error();
        return result;
    }
    result.recording = std::move(r);
    return result;
}

ReadResult readRecordingFile(const std::string& path) {
    ReadResult result;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = "cannot open " + path;
        return result;
    }
    std::string bytes;
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<size_t>(in.gcount()));
        if (bytes.size() > kLargestFile) {
            result.error = path + " is larger than any recording (over 64 MB)";
            return result;
        }
    }
    return readRecording(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

int fieldIndex(const std::vector<RecordedField>& fields, const std::string& name) {
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name) return static_cast<int>(i);
    return -1;
}

std::string settingsIni(const Recording& recording, const Snapshot& snapshot) {
    std::string ini;
    for (size_t i = 0; i < recording.settingsFields.size() && i < snapshot.settings.size(); ++i) {
        const RecordedField& f = recording.settingsFields[i];
        const FieldValue& v = snapshot.settings[i];
        if (f.name.find('.') == std::string::npos) continue;  // not a key: the fields no key fills
        std::string value;
        switch (f.type) {
            case FieldType::I32: value = std::to_string(static_cast<int32_t>(v.word)); break;
            case FieldType::U32: value = std::to_string(v.word); break;
            case FieldType::Bool: value = v.word != 0 ? "1" : "0"; break;
            case FieldType::F32: {
                float x = 0.0f;
                std::memcpy(&x, &v.word, sizeof x);
                char buffer[32];
                const auto done = std::to_chars(buffer, buffer + sizeof buffer, x);
                value.assign(buffer, done.ptr);
                break;
            }
            case FieldType::Text: value = v.text; break;
            default: continue;
        }
        ini += f.name + " = " + value + "\n";
    }
    return ini;
}

}  // namespace sim
