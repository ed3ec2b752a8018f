#pragma once
#include <cstdint>
#include <string_view>

// The game's name hash (GET_HASH_KEY: Jenkins' one-at-a-time over the lowercased text), for names
// the plug-in knows when it is built: no native call is needed for them.
consteval uint32_t nameHash(std::string_view name) {
    uint32_t h = 0;
    for (const char raw : name) {
        const char c = (raw >= 'A' && raw <= 'Z') ? static_cast<char>(raw - 'A' + 'a') : raw;
        h += static_cast<uint8_t>(c);
        h += h << 10;
        h ^= h >> 6;
    }
    h += h << 3;
    h ^= h >> 11;
    h += h << 15;
    return h;
}

static_assert(nameHash("freight") == 0x3D6AAA9Bu && nameHash("Freight") == 0x3D6AAA9Bu);
static_assert(nameHash("metrotrain") == 0x33C9E158u);
