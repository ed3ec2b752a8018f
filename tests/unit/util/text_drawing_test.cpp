#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "unit/support/recording_hook.h"
#include "util/text.h"

namespace {

uint64_t slot(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

struct TextHook : recording_hook::Binding {
    TextHook() {
        // The text lives only until the call returns, so it is copied there.
        gHook.nativeCall = [] {
            auto& s = recording_hook::state();
            if (s.calls.back().hash == 0x6C188BE134E074AAull || s.calls.back().hash == 0x25FBB336DF1804CBull) {
                seen().push_back(reinterpret_cast<const char*>(s.calls.back().slots.at(0)));
            }
            return recording_hook::call();
        };
        seen().clear();
    }
    static std::vector<std::string>& seen() {
        static std::vector<std::string> v;
        return v;
    }
};

TEST(TextDrawing, EachLineSetsTheWholeStyleThenDrawsCentred) {
    TextHook hook;
    DrawCentredText(0.43f, 0.25f, 77, std::string("Choose"));
    DrawOpaqueText(0.51f, 0.3f, "");
    const auto& calls = recording_hook::state().calls;
    ASSERT_EQ(calls.size(), 20u);
    const std::vector<uint64_t> order = {0x66E0276CC5F6B9DAull, 0x07C837F9A01C34C9ull, 0xBE6B23FFA53FB442ull,
                                         0x63145D9C883A1A70ull, 0xC02F4DBFB51D988Bull, 0x465C84BC39F1C351ull,
                                         0x441603240D202FA6ull, 0x25FBB336DF1804CBull, 0x6C188BE134E074AAull,
                                         0xCD015E5BB0D96A57ull};
    for (size_t line = 0; line < 2; ++line) {
        for (size_t i = 0; i < order.size(); ++i) {
            EXPECT_EQ(calls[line * 10 + i].hash, order[i]) << "line " << line << " call " << i;
        }
    }
    EXPECT_EQ(calls[0].slots, (std::vector<uint64_t>{0}));
    EXPECT_EQ(calls[1].slots, (std::vector<uint64_t>{slot(0.25f), slot(0.25f)}));
    EXPECT_EQ(calls[2].slots, (std::vector<uint64_t>{255, 255, 255, 77}));
    EXPECT_EQ(calls[3].slots, (std::vector<uint64_t>{slot(0.0f), slot(1.0f)}));
    EXPECT_EQ(calls[4].slots, (std::vector<uint64_t>{1}));
    EXPECT_EQ(calls[9].slots, (std::vector<uint64_t>{slot(0.5f), slot(0.43f), 0}));
    // The second line is opaque and carries its own scale.
    EXPECT_EQ(calls[11].slots, (std::vector<uint64_t>{slot(0.3f), slot(0.3f)}));
    EXPECT_EQ(calls[12].slots, (std::vector<uint64_t>{255, 255, 255, 255}));
    EXPECT_EQ(calls[19].slots, (std::vector<uint64_t>{slot(0.5f), slot(0.51f), 0}));
    EXPECT_EQ(TextHook::seen(), (std::vector<std::string>{"STRING", "Choose", "STRING", ""}));
}

TEST(TextDrawing, AlphaIsPassedUnchangedAndANullTextDrawsEmpty) {
    TextHook hook;
    DrawCentredText(0.1f, 0.35f, 0, static_cast<const char*>(nullptr));
    const auto& calls = recording_hook::state().calls;
    ASSERT_EQ(calls.size(), 10u);
    EXPECT_EQ(calls[2].slots, (std::vector<uint64_t>{255, 255, 255, 0}));
    EXPECT_EQ(TextHook::seen(), (std::vector<std::string>{"STRING", ""}));
}

}  // namespace
