// The ride recorder end to end: every scenario recorded, written and replayed; the moments the
// plug-in writes its file by itself; the file whole or absent whatever the disk does.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "config/settings.h"
#include "host/controls.h"
#include "host/natives.h"
#include "host/recorder.h"
#include "host/script_state.h"
#include "integration/train_test_world.h"
#include "sim/runners/in_process_plugin.h"
#include "sim/runners/recording.h"
#include "sim/runners/replay.h"
#include "sim/runners/scenario.h"
#include "sim/runners/session.h"
#include "unit/support/faulty_files.h"
#include "unit/support/scratch_directory.h"

namespace {

namespace fs = std::filesystem;

// Every test starts from a recorder as a fresh process has it, and leaves one.
struct FreshRecorder {
    explicit FreshRecorder(size_t ringBytes = kRecordingRingBytes) { resetRecorder(ringBytes); }
    ~FreshRecorder() { resetRecorder(); }
};

sim::ReplayResult replayFile(const fs::path& path, std::ostream* trace = nullptr) {
    const sim::ReadResult read = sim::readRecordingFile(path.string());
    if (!read.recording) {
        sim::ReplayResult refused;
        refused.refusal = read.error;
        return refused;
    }
    sim::ReplayOptions options;
    options.trace = trace;
    return sim::replayRecording(*read.recording, options);
}

std::string traceOf(const sim::Scenario& scenario, bool recording, const fs::path& writeTo = {},
                    size_t ringBytes = kRecordingRingBytes) {
    resetRecorder(ringBytes);
    forceRecording(recording);
    std::ostringstream trace;
    sim::GameOptions options;
    options.trace = &trace;
    sim::PluginGame game(options);
    const sim::ScenarioResult result = sim::playScenario(game, scenario);
    for (const std::string& f : result.failures) ADD_FAILURE() << scenario.name << ": " << f;
    if (!writeTo.empty()) {
        EXPECT_TRUE(writeRecordingNow(writeTo.c_str()));
    }
    return trace.str();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::vector<std::string> scenarioFiles() {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(fs::path(VORN_SOURCE_DIR) / "scenarios"))
        if (entry.path().extension() == ".json") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

class RecordingRoundTrip : public ::testing::TestWithParam<std::string> {};

// The recorder changes no call the plug-in makes, and its recording of the whole ride plays back to
// the very same calls, the replay's trace line for line the scenario's from the first key point on.
TEST_P(RecordingRoundTrip, ReplaysTheScenarioCallForCall) {
    FreshRecorder fresh;
    ScratchDirectory dir;
    const sim::Scenario scenario = sim::loadScenario(GetParam());
    const std::string off = traceOf(scenario, false);
    const fs::path file = dir.path() / "ride.vlrec";
    const std::string on = traceOf(scenario, true, file);
    ASSERT_EQ(on, off) << "recording changed the native calls";

    std::ostringstream replayed;
    const sim::ReplayResult result = replayFile(file, &replayed);
    ASSERT_TRUE(result.faithful()) << result.summary();
    EXPECT_EQ(result.passes, static_cast<size_t>(scenario.frames));
    const std::vector<std::string> original = lines(off);
    const std::vector<std::string> replay = lines(replayed.str());
    ASSERT_LE(replay.size(), original.size());
    EXPECT_TRUE(std::equal(replay.begin(), replay.end(), original.end() - static_cast<std::ptrdiff_t>(replay.size())));
}

INSTANTIATE_TEST_SUITE_P(EveryScenario, RecordingRoundTrip, ::testing::ValuesIn(scenarioFiles()),
                         [](const ::testing::TestParamInfo<std::string>& file) {
                             std::string name = fs::path(file.param).stem().string();
                             for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// A ring that wrapped many times over starts its file at the oldest key point it still holds.
TEST(Recording, AWrappedRingReplaysFromItsOldestKeyPoint) {
    FreshRecorder fresh;
    ScratchDirectory dir;
    const sim::Scenario scenario = sim::loadScenario(std::string(VORN_SOURCE_DIR) + "/scenarios/derailment.json");
    traceOf(scenario, true, dir.path() / "ride.vlrec", 24u << 10);
    const sim::ReadResult read = sim::readRecordingFile((dir.path() / "ride.vlrec").string());
    ASSERT_TRUE(read.recording) << read.error;
    EXPECT_GT(read.recording->events.front().pass, 1u);
    EXPECT_LT(read.recording->fileBytes, (24u << 10) + 8192u);
    const sim::ReplayResult result = sim::replayRecording(*read.recording);
    EXPECT_TRUE(result.faithful()) << result.summary();
    EXPECT_EQ(result.passes, read.recording->passes);
}

// A configuration loaded while the file is still being written, a slice a pass, wraps the ring over
// bytes the file has not taken yet: the file takes them first, and reads whole.
TEST(Recording, ARingWrappedDuringAWriteGivesTheFileItsBytesFirst) {
    FreshRecorder fresh(64u << 10);
    ScratchDirectory dir;
    forceRecording(true);
    ScriptState state;
    state.mode = InCab;
    const std::string ini = "; " + std::string(8000, 'a') + "\n";
    writeFileBytes(configurationFileName, ini);
    for (int pass = 1; pass <= 1500; ++pass) {  // the ring wrapped, a key point every 300 passes
        recordPassStart(state);
        if (pass % 100 == 0) recordConfigurationLoad();
        recordPassEnd(state);
    }
    recordPassStart(state);
    state.mode = OnFoot;  // the ride ends: its file is begun, and its first slice written
    recordPassEnd(state);
    writeFileBytes(configurationFileName, std::string(60000, 'b'));
    for (int pass = 0; pass < 4; ++pass) {
        recordPassStart(state);
        recordConfigurationLoad();
        recordPassEnd(state);
    }
    const sim::ReadResult read = sim::readRecordingFile(recordingFileName);
    ASSERT_TRUE(read.recording) << read.error;
    ASSERT_FALSE(read.recording->texts.empty());
    for (const std::string& text : read.recording->texts) EXPECT_EQ(text, ini);
}

using train_world::Ride;

class RecordedRide : public Ride {
protected:
    FreshRecorder fresh;
    fs::path file() const { return game.workdir() / recordingFileName; }
    // The file the plug-in wrote, read once it is complete (a slice of it per pass).
    std::optional<sim::Recording> written() {
        game.step(30);
        EXPECT_FALSE(fs::exists(file().string() + ".tmp"));
        if (!fs::exists(file())) return std::nullopt;
        sim::ReadResult read = sim::readRecordingFile(file().string());
        EXPECT_TRUE(read.recording) << read.error;
        return std::move(read.recording);
    }
    void expectReplays(const sim::Recording& recording) {
        const sim::ReplayResult result = sim::replayRecording(recording);
        EXPECT_TRUE(result.faithful()) << result.summary();
    }
};

// Off by default: nothing is written. Debug.Recording = 1 turns it on at the next load; the plug-in
// writes the file when the ride ends, when the train derails and when the game reloads.
TEST_F(RecordedRide, WritesItsFileWhenARideEndsATrainDerailsAndTheGameReloads) {
    addTram();
    auto enterBeside = [&] {
        game.step(300);  // the tram rolls to a stop
        enterFrom({trainPosition().x + 3.0f, trainPosition().y, 0.0f});
    };
    enterBeside();
    leave();
    EXPECT_FALSE(written()) << "the recorder is off by default";

    game.writeIni(*game.readIni() + "\r\nDebug.Recording = 1\r\n");
    enterBeside();
    holdFor(control::accelerate, 2.0f);
    leave();
    std::optional<sim::Recording> ride = written();
    ASSERT_TRUE(ride);
    EXPECT_EQ(ride->reason, recording::Reason::RideEnded);
    expectReplays(*ride);

    enterBeside();
    holdFor(control::accelerate, 2.0f);
    holdFor(control::derail, 3.0f);
    std::optional<sim::Recording> derailed = written();
    ASSERT_TRUE(derailed);
    EXPECT_EQ(derailed->reason, recording::Reason::Derailment);
    expectReplays(*derailed);

    game.restartScripts();
    std::optional<sim::Recording> reloaded = written();
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(reloaded->reason, recording::Reason::ScriptRestart);
    expectReplays(*reloaded);
}

// The game reloads while the file is still being written, a slice a pass: the new run finishes it,
// then writes its own, and the file under the final name is always whole.
TEST_F(RecordedRide, AReloadInTheMiddleOfAWriteLeavesAWholeFile) {
    forceRecording(true);
    addFreight();
    enterFrom({3.0f, train_world::kLeadY, 0.0f});
    holdFor(control::accelerate, 40.0f);
    game.tap(control::exit);
    game.step();
    ASSERT_TRUE(fs::exists(file().string() + ".tmp")) << "the ride's file should take more than one pass";
    game.restartScripts();
    std::optional<sim::Recording> reloaded = written();
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(reloaded->reason, recording::Reason::ScriptRestart);
    expectReplays(*reloaded);
}

// A configuration file too large to record: the recording starts afresh after its load, and what it
// then holds replays.
TEST_F(RecordedRide, AConfigurationTooLargeToRecordStartsTheRecordingAfresh) {
    forceRecording(true);
    addTram();
    game.step();
    game.writeIni("Tram.Acceleration = 5\n" + std::string(recording::kLargestConfiguration, ';') + "\n");
    enterFrom({3.0f, train_world::kLeadY, 0.0f});
    holdFor(control::accelerate, 1.0f);
    leave();
    std::optional<sim::Recording> ride = written();
    ASSERT_TRUE(ride);
    EXPECT_GT(ride->events.front().pass, 2u) << "the recording should begin after the load";
    EXPECT_TRUE(ride->texts.empty());
    expectReplays(*ride);
}

// A short ride in one thread: entered, driven, left.
struct ShortRide {
    sim::Session session{std::nullopt};
    explicit ShortRide(int driving = 1200) {
        sim::World& w = session.world();
        const int track = w.addTrack({{0, 0, 0}, {0, 2000, 0}});
        w.addTrain("freight", 3, track, 300.0f, 0.0f, true, "freight");
        w.moveEntity(w.player, {3.0f, 300.0f, 0.0f});
        frames(2);
        session.hold(control::enter);
        frames(60);
        session.release(control::enter);
        session.hold(control::accelerate);
        frames(driving);
        session.release(control::accelerate);
        session.hold(control::exit);
        frames(1);
        session.release(control::exit);
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) session.step(1.0f / 60.0f);
    }
};

void rideInSession(int driving = 1200, int after = 60) { ShortRide(driving).frames(after); }

// A full disk, a failed flush or close, a folder that cannot be written: the ride goes on, and no
// half file is left under either name.
TEST(Recording, AFailedWriteLeavesNoFileAndTheRideGoesOn) {
    FreshRecorder fresh;
    for (int fault = 0; fault < 3; ++fault) {
        ScratchDirectory dir;
        FaultyFiles files;
        FaultyFiles::diskLeft = fault == 0 ? 40000 : FaultyFiles::kNoLimit;
        FaultyFiles::failFlush = fault == 1;
        FaultyFiles::failClose = fault == 2;
        forceRecording(true);
        rideInSession();
        EXPECT_FALSE(fs::exists(recordingFileName)) << "fault " << fault;
        EXPECT_FALSE(fs::exists(std::string(recordingFileName) + ".tmp")) << "fault " << fault;
    }
    ScratchDirectory dir;
    fs::create_directory("removed");
    fs::current_path("removed");
    fs::remove(dir.path() / "removed");  // a folder nobody can write in, whoever runs the test
    forceRecording(true);
    rideInSession();
    EXPECT_FALSE(fs::exists(recordingFileName));
}

// Another program holds the last recording open as a ride ends (on Windows, no rename may replace
// it): the finished file waits under its temporary name, is tried again pass after pass without
// holding one up, and takes its name once the file is let go. At unload a write in progress is
// finished from the ring in memory, and the ring freed.
TEST(Recording, ARecordingHeldOffItsNameLandsLaterAndOneInProgressAtUnload) {
    FreshRecorder fresh;
    ScratchDirectory dir;
    FaultyFiles files;
    const std::string waiting = std::string(recordingFileName) + ".tmp";
    writeFileBytes(recordingFileName, "the last ride");
    FaultyFiles::held = {recordingFileName};
    forceRecording(true);
    ShortRide ride;
    ride.frames(600);
    EXPECT_EQ(readFileBytes(recordingFileName), "the last ride");
    ASSERT_TRUE(fs::exists(waiting));
    const size_t triesBefore = FaultyFiles::renames.size();
    EXPECT_GE(triesBefore, 10u);
    FaultyFiles::held.clear();
    ride.frames(30);
    EXPECT_FALSE(fs::exists(waiting));
    EXPECT_FALSE(replayFile(recordingFileName).diverged);

    fs::remove(recordingFileName);
    // Another game: in a player's, a new process, whose recording holds nothing of the last game's
    // ride (the stand-in forgets what that game's script held in it).
    resetRecorder();
    forceRecording(true);
    ShortRide second(3000);
    ASSERT_TRUE(fs::exists(waiting));  // a slice is out, the rest is in memory only
    const std::string before = readFileBytes(recordingFileName);
    finishRecordingAtUnload();
    EXPECT_FALSE(fs::exists(waiting));
    EXPECT_GT(readFileBytes(recordingFileName).size(), before.size());
    EXPECT_EQ(recorderRingBytes(), 0u);
    const sim::ReplayResult result = replayFile(recordingFileName);
    EXPECT_TRUE(result.refusal.empty() && !result.diverged) << result.summary();

    // Held for good: after its tries the finished file stays under its temporary name, for the player.
    FaultyFiles::held = {recordingFileName};
    ShortRide third(600);
    third.frames(700);
    const size_t tries = FaultyFiles::renames.size();
    third.frames(60);
    EXPECT_EQ(FaultyFiles::renames.size(), tries);
    EXPECT_TRUE(fs::exists(waiting));
}

// Cut anywhere, a recording is refused with the offset where it stops making sense, and never read
// past its end; a damaged record is refused where it begins; one made with another catalogue reads
// but is not replayed, and says why.
TEST(Recording, ACutDamagedOrForeignFileIsRefusedSayingWhere) {
    FreshRecorder fresh;
    ScratchDirectory dir;
    forceRecording(true);
    rideInSession(5, 5);
    ASSERT_TRUE(writeRecordingNow("ride.vlrec"));
    std::string bytes = readFileBytes("ride.vlrec");
    const auto read = [](const std::string& b, size_t n) {
        return sim::readRecording(reinterpret_cast<const uint8_t*>(b.data()), n);
    };
    for (size_t n = 0; n < bytes.size(); ++n) {
        const sim::ReadResult cut = read(bytes, n);
        ASSERT_FALSE(cut.recording) << "cut at " << n;
        ASSERT_EQ(cut.error.rfind("byte ", 0), 0u) << cut.error;
        ASSERT_LE(std::stoul(cut.error.substr(5)), n) << cut.error;
    }
    const sim::ReadResult whole = read(bytes, bytes.size());
    ASSERT_TRUE(whole.recording) << whole.error;

    const auto call = std::find_if(whole.recording->events.begin(), whole.recording->events.end(),
                                   [](const sim::RecordedEvent& e) { return e.kind == sim::RecordedEvent::Kind::Call; });
    ASSERT_NE(call, whole.recording->events.end());
    std::string damaged = bytes;
    damaged[call->offset] = '\xEE';
    EXPECT_EQ(read(damaged, damaged.size()).error, "byte " + std::to_string(call->offset) + ": tag 238 is no record");

    // A hash that its list of natives does not make is damage; a build with another first native is
    // another catalogue, refused by the replay.
    const size_t hashAt = 8 + 2 + 1 + 1 + std::string(pluginVersion).size();
    std::string lying = bytes;
    lying[hashAt] ^= 1;
    EXPECT_EQ(read(lying, lying.size()).error.rfind("byte " + std::to_string(hashAt) + ": ", 0), 0u);
    std::string foreign = bytes;
    std::vector<sim::RecordedNative> natives = whole.recording->natives;
    natives[0].op[0] ^= 0x20;
    foreign[hashAt + 8 + 2 + 1] ^= 0x20;
    const uint64_t foreignHash = sim::listedCatalogueHash(natives);
    for (int b = 0; b < 8; ++b) foreign[hashAt + static_cast<size_t>(b)] = static_cast<char>(foreignHash >> (8 * b));
    const sim::ReadResult other = read(foreign, foreign.size());
    ASSERT_TRUE(other.recording) << other.error;
    const std::string refusal = sim::replayRecording(*other.recording).refusal;
    EXPECT_NE(refusal.find("format version 1"), std::string::npos) << refusal;
    char ours[24];
    std::snprintf(ours, sizeof ours, "0x%016llX", static_cast<unsigned long long>(recording::catalogueHash()));
    char theirs[24];
    std::snprintf(theirs, sizeof theirs, "0x%016llX", static_cast<unsigned long long>(other.recording->catalogueHash));
    EXPECT_NE(refusal.find(ours), std::string::npos) << refusal;
    EXPECT_NE(refusal.find(theirs), std::string::npos) << refusal;
}

// Made-up files that claim far more than they hold: the reader refuses them before it builds it.
std::string le(uint64_t value, int bytes) {
    std::string s;
    for (int b = 0; b < bytes; ++b) s += static_cast<char>(value >> (8 * b));
    return s;
}
std::string text(const std::string& t) { return static_cast<char>(t.size()) + t; }
std::string headerFor(const std::vector<sim::RecordedNative>& natives, const std::string& fields) {
    std::string h(recording::kMagic, sizeof recording::kMagic);
    h += le(1, 2) + le(4, 1) + text("3.2.0") + le(sim::listedCatalogueHash(natives), 8) + le(natives.size(), 2);
    for (const sim::RecordedNative& n : natives) h += text(n.op) + le(n.hash, 8) + text(n.shape) + le(4, 1);
    return h + fields;
}
std::string ended(const std::string& header, const std::string& records, uint32_t passes) {
    return header + records + '\xFF' + le(passes, 4) + le(records.size(), 8);
}
sim::ReadResult readBytes(const std::string& b) {
    return sim::readRecording(reinterpret_cast<const uint8_t*>(b.data()), b.size());
}

TEST(Recording, AFileIsRefusedWhenItClaimsMoreThanItHolds) {
    // Every key point a list of 65,536 wagons of no fields, which would take no byte each.
    const std::string noWagonFields = headerFor({}, le(1, 2) + text("wagons") + '\x08' + le(0, 2) + le(0, 2));
    std::string keyPoints;
    for (uint32_t pass = 1; pass <= 2; ++pass) keyPoints += '\xF1' + le(pass, 4) + le(65536, 4);
    const sim::ReadResult wagons = readBytes(ended(noWagonFields, keyPoints, 2));
    EXPECT_NE(wagons.error.find("a list of 65536 wagons, where the header gives a wagon no fields"), std::string::npos)
        << wagons.error;

    // A nearby list of 256 entries, each 7, at the place all later calls of a pass share; then calls
    // that repeat it, a byte each.
    const sim::RecordedNative nearby{"ListNearbyVehicles", 0xCFF869CBFA210D82ull, "ip", recording::AnswerKind::NearbyList};
    const std::string header = headerFor({nearby}, le(0, 6));
    const std::string list = std::string(15, '\x80') + '\x00' + '\x01' + '\x02' + le(256, 4) + '\x02' + le(256, 4) +
                             std::string(256, static_cast<char>(recording::kIntegerZeroTag + 7));
    const std::string start = '\xF1' + le(1, 4) + list;
    const sim::ReadResult few = readBytes(ended(header, start + std::string(1000, '\x80'), 1));
    ASSERT_TRUE(few.recording) << few.error;
    const sim::Recording& r = *few.recording;
    const sim::RecordedEvent& last = r.events.back();
    EXPECT_EQ(last.count, 259u);  // the digest, the count, the entries written and each entry
    EXPECT_EQ(r.word(last, 2), 256u);
    EXPECT_EQ(r.word(last, 258), 7u);
    EXPECT_LE(r.words.size() * 4 + r.events.size() * sizeof last, 200u * 1024);
    // 200 KB of them once decoded to 276 MB.
    const std::string many = ended(header, start + std::string(200 * 1024, '\x80'), 1);
    const sim::ReadResult refused = readBytes(many);
    EXPECT_NE(refused.error.find("would decode to more than 16 MiB"), std::string::npos) << refused.error;
}

// The game may write into the first slot of the nearby list's buffer, where the plug-in put its
// capacity: the entries recorded are never more than the buffer held.
uint64_t gPushed = 0;
TEST(Recording, ANearbyListIsRecordedUpToTheBuffersCapacity) {
    FreshRecorder fresh;
    ScratchDirectory dir;
    const HookFunctions saved = gHook;
    gHook.nativeInit = [](uint64_t) {};
    gHook.nativePush64 = [](uint64_t value) { gPushed = value; };
    gHook.nativeCall = []() -> uint64_t* {
        static uint64_t result[4] = {};
        auto* buffer = reinterpret_cast<uint64_t*>(static_cast<uintptr_t>(gPushed));
        for (uint64_t i = 1; i <= buffer[0]; ++i) buffer[i] = 100 + i;
        buffer[0] = result[0] = 1000;
        return result;
    };
    forceRecording(true);
    const ScriptState state;
    recordPassStart(state);
    uint64_t buffer[11] = {10};
    ListNearbyVehicles(7, buffer);
    recordPassEnd(state);
    const bool written = writeRecordingNow("nearby.vlrec");
    gHook = saved;
    ASSERT_TRUE(written);
    const sim::ReadResult read = sim::readRecordingFile("nearby.vlrec");
    ASSERT_TRUE(read.recording) << read.error;
    const sim::Recording& r = *read.recording;
    const sim::RecordedEvent& call = r.events.back();
    ASSERT_EQ(r.natives[call.native].op, "ListNearbyVehicles");
    EXPECT_EQ(r.word(call, 1), 1000u);  // the count the game gave
    EXPECT_EQ(r.word(call, 2), 10u);    // the entries recorded
    EXPECT_EQ(r.word(call, 12), 110u);
}

}  // namespace
