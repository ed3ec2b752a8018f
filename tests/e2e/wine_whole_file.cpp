// vorn-wine-whole-file: the plug-in's file writer against Windows' own file calls, under Wine, in the
// folder it is started in. Windows refuses to replace, rename or delete a file that another program
// holds open without sharing its deletion (the C runtime's fopen opens files so); POSIX never does, so
// only here do these paths meet the system. Exit status 0 when every check holds.

#include <cstdio>
#include <string>

#include "util/whole_file.h"

namespace {

int gFailures = 0;

void check(bool holds, const char* what) {
    std::printf("%s: %s\n", holds ? "ok" : "FAILED", what);
    gFailures += holds ? 0 : 1;
}

std::string contents(const char* name) {
    std::string text;
    if (std::FILE* file = std::fopen(name, "rb")) {
        char buffer[256];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
        std::fclose(file);
    }
    return text;
}

bool exists(const char* name) {
    std::FILE* file = std::fopen(name, "rb");
    if (file != nullptr) std::fclose(file);
    return file != nullptr;
}

void put(const char* name, const char* text) {
    if (std::FILE* file = std::fopen(name, "wb")) {
        std::fputs(text, file);
        std::fclose(file);
    }
}

WholeFile::Outcome writeWhole(WholeFile& file, const char* name, const std::string& text, bool replace) {
    if (!file.open(name)) return WholeFile::Outcome::Failed;
    file.write(text.data(), text.size());
    return file.commit(replace);
}

}  // namespace

int main() {
    WholeFile file;

    // Only where there is none: a file that is there, the player's, is never replaced.
    put("settings.ini", "the player's");
    check(writeWhole(file, "settings.ini", "defaults", false) == WholeFile::Outcome::Failed, "no file made over the player's");
    check(contents("settings.ini") == "the player's" && !exists("settings.ini.tmp"), "the player's file kept, nothing left");
    check(writeWhole(file, "fresh.ini", "defaults", false) == WholeFile::Outcome::Landed && contents("fresh.ini") == "defaults",
          "a file made where there was none");

    // The last recording held open by another program: the new one waits under its temporary name.
    put("ride.vlrec", "the last ride");
    std::FILE* reader = std::fopen("ride.vlrec", "rb");
    check(writeWhole(file, "ride.vlrec", "this ride", true) == WholeFile::Outcome::Waiting, "a rename over a held file waits");
    check(contents("ride.vlrec.tmp") == "this ride" && file.land() == WholeFile::Outcome::Waiting,
          "the finished file kept under its temporary name while held");
    std::fclose(reader);
    check(file.land() == WholeFile::Outcome::Landed && contents("ride.vlrec") == "this ride" && !exists("ride.vlrec.tmp"),
          "it takes its name once the file is let go");

    // A stale temporary file held open by a scanner is passed over for the next name.
    std::FILE* scanner = std::fopen("ride.vlrec.tmp", "ab");
    check(writeWhole(file, "ride.vlrec", "the next ride", true) == WholeFile::Outcome::Landed &&
              contents("ride.vlrec") == "the next ride",
          "a held temporary name is passed over");
    std::fclose(scanner);

    std::printf("vorn-wine-whole-file: %d failed\n", gFailures);
    return gFailures == 0 ? 0 : 1;
}
