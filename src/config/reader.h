#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Resets the settings and reads every key from the configuration file, one scan per key.
void loadSettings();
bool readValueText(const std::string& key, std::string& value);
void readFloatSetting(const std::string& key, float& value);
void buildModelHashes(const std::string& names, std::vector<uint32_t>& hashes);
void trimWhitespace(std::string& text);
