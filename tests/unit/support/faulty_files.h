#pragma once
// The system's file calls with faults put in, in the test's own process: a disk that fills after so
// many bytes, a flush or a close that fails, and files held as another program holds them on Windows
// (without sharing their deletion): they cannot be created anew, removed, replaced or renamed.

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "util/whole_file.h"

class FaultyFiles {
public:
    FaultyFiles() {
        real = gFileOperations;
        gFileOperations = {create, write, flush, close, rename, remove};
        diskLeft = kNoLimit;
        failFlush = failClose = false;
        held.clear();
        renames.clear();
        beforeRename = nullptr;
    }
    ~FaultyFiles() { gFileOperations = real; }
    FaultyFiles(const FaultyFiles&) = delete;
    FaultyFiles& operator=(const FaultyFiles&) = delete;

    static constexpr size_t kNoLimit = ~size_t{0};
    static inline FileOperations real;
    static inline size_t diskLeft = kNoLimit;
    static inline bool failFlush = false;
    static inline bool failClose = false;
    static inline std::set<std::string> held;
    static inline std::vector<std::string> renames;  // "from>to" or "from>to!" for a replacing one
    static inline std::function<void()> beforeRename;

private:
    static void* create(const char* path) { return held.count(path) > 0 ? nullptr : real.create(path); }
    static bool write(void* file, const void* bytes, size_t count) {
        if (count > diskLeft) {
            real.write(file, bytes, diskLeft);
            diskLeft = 0;
            return false;
        }
        diskLeft = diskLeft == kNoLimit ? kNoLimit : diskLeft - count;
        return real.write(file, bytes, count);
    }
    static bool flush(void* file) { return !failFlush && real.flush(file); }
    static bool close(void* file) { return real.close(file) && !failClose; }
    static bool rename(const char* from, const char* to, bool replace) {
        renames.push_back(std::string(from) + ">" + to + (replace ? "!" : ""));
        if (beforeRename) beforeRename();
        return held.count(from) == 0 && held.count(to) == 0 && real.rename(from, to, replace);
    }
    static bool remove(const char* path) { return held.count(path) == 0 && real.remove(path); }
};
