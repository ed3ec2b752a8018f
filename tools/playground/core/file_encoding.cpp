#include "tools/playground/core/file_encoding.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "config/reader.h"

namespace playground {

namespace {

using nlohmann::json;

// The line, counted as the reader counts them, that holds byte `offset`.
size_t lineAt(const std::string& bytes, size_t offset) {
    size_t line = 1;
    for (size_t i = 0; i < offset && i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) ++line;
    }
    return line;
}

// Where text written two bytes a character begins: four letters in a row, each beside a NUL byte.
std::optional<size_t> utf16Start(const std::string& bytes) {
    constexpr size_t kRun = 4;
    for (size_t i = 0; i + 2 * kRun <= bytes.size(); ++i) {
        size_t letters = 0;
        for (size_t pair = 0; pair < kRun; ++pair) {
            const unsigned char a = static_cast<unsigned char>(bytes[i + 2 * pair]);
            const unsigned char b = static_cast<unsigned char>(bytes[i + 2 * pair + 1]);
            // Either order: a little-endian letter is (letter, 0), a big-endian one (0, letter).
            if ((a >= 0x20 && a < 0x7f && b == 0) || (a == 0 && b >= 0x20 && b < 0x7f)) ++letters;
        }
        if (letters == kRun) return i;
    }
    return std::nullopt;
}

// Length of the UTF-8 sequence at `i`, or 0 when the bytes there are not one.
size_t utf8Sequence(const std::string& bytes, size_t i) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    const size_t length = lead >= 0xf0 && lead <= 0xf4 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 && lead < 0xe0 ? 2 : 0;
    if (length == 0 || i + length > bytes.size()) return 0;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(bytes[i + k]) & 0xc0) != 0x80) return 0;
    return length;
}

std::string lineList(const std::vector<size_t>& lines, size_t total) {
    std::string text = total == 1 ? "line " : "lines ";
    for (size_t i = 0; i < lines.size(); ++i) text += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
    if (total > lines.size()) text += " and " + std::to_string(total - lines.size()) + " more";
    return text;
}

// What a file that is not text is, by how its kind of file begins; null when none of these.
const char* fileKind(const std::string& bytes) {
    const auto starts = [&](std::string_view head, size_t at = 0) {
        return at <= bytes.size() && bytes.compare(at, head.size(), head) == 0;
    };
    using namespace std::string_view_literals;
    if (starts("\x89PNG\r\n\x1a\n"sv)) return "a PNG picture";
    if (starts("\xFF\xD8\xFF"sv)) return "a JPEG picture";
    if (starts("GIF87a"sv) || starts("GIF89a"sv)) return "a GIF picture";
    if (starts("RIFF"sv) && starts("WEBP"sv, 8)) return "a WebP picture";
    if (starts("%PDF-"sv)) return "a PDF document";
    if (starts("PK\x03\x04"sv) || starts("PK\x05\x06"sv)) return "a ZIP archive (or a Word or Excel file, which are ZIP archives)";
    if (starts("Rar!\x1a\x07"sv)) return "a RAR archive";
    if (starts("7z\xBC\xAF\x27\x1C"sv)) return "a 7-Zip archive";
    if (starts("\x1F\x8B"sv)) return "a gzip archive";
    if (starts("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv)) return "an old Word or Excel file";
    if (starts("MZ"sv) && bytes.size() >= 64) {
        const auto byte = [&](size_t at) { return static_cast<size_t>(static_cast<unsigned char>(bytes[at])); };
        const size_t pe = byte(0x3c) | byte(0x3d) << 8 | byte(0x3e) << 16;
        if (starts("PE\0\0"sv, pe)) return "a Windows program or DLL (an .exe, .dll or .asi file)";
    }
    return nullptr;
}

// Whether the start of a file is mostly bytes that no text holds: control characters other than
// tabs and line ends. NUL bytes do not count, as UTF-16 text is half of them; a file of nothing
// else is no text either.
bool mostlyControlBytes(const std::string& bytes) {
    constexpr size_t kSample = 4096;
    const size_t sample = std::min(bytes.size(), kSample);
    size_t control = 0;
    size_t nul = 0;
    for (size_t i = 0; i < sample; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == 0) ++nul;
        else if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') || c == 0x7f) ++control;
    }
    return sample > 0 && (control * 10 > sample || nul == sample);
}

constexpr const char* kSaveAsUtf8 =
    "Save the file as UTF-8 (Notepad: File > Save as > Encoding: UTF-8), or save it from this page with "
    "\"Save VornLoconaut.ini\", which writes UTF-8.";

}  // namespace

nlohmann::json encodingOf(const std::string& bytes, size_t keysFound) {
    const auto result = [](const char* name, std::string label, const char* level, std::string says,
                           std::string advice, const char* decodeAs) {
        return json{{"name", name}, {"label", std::move(label)}, {"level", level}, {"says", std::move(says)},
                    {"advice", std::move(advice)}, {"decodeAs", decodeAs}};
    };
    const std::string reads = keysFound == 0 ? "the plug-in reads none of these settings"
                                             : "the plug-in reads only " + std::to_string(keysFound) +
                                                   (keysFound == 1 ? " setting" : " settings") + " from it";
    const auto notText = [&](const std::string& what) {
        return result("not-text", "Not a settings file: " + what, "error",
                      "It is not text, so " + reads + " and every setting keeps its default.",
                      "Open your real VornLoconaut.ini instead, or delete this file from the game folder: the plug-in "
                      "then writes a new one with the default settings when the game starts.",
                      "windows-1252");
    };
    if (const char* kind = fileKind(bytes)) return notText(kind);
    const bool markLe = bytes.compare(0, 2, "\xFF\xFE") == 0;
    const bool markBe = bytes.compare(0, 2, "\xFE\xFF") == 0;
    const std::optional<size_t> start = utf16Start(bytes);
    if (markLe || markBe || (start && *start <= 1)) {
        const bool little = markLe || (!markBe && bytes[*start] != '\0');
        return result(little ? "utf-16le" : "utf-16be", std::string("Unicode (UTF-16 ") + (little ? "LE)" : "BE)"),
                      "error", "Saved as Unicode (UTF-16): " + reads + ".", kSaveAsUtf8, little ? "utf-16le" : "utf-16be");
    }
    if (mostlyControlBytes(bytes)) {
        return notText(bytes.find_first_not_of('\0') == std::string::npos
                           ? "nothing but zero bytes (the file was damaged, as when a computer stops while writing it)"
                           : "an unknown kind of file, mostly bytes that are no letters");
    }
    if (start) {
        const size_t line = lineAt(bytes, *start);
        return result("part-utf-16", "Partly Unicode (UTF-16), from line " + std::to_string(line), "error",
                      "From line " + std::to_string(line) + " on the file is saved as Unicode (UTF-16, an invisible "
                          "zero byte beside every letter), as when two files are pasted together: the plug-in reads "
                          "none of the settings there.",
                      kSaveAsUtf8, "utf-8");
    }
    constexpr size_t kListed = 5;
    std::vector<size_t> foreignLines;
    std::vector<size_t> nulLines;
    size_t foreignTotal = 0;
    size_t nulTotal = 0;
    bool utf8 = true;
    bool beyondAscii = false;
    const bool mark = bytes.compare(0, utf8ByteOrderMark.size(), utf8ByteOrderMark) == 0;
    size_t line = 1;
    size_t lastForeign = 0;
    size_t lastNul = 0;
    for (size_t i = mark ? utf8ByteOrderMark.size() : 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\n' || (c == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) ++line;
        if (c == 0 && lastNul != line) {
            lastNul = line;
            if (++nulTotal <= kListed) nulLines.push_back(line);
        }
        if (c < 0x80) continue;
        beyondAscii = true;
        const size_t length = utf8Sequence(bytes, i);
        if (length == 0) {
            utf8 = false;
            if (lastForeign != line) {
                lastForeign = line;
                if (++foreignTotal <= kListed) foreignLines.push_back(line);
            }
        } else {
            i += length - 1;
        }
    }
    const std::string nuls = nulTotal == 0 ? ""
                                           : " Invisible zero bytes (shown here as \u2400) on " +
                                                 lineList(nulLines, nulTotal) +
                                                 ": they are not text, and a key with one in it is unknown.";
    const char* level = nulTotal == 0 ? "ok" : "warning";
    if (!utf8) {
        return result("8-bit", "ANSI (as Notepad calls it), not UTF-8", "warning",
                      "Characters that are not UTF-8 on " + lineList(foreignLines, foreignTotal) +
                          ": the plug-in reads the file byte by byte, so they do no harm in comments, but a key "
                          "with one in it is unknown." + nuls,
                      "Keep keys and values to plain letters, digits and \".\"; save the file as UTF-8 to be safe.",
                      "windows-1252");
    }
    if (mark) {
        return result("utf-8-mark", "UTF-8 with BOM", level,
                      "The plug-in skips the invisible mark (BOM) at the start of the file and reads the rest." + nuls, "",
                      "utf-8");
    }
    if (beyondAscii) {
        return result("utf-8", "UTF-8", level,
                      "The plug-in reads it; characters beyond plain ASCII are fine in comments." + nuls, "", "utf-8");
    }
    return result("ascii", "Plain text (ASCII, which is also UTF-8)", level, "The plug-in reads it as it is." + nuls, "",
                  "utf-8");
}

}  // namespace playground
