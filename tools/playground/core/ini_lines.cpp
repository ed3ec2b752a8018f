#include "tools/playground/core/ini_lines.h"

#include <iterator>
#include <utility>

#include "config/reader.h"
#include "config/setting_table.h"
#include "tools/playground/core/key_suggestions.h"
#include "tools/playground/core/player_text.h"

namespace playground {

namespace {

class LineReader {
public:
    LineReading read(const std::string& bytes) {
        std::string line;
        size_t i = bytes.compare(0, utf8ByteOrderMark.size(), utf8ByteOrderMark) == 0 ? utf8ByteOrderMark.size() : 0;
        while (i < bytes.size()) {
            const size_t end = bytes.find_first_of("\r\n", i);
            if (end == std::string::npos) {
                line.assign(bytes, i, std::string::npos);
                i = bytes.size();
                break;
            }
            line.assign(bytes, i, end - i);
            i = end + 1;
            if (bytes[end] == '\r' && i < bytes.size() && bytes[i] == '\n') ++i;
            take(line);
            line.clear();
        }
        if (!line.empty()) take(line);
        return std::move(reading_);
    }

private:
    void take(std::string& raw) {
        const size_t number = ++reading_.lineCount;
        trimWhitespace(raw);
        const std::string& t = raw;
        if (t.empty()) return;
        if (t.size() < 3) return ignore(number, t, "short", "too short: the plug-in skips lines of fewer than 3 characters");
        if (t[0] == ';') return ignore(number, t, "comment", "a comment");
        if (t[0] == '[') return ignore(number, t, "section", "a section header: sections play no part, keys count wherever they stand");
        const size_t equals = t.find('=');
        const std::string key = trimmed(t.substr(0, equals));
        const int index = keyIndex(key);
        if (index >= 0) {
            const std::string name = kSettingRows[index].key;
            if (equals == std::string::npos) {
                hint(index, "line " + std::to_string(number) + " has " + name + " without \"=\" and is skipped");
                return ignore(number, t, "noEquals",
                              name + " without \"=\": the plug-in skips this line and looks further down for " + name);
            }
            if (equals + 1 >= t.size()) {
                hint(index, "line " + std::to_string(number) + " has nothing after its \"=\" and is skipped");
                return ignore(number, t, "noValue",
                              "nothing after \"=\": the plug-in skips this line and looks further down for " + name);
            }
            if (reading_.supplier[static_cast<size_t>(index)]) {
                return ignore(number, t, "repeated",
                              name + " again: line " + std::to_string(*reading_.supplier[static_cast<size_t>(index)]) +
                                  " supplies it, so this line is never read");
            }
            reading_.supplier[static_cast<size_t>(index)] = number;
            // A second "=" only drops part of the value when no ";" has ended the value before it.
            const size_t second = t.find('=', equals + 1);
            if (second != std::string::npos && t.find(';', equals + 1) > second) {
                return ignore(number, t, "secondEquals",
                              "supplies " + name + ", but " + inQuotes(t.substr(second)) +
                                  " from the second \"=\" on is dropped");
            }
            return;
        }
        // A mark left in the middle of a file (two files pasted together) is invisible in an editor.
        if (key.compare(0, utf8ByteOrderMark.size(), utf8ByteOrderMark) == 0) {
            const std::string rest = key.substr(utf8ByteOrderMark.size());
            return ignore(number, t, "mark",
                          "an invisible character (U+FEFF, left where two files were joined) stands before " +
                              inQuotes(rest) + ": with it in front the plug-in does not know the key; delete the line's "
                              "first character",
                          rest);
        }
        if (const int k = keyInOtherCase(key); k >= 0) {
            hint(k, "line " + std::to_string(number) + " has it in the wrong case: " + inQuotes(key));
            return ignore(number, t, "case",
                          "key in the wrong case: the plug-in reads only " + std::string(kSettingRows[k].key));
        }
        if (equals == std::string::npos) return ignore(number, t, "notKeyValue", "not a \"key = value\" line", key);
        ignore(number, t, "unknown", "a key the plug-in does not know: " + inQuotes(key), key);
    }

    void ignore(size_t number, const std::string& text, const char* reason, std::string why, const std::string& key = "") {
        ++reading_.total;
        ++reading_.byReason[reason];
        if (reading_.listed.size() >= kListedLines) return;
        IgnoredLine entry{number, shown(text), text.size(), reason, std::move(why)};
        if (!key.empty()) {
            entry.suggestion = nearestKey(key);
            if (entry.suggestion >= 0) {
                hint(entry.suggestion, "line " + std::to_string(number) + " has " + inQuotes(key) + ", which may be meant for it");
            }
        }
        reading_.listed.push_back(std::move(entry));
    }

    void hint(int index, std::string text) {
        std::vector<std::string>& hints = reading_.hints[static_cast<size_t>(index)];
        if (hints.size() < 3) hints.push_back(std::move(text));
    }

    LineReading reading_ = [] {
        LineReading empty;
        empty.supplier.resize(std::size(kSettingRows));
        empty.hints.resize(std::size(kSettingRows));
        return empty;
    }();
};

}  // namespace

LineReading readLines(const std::string& bytes) { return LineReader().read(bytes); }

}  // namespace playground
