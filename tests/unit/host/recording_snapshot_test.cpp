// A key point must hold every field of the records it snapshots: a field missing from its lists would
// start every replay from a fresh value, and the replay would drift from the ride for no reason
// anyone could see.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "host/recording_snapshot.h"

namespace {

// Converts to any field's type; never called, only named in an unevaluated aggregate initialisation.
struct AnyField {
    template <class T>
    operator T() const;
};

// How many initialisers the aggregate takes: its fields, an array counting once per element.
template <class T, class... Fields>
consteval size_t fieldSlots() {
    if constexpr (requires { T{Fields{}..., AnyField{}}; }) {
        return fieldSlots<T, Fields..., AnyField>();
    } else {
        return sizeof...(Fields);
    }
}

// The lists visit every field once between them: as many visits as the record has slots, no field
// twice, and the recorded ones each under a name of its own.
template <class Record, class Recorded, class Derived>
void expectEveryFieldOnce(Record& record, size_t slots, Recorded recorded, Derived derived, const char* what) {
    std::set<const void*> fields;
    std::set<std::string> names;
    size_t visits = 0;
    auto visit = [&](const char* name, const auto& field) {
        ++visits;
        EXPECT_TRUE(fields.insert(&field).second) << what << ": " << name << " visited twice";
    };
    recorded(record, [&](const char* name, const auto& field) {
        visit(name, field);
        EXPECT_TRUE(names.insert(name).second) << what << ": the name " << name << " twice";
    });
    derived(record, visit);
    EXPECT_EQ(visits, slots) << what << " has a field its lists in host/recording_snapshot.h leave out";
}

TEST(RecordingSnapshot, ListsEveryFieldOfTheRecordsOnce) {
    ScriptState state;
    DerailedWagon wagon;
    Settings settings;
    const auto none = [](auto&, auto) {};
    expectEveryFieldOnce(state, fieldSlots<ScriptState>(), [](auto& s, auto v) { recording::forEachStateField(s, v); },
                         none, "ScriptState");
    expectEveryFieldOnce(wagon, fieldSlots<DerailedWagon>(), [](auto& w, auto v) { recording::forEachWagonField(w, v); },
                         none, "DerailedWagon");
    expectEveryFieldOnce(settings, fieldSlots<SettingsFields>(),
                         [](auto& s, auto v) { recording::forEachSettingsField(s, v); },
                         [](auto& s, auto v) { recording::forEachDerivedSettingsField(s, v); }, "Settings");
}

// The text digest takes four bytes a step; it must give what the file's layout says, a byte a step up
// to 4096 bytes, at every length and whatever the bytes (those above 0x7F too).
TEST(RecordingFormat, TheTextDigestIsTheBytewiseOneAtEveryLength) {
    std::string text;
    for (size_t length = 0; length <= recording::kLongestText + 5; ++length) {
        uint32_t expected = 0x811C9DC5u;
        for (size_t n = 0; n < length && n < recording::kLongestText; ++n) {
            expected = expected * 31u + static_cast<uint8_t>(text[n]);
        }
        expected = recording::digestWord(expected, 0xFFu);
        ASSERT_EQ(recording::digestText(0x811C9DC5u, text.c_str()), expected) << "length " << length;
        text.push_back(static_cast<char>(1 + (length * 97) % 255));
    }
}

}  // namespace
