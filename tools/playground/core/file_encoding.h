#pragma once
// What a VornLoconaut.ini's bytes are (plain text, UTF-8, UTF-16, another 8-bit encoding, no text
// at all), and what the plug-in, which reads bytes, makes of them.

#include <cstddef>
#include <string>

#include <nlohmann/json.hpp>

namespace playground {

// "name" (ascii, utf-8, utf-8-mark, utf-16le, utf-16be, part-utf-16, 8-bit, not-text), "label", "level"
// (ok, warning, error), "says" (what the plug-in makes of the file), "advice", "decodeAs" (how the
// page shows the text: a TextDecoder label). `keysFound`: how many keys the plug-in read from it.
nlohmann::json encodingOf(const std::string& bytes, size_t keysFound);

}  // namespace playground
