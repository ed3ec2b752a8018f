// vornloconaut-sim SCENARIO.json [--trace FILE] [--workdir DIR] [--zero] [--hud DIR --frames LIST] [--map FILE]
//                  [--record-answers FILE] [--record FILE]
// Plays a scenario with the plug-in bound in-process and prints the timeline on stdout.
// vornloconaut-sim --replay FILE [--timeline] [--trace FILE]: plays a ride recording back (sim/runners/replay.h).
// vornloconaut-sim --soak SECONDS ... and --hostile zero|garbage ...: see sim/runners/stress_command.h.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "host/recorder.h"
#include "sim/runners/answer_tape.h"
#include "sim/pictures/hud_picture.h"
#include "sim/runners/in_process_plugin.h"
#include "sim/pictures/map_picture.h"
#include "sim/runners/recording.h"
#include "sim/runners/replay.h"
#include "sim/runners/scenario.h"
#include "sim/runners/stress_command.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: vornloconaut-sim SCENARIO.json [--trace FILE] [--workdir DIR] [--zero]\n"
                 "                        [--hud DIR --frames LIST] [--map FILE] [--record-answers FILE]\n"
                 "  --trace FILE    every native call the plug-in makes, one JSON line each\n"
                 "  --workdir DIR   the game folder, where the INI lives (default: a fresh temporary one)\n"
                 "  --zero          every native answers 0\n"
                 "  --hud DIR       DIR/frame-<N>.png of what the player sees on screen after each frame N\n"
                 "  --frames LIST   the frames for --hud, e.g. 120,300,450\n"
                 "  --map FILE      a top-down PNG of the world at the end, with the paths over the run\n"
                 "  --record-answers FILE  the game's side of the ride as a tape: the INI, each frame's\n"
                 "                  controls and time, every answer (a seed of the game fuzzer)\n"
                 "  --record FILE   the plug-in records the ride whatever its settings say, and FILE gets\n"
                 "                  its recording at the end, as VornLoconaut-last-ride.vlrec would\n"
                 "       vornloconaut-sim --replay FILE [--timeline] [--trace FILE]\n"
                 "  --replay FILE   plays a ride recording back and prints where the plug-in first makes\n"
                 "                  another call than recorded, or \"replayed N passes, no divergence\"\n"
                 "  --timeline      with --replay: the ride's account, as a scenario prints it\n");
    return 2;
}

// Exit status 0 when the plug-in made every recorded call, 1 when it diverged, 2 when the file was
// refused.
int replay(const std::string& path, std::ostream* trace, bool timeline) {
    const sim::ReadResult read = sim::readRecordingFile(path);
    if (!read.recording) {
        std::printf("refused: %s\n", read.error.c_str());
        return 2;
    }
    sim::ReplayOptions options;
    options.timeline = timeline ? &std::cout : nullptr;
    options.trace = trace;
    const sim::ReplayResult result = sim::replayRecording(*read.recording, options);
    for (const std::string& note : result.notes) std::cout << "note: " << note << '\n';
    std::cout << result.summary() << std::endl;
    if (!result.refusal.empty()) return 2;
    return result.faithful() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int code = sim::runStressCommand(argc, argv); code >= 0) return code;
    std::string scenarioPath;
    std::string tracePath;
    std::string workdir;
    bool zero = false;
    std::string hudDir;
    std::string frameList;
    std::string mapPath;
    std::string tapePath;
    std::string recordPath;
    std::string replayPath;
    bool timeline = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--replay" && i + 1 < argc) {
            replayPath = argv[++i];
        } else if (arg == "--timeline") {
            timeline = true;
        } else if (arg == "--record" && i + 1 < argc) {
            recordPath = argv[++i];
        } else if (arg == "--trace" && i + 1 < argc) {
            tracePath = argv[++i];
        } else if (arg == "--workdir" && i + 1 < argc) {
            workdir = argv[++i];
        } else if (arg == "--zero") {
            zero = true;
        } else if (arg == "--hud" && i + 1 < argc) {
            hudDir = argv[++i];
        } else if (arg == "--frames" && i + 1 < argc) {
            frameList = argv[++i];
        } else if (arg == "--map" && i + 1 < argc) {
            mapPath = argv[++i];
        } else if (arg == "--record-answers" && i + 1 < argc) {
            tapePath = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && scenarioPath.empty()) {
            scenarioPath = arg;
        } else {
            return usage();
        }
    }
    const bool replaying = !replayPath.empty();
    if (replaying && (!scenarioPath.empty() || !recordPath.empty() || !tapePath.empty() || !hudDir.empty() ||
                      !mapPath.empty() || !workdir.empty() || zero || !frameList.empty()))
        return usage();
    if (!replaying && (scenarioPath.empty() || timeline)) return usage();
    std::ofstream trace;
    if (!tracePath.empty()) {
        trace.open(tracePath, std::ios::binary | std::ios::trunc);
        if (!trace) {
            std::fprintf(stderr, "vornloconaut-sim: cannot write %s\n", tracePath.c_str());
            return 2;
        }
    }
    if (replaying) return replay(replayPath, tracePath.empty() ? nullptr : &trace, timeline);
    const auto hudFrames = sim::parseFrameList(frameList);
    if (hudDir.empty() != frameList.empty() || (!hudDir.empty() && !hudFrames)) {
        std::fprintf(stderr, "vornloconaut-sim: --hud DIR needs --frames LIST of frame numbers like 120,300,450\n");
        return usage();
    }
    sim::Scenario scenario;
    try {
        scenario = sim::loadScenario(scenarioPath);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vornloconaut-sim: %s\n", e.what());
        return 2;
    }
    sim::GameOptions options;
    options.workdir = workdir;
    options.answerZero = zero;
    options.trace = tracePath.empty() ? nullptr : &trace;
    // Paths given on the command line stay relative to where it was typed, not to the game folder.
    std::unique_ptr<sim::HudRecorder> hud;
    if (!hudDir.empty()) hud = std::make_unique<sim::HudRecorder>(std::filesystem::absolute(hudDir), *hudFrames);
    std::unique_ptr<sim::MapRecorder> map;
    if (!mapPath.empty()) {
        mapPath = std::filesystem::absolute(mapPath).string();
        map = std::make_unique<sim::MapRecorder>();
    }
    if (!recordPath.empty()) recordPath = std::filesystem::absolute(recordPath).string();
    std::unique_ptr<sim::AnswerRecorder> tape;
    if (!tapePath.empty()) {
        tapePath = std::filesystem::absolute(tapePath).string();
        const nlohmann::json& ini = scenario.doc.contains("ini") ? scenario.doc["ini"] : nlohmann::json();
        tape = std::make_unique<sim::AnswerRecorder>(ini.is_string() ? std::optional<std::string>(ini.get<std::string>())
                                                                     : std::nullopt);
    }
    const sim::FrameObserver observe = [&](const sim::Game& g) {
        if (hud) hud->afterFrame(g);
        if (map) map->afterFrame(g.world());
    };
    sim::ScenarioResult result;
    bool outputsWritten = true;
    forceRecording(!recordPath.empty());
    {
        sim::PluginGame game(options);
        if (tape) {
            sim::Hook& hook = game.hook();
            hook.frameBegun = [&tape, &hook] { tape->beginFrame(hook.world.input.held, hook.world.input.frameSeconds); };
            hook.answered = [&tape](const sim::NativeCall& call, const uint64_t* r) { tape->answered(call, r); };
            sim::AnswerRecorder::recordListsInto(tape.get());
        }
        result = sim::playScenario(game, scenario, &std::cout, observe);
        sim::AnswerRecorder::recordListsInto(nullptr);
        if (!recordPath.empty() && !writeRecordingNow(recordPath.c_str())) {
            std::fprintf(stderr, "vornloconaut-sim: cannot write %s\n", recordPath.c_str());
            outputsWritten = false;
        }
        if (map && !map->draw(game.world(), scenario.name).writePng(mapPath)) {
            std::fprintf(stderr, "vornloconaut-sim: cannot write %s\n", mapPath.c_str());
            outputsWritten = false;
        }
    }
    if (hud) {
        for (const std::string& f : hud->failures()) std::fprintf(stderr, "vornloconaut-sim: %s\n", f.c_str());
        for (int f : hud->missed()) std::fprintf(stderr, "vornloconaut-sim: frame %d is past the end of the run\n", f);
        outputsWritten = outputsWritten && hud->failures().empty();
    }
    if (tape) {
        std::ofstream out(tapePath, std::ios::binary | std::ios::trunc);
        out << tape->bytes();
        if (!out) {
            std::fprintf(stderr, "vornloconaut-sim: cannot write %s\n", tapePath.c_str());
            outputsWritten = false;
        }
    }
    for (const std::string& f : result.failures) std::cout << "  " << f << '\n';
    if (!outputsWritten) return 2;
    return result.passed() ? 0 : 1;
}
