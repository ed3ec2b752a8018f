#pragma once
// Which of the plug-in's keys a player meant: each answer is a row of kSettingRows, -1 for none.

#include <string>

namespace playground {

// The key spelled exactly so.
int keyIndex(const std::string& key);
// The first key spelled so but for the case of its letters.
int keyInOtherCase(const std::string& key);
// The key within a few typing slips of `typed`, or of which `typed` is the start.
int nearestKey(const std::string& typed);

}  // namespace playground
