#pragma once
// The small readings of a value's text that the file's reader and the controls' parser share.
#include <string>

inline bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// A number in strtod syntax in the "C" locale (optional sign, digits, ".", exponent), text after it
// ignored; false, with `result` unchanged, for none or for one that is not finite.
bool parseNumberText(const std::string& text, float& result);
// Cuts the blanks off both ends.
void trimWhitespace(std::string& text);
