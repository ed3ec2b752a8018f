#pragma once
// Forced into every source of the page's WebAssembly build. The C++ library of Debian's emscripten
// (libc++ 13) has no floating-point std::from_chars or std::to_chars, which the plug-in's reader
// and the stand-in's trace use; these fill the gap with the behaviour of the library that builds
// the plug-in for the game (libstdc++): the plain decimal and inf/nan forms only, no sign "+", no
// leading blanks, hexadecimal read as its leading 0, correctly rounded; out of range (overflow, or
// a non-zero number that rounds to zero) leaves the value alone and reports result_out_of_range.

#include <charconv>

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace std {

inline from_chars_result from_chars(const char* first, const char* last, float& value,
                                    chars_format = chars_format::general) {
    const auto lower = [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const auto startsWith = [&](const char* at, const char* word) {
        for (; *word != '\0'; ++at, ++word)
            if (at == last || lower(*at) != *word) return false;
        return true;
    };
    const char* p = first;
    const bool negative = p != last && *p == '-';
    if (negative) ++p;
    // inf, infinity, nan and nan(chars), in any case.
    if (startsWith(p, "inf")) {
        const char* end = p + (startsWith(p, "infinity") ? 8 : 3);
        value = negative ? -HUGE_VALF : HUGE_VALF;
        return {end, errc{}};
    }
    if (startsWith(p, "nan")) {
        const char* end = p + 3;
        if (end != last && *end == '(') {
            const char* close = end + 1;
            while (close != last && (digit(*close) || (lower(*close) >= 'a' && lower(*close) <= 'z') || *close == '_')) ++close;
            if (close != last && *close == ')') end = close + 1;
        }
        value = negative ? -std::nanf("") : std::nanf("");
        return {end, errc{}};
    }
    bool digits = false;
    bool nonZero = false;
    for (; p != last && digit(*p); ++p) digits = true, nonZero = nonZero || *p != '0';
    if (p != last && *p == '.') {
        for (++p; p != last && digit(*p); ++p) digits = true, nonZero = nonZero || *p != '0';
    }
    if (!digits) return {first, errc::invalid_argument};
    if (p != last && (*p == 'e' || *p == 'E')) {
        const char* e = p + 1;
        if (e != last && (*e == '+' || *e == '-')) ++e;
        if (e != last && digit(*e)) {
            for (; e != last && digit(*e); ++e) {
            }
            p = e;
        }
    }
    // The number's own characters only, so strtof sees neither hexadecimal nor anything beyond.
    const string text(first, p);
    const float parsed = strtof(text.c_str(), nullptr);
    const bool overflow = std::isinf(parsed);
    const bool underflow = parsed == 0.0f && nonZero;
    if (overflow || underflow) return {p, errc::result_out_of_range};
    value = parsed;
    return {p, errc{}};
}

// Shortest text that reads back as the same float; used by the stand-in's trace only.
inline to_chars_result to_chars(char* first, char* last, float value) {
    char buffer[48];
    int length = 0;
    for (int precision = 1; precision <= 9; ++precision) {
        length = snprintf(buffer, sizeof buffer, "%.*g", precision, static_cast<double>(value));
        if (strtof(buffer, nullptr) == value || std::isnan(value)) break;
    }
    if (length < 0 || length > last - first) return {last, errc::value_too_large};
    memcpy(first, buffer, static_cast<size_t>(length));
    return {first + length, errc{}};
}

}  // namespace std

#endif
