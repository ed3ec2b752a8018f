#pragma once
#include <cstdint>
#include <string>

// Creates the configuration file with its defaults when it cannot be opened for reading.
void ensureConfigurationFile();

struct Settings;
struct SettingRow;
// A row's value as the default file writes it.
std::string writtenValue(const Settings& settings, const SettingRow& row);

std::string boolText(bool value);
std::string intText(int32_t value);
std::string floatText(float value);
std::string plainFloatText(float value);
std::string padTo45(std::string text);
