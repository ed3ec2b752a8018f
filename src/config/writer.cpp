#include "config/writer.h"

// Placeholder until this step is built.
void ensureConfigurationFile() {}
std::string boolText(bool value) { return value ? "1" : "0"; }
std::string intText(int32_t value) { return std::to_string(value); }
std::string floatText(float) { return {}; }
std::string plainFloatText(float) { return {}; }
std::string padTo45(std::string text) { return text; }
