// Text as the game shows it: each line in the whole style the plug-in's text has, centred at its
// height. The game keeps no style from one line to the next, so a line that left out a style call
// would show in the game's defaults.
#include <gtest/gtest.h>

#include <string>

#include "host/native_invoker.h"
#include "sim/world/hook.h"
#include "util/text.h"

namespace {

void expectLine(const sim::DrawnText& line, const std::string& text, float y, float scale, int32_t alpha) {
    SCOPED_TRACE(text);
    EXPECT_EQ(line.text, text);
    EXPECT_EQ(line.x, 0.5f);
    EXPECT_EQ(line.y, y);
    const sim::TextStyle& s = line.style;
    EXPECT_EQ(s.font, 0);
    EXPECT_EQ(s.scale, scale);
    EXPECT_EQ(s.scaleY, scale);
    EXPECT_EQ(s.red, 255);
    EXPECT_EQ(s.green, 255);
    EXPECT_EQ(s.blue, 255);
    EXPECT_EQ(s.alpha, alpha);
    EXPECT_EQ(s.wrapStart, 0.0f);
    EXPECT_EQ(s.wrapEnd, 1.0f);
    EXPECT_TRUE(s.centred);
    EXPECT_TRUE(s.dropShadow);
    EXPECT_EQ(s.shadowAlpha, 0);
}

TEST(TextDrawing, EachLineShowsInTheWholeStyleCentredAtItsHeight) {
    sim::World world;
    sim::Hook hook(world);
    sim::Hook::current = &hook;
    gHook.nativeInit = sim::hookNativeInit;
    gHook.nativePush64 = sim::hookNativePush64;
    gHook.nativeCall = sim::hookNativeCall;

    DrawCentredText(0.43f, 0.25f, 77, std::string("Choose"));
    DrawOpaqueText(0.51f, 0.3f, "");
    DrawCentredText(0.1f, 0.35f, 0, static_cast<const char*>(nullptr));
    gHook = HookFunctions{};

    EXPECT_TRUE(hook.violations.empty()) << hook.violations.front();
    ASSERT_EQ(world.screen.texts.size(), 3u);
    expectLine(world.screen.texts[0], "Choose", 0.43f, 0.25f, 77);
    expectLine(world.screen.texts[1], "", 0.51f, 0.3f, 255);
    expectLine(world.screen.texts[2], "", 0.1f, 0.35f, 0);
}

}  // namespace
