#include "tools/playground/core/key_suggestions.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <iterator>
#include <vector>

#include "config/setting_table.h"

namespace playground {

namespace {

constexpr int kKeyCount = static_cast<int>(std::size(kSettingRows));

bool equalIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return i == a.size() && b[i] == '\0';
}

// Edit distance from `typed` to `key`, where leaving off the end of `key` costs one edit in all: a
// key cut short ("Train.Speed") is as near as a key with one typing slip.
size_t distanceToKey(const std::string& typed, const std::string& key) {
    std::vector<size_t> row(key.size() + 1);
    for (size_t j = 0; j <= key.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= typed.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= key.size(); ++j) {
            const size_t above = row[j];
            const bool same = std::tolower(static_cast<unsigned char>(typed[i - 1])) ==
                              std::tolower(static_cast<unsigned char>(key[j - 1]));
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    size_t best = row[key.size()];
    for (size_t j = 0; j < key.size(); ++j) best = std::min(best, row[j] + 1);
    return best;
}

}  // namespace

int keyIndex(const std::string& key) {
    for (int i = 0; i < kKeyCount; ++i)
        if (key == kSettingRows[i].key) return i;
    return -1;
}

int keyInOtherCase(const std::string& key) {
    for (int i = 0; i < kKeyCount; ++i)
        if (equalIgnoringCase(key, kSettingRows[i].key)) return i;
    return -1;
}

// Far-fetched suggestions help no one: only keys within a few edits, and never for long texts.
int nearestKey(const std::string& typed) {
    constexpr size_t kLongestLooked = 64;
    if (typed.empty() || typed.size() > kLongestLooked) return -1;
    int best = -1;
    size_t bestDistance = std::max<size_t>(3, typed.size() / 3) + 1;
    for (int i = 0; i < kKeyCount; ++i) {
        const size_t d = distanceToKey(typed, kSettingRows[i].key);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

}  // namespace playground
