#include "config/reader.h"

#include "config/settings.h"

// Placeholder until this step is built.
void loadSettings() { resetSettingsToDefaults(); }
bool readValueText(const std::string&, std::string&) { return false; }
void readFloatSetting(const std::string&, float&) {}
void buildModelHashes(const std::string&, std::vector<uint32_t>& hashes) { hashes.clear(); }
void trimWhitespace(std::string&) {}
