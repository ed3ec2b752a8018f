#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/value_text.h"

// Skipped where it opens the file, as Windows editors write it; anywhere else it is an ordinary byte.
inline constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";

// Resets the settings and reads every key from the configuration file, one scan per key.
void loadSettings();
bool readValueText(const std::string& key, std::string& value);
// The same lookup; `line` receives the number, from 1, of the line that supplied the value, lines
// ending at LF, CR LF or a lone CR. For tools that show a player where a value came from.
bool readValueText(const std::string& key, std::string& value, size_t& line);
void readFloatSetting(const std::string& key, float& value);
void buildModelHashes(const std::string& names, std::vector<uint32_t>& hashes);
