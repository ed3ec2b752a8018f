// A ride recorded as a tape and played back as the game fuzzer plays it makes the very same native
// calls: the tape's two ends read and write one format.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "sim/runners/answer_tape.h"
#include "sim/runners/in_process_plugin.h"
#include "sim/runners/scenario.h"
#include "sim/runners/session.h"
#include "unit/support/scratch_directory.h"

namespace {

TEST(AnswerTape, ARecordedRidePlaysBackCallForCall) {
    // The car's entry, the prompt, driving, doors and horn; a derailment with its wagons and INI.
    for (const char* name : {"freight-ride", "derailment"}) {
        const sim::Scenario scenario = sim::loadScenario(std::string(VORN_SOURCE_DIR "/scenarios/") + name + ".json");
        std::ostringstream recorded;
        std::string tape;
        {
            sim::GameOptions options;
            options.trace = &recorded;
            sim::PluginGame game(options);
            const nlohmann::json& ini = scenario.doc.value("ini", nlohmann::json());
            sim::AnswerRecorder recorder(ini.is_string() ? std::optional<std::string>(ini.get<std::string>())
                                                         : std::nullopt);
            sim::Hook& hook = game.hook();
            hook.frameBegun = [&] { recorder.beginFrame(hook.world.input.held, hook.world.input.frameSeconds); };
            hook.answered = [&](const sim::NativeCall& call, const uint64_t* r) { recorder.answered(call, r); };
            sim::AnswerRecorder::recordListsInto(&recorder);
            const bool passed = sim::playScenario(game, scenario, nullptr).passed();
            sim::AnswerRecorder::recordListsInto(nullptr);
            ASSERT_TRUE(passed) << name;
            tape = recorder.bytes();
        }

        ScratchDirectory scratch;
        const auto* data = reinterpret_cast<const uint8_t*>(tape.data());
        sim::AnswerPlayer player(data, tape.size());
        std::ostringstream played;
        sim::Session session(sim::AnswerPlayer::splitIni(data, tape.size()).first);
        sim::Hook& hook = session.hook();
        hook.trace = &played;
        hook.answer = [&](const sim::NativeCall& call, uint64_t* r) { player.answer(call, r, hook.world.input); };
        sim::AnswerPlayer::playListsFrom(&player);
        for (int f = 0; f < scenario.frames; ++f) {
            const sim::AnswerPlayer::Frame frame = player.nextFrame();
            session.setHeld(frame.held);
            session.step(frame.seconds);
        }
        sim::AnswerPlayer::playListsFrom(nullptr);
        EXPECT_TRUE(player.exhausted()) << name;
        EXPECT_TRUE(player.faults.empty()) << name;
        EXPECT_TRUE(hook.violations.empty()) << name;
        ASSERT_FALSE(recorded.str().empty());
        EXPECT_TRUE(recorded.str() == played.str()) << name << ": the played calls differ from the recorded ones";
    }
}

}  // namespace
