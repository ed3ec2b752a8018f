#pragma once
// The report's reading of a VornLoconaut.ini, line by line as the plug-in's reader splits and
// strips the lines: which line supplies each key, and why each other line counts for nothing. The
// plug-in's reader looks for one key at a time and says nothing of the lines it passes over; this
// reading must agree with it on every line that supplies a key, as the unit tests check.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace playground {

// At most this many ignored lines are listed one by one; the rest are only counted by reason.
inline constexpr size_t kListedLines = 300;

struct IgnoredLine {
    size_t line;
    std::string text;  // as shown
    size_t length;
    std::string reason;
    std::string why;
    int suggestion = -1;  // the key it may be meant for
};

// Key by key, in the order of kSettingRows.
struct LineReading {
    size_t lineCount = 0;
    std::vector<std::optional<size_t>> supplier;
    // For a key no line supplies, up to three lines that look meant for it.
    std::vector<std::vector<std::string>> hints;
    std::vector<IgnoredLine> listed;
    std::map<std::string, size_t> byReason;
    size_t total = 0;
};

LineReading readLines(const std::string& bytes);

}  // namespace playground
