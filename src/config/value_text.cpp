#include "config/value_text.h"

#include <charconv>
#include <cmath>

void trimWhitespace(std::string& text) {
    size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1])) {
        --end;
    }
    size_t begin = 0;
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    text.erase(end);
    text.erase(0, begin);
}

bool parseNumberText(const std::string& text, float& result) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && isBlank(*begin)) {
        ++begin;
    }
    if (begin != end && *begin == '+') {
        ++begin;
        if (begin == end || *begin == '-' || *begin == '+') {
            return false;
        }
    }
    float parsed = 0.0f;
    const std::from_chars_result outcome = std::from_chars(begin, end, parsed, std::chars_format::general);
    if (outcome.ec != std::errc{} || !std::isfinite(parsed)) {
        return false;
    }
    result = parsed;
    return true;
}
