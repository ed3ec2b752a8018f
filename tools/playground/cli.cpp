// The playground's reports on the command line, from the same code as the page's WebAssembly: the
// page's tests compare the two, and a developer can look at a report without a browser.
//
//   vornloconaut-playground report FILE
//   vornloconaut-playground acceleration|braking FILE freight|tram
//   vornloconaut-playground bend FILE freight|tram RADIUS
//   vornloconaut-playground default-ini
//   vornloconaut-playground contract           (what the page's script and the engine agree on)
//   vornloconaut-playground recording FILE     (what the page shows of a ride recording)

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

#include "tools/playground/core/drive_runs.h"
#include "tools/playground/core/page_contract.h"
#include "tools/playground/core/recording_view.h"
#include "tools/playground/core/settings_report.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: vornloconaut-playground report FILE\n"
                 "       vornloconaut-playground acceleration|braking FILE freight|tram\n"
                 "       vornloconaut-playground bend FILE freight|tram RADIUS\n"
                 "       vornloconaut-playground default-ini\n"
                 "       vornloconaut-playground contract\n"
                 "       vornloconaut-playground recording FILE\n");
    return 2;
}

// The plug-in keeps its INI in the working directory: a fresh one, removed at the end.
class GameFolder {
public:
    GameFolder() : previous_(std::filesystem::current_path()) {
        std::random_device seed;
        for (;;) {
            path_ = std::filesystem::temp_directory_path() / ("vorn-playground-" + std::to_string(seed()));
            if (std::filesystem::create_directory(path_)) break;
        }
        std::filesystem::current_path(path_);
    }
    ~GameFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    GameFolder(const GameFolder&) = delete;
    GameFolder& operator=(const GameFolder&) = delete;

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

void print(const nlohmann::json& value) {
    std::cout << value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "default-ini" && argc == 2) {
        GameFolder folder;
        std::cout << playground::defaultIni();
        return 0;
    }
    if (command == "contract" && argc == 2) {
        print(playground::pageContract());
        return 0;
    }
    if (argc < 3) return usage();
    std::ifstream file(argv[2], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "vornloconaut-playground: cannot read %s\n", argv[2]);
        return 1;
    }
    std::ostringstream text;
    text << file.rdbuf();
    const std::string ini = text.str();
    const std::string kindName = argc > 3 ? argv[3] : "";
    const TrainKind kind = kindName == "tram" ? Tram : Freight;
    const bool kindGiven = kindName == "freight" || kindName == "tram";

    GameFolder folder;
    // The drives run on the text the report gives as settingsIni, as the page runs them.
    const std::string settings = command == "report" ? std::string() : playground::settingsIni(ini);
    if (command == "report" && argc == 3) {
        print(playground::settingsReport(ini));
    } else if (command == "recording" && argc == 3) {
        print(playground::recordingView(ini));
    } else if (command == "acceleration" && argc == 4 && kindGiven) {
        print(playground::accelerationRun(settings, kind));
    } else if (command == "braking" && argc == 4 && kindGiven) {
        print(playground::brakingRun(settings, kind));
    } else if (command == "bend" && argc == 5 && kindGiven) {
        char* end = nullptr;
        const float radius = std::strtof(argv[4], &end);
        if (end == argv[4] || *end != '\0' || !(radius > 0.0f && radius <= 100000.0f)) return usage();
        print(playground::bendRun(settings, kind, radius));
    } else {
        return usage();
    }
    return 0;
}
