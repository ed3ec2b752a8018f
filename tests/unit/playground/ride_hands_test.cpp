#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/playground/core/ride.h"

namespace {

// The page's hands reach the engine as text; the page's engine is built without exceptions, so a
// message of the wrong shape must be passed over, never thrown on.
TEST(RideHands, TakesTheControlListsNamesAndPassesOverAnythingElse) {
    using sim::PhysicalInput;
    const playground::Hands hands = playground::handsFrom(
        R"({"held": [["pad", "l3"], ["keyboard", "SPACEBAR"], ["pad", "L3"], ["pad", "W"], ["mouse", "E"],
                     ["keyboard", 5], ["keyboard"], "F", 7],
            "tapped": [["keyboard", "f"]], "other": [["pad", "A"]]})");
    EXPECT_EQ(hands.held, (std::vector<PhysicalInput>{{Pad, "L3"}, {Keyboard, "SPACEBAR"}}));
    EXPECT_EQ(hands.tapped, (std::vector<PhysicalInput>{{Keyboard, "F"}}));

    for (const std::string& text : std::vector<std::string>{"", "{", "null", "[]", "[[\"pad\", \"A\"]]", R"({"held": 5, "tapped": {"a": 1}})",
                                   R"({"held": [[["pad", "A"]]]})", std::string(100000, '[')}) {
        const playground::Hands none = playground::handsFrom(text);
        EXPECT_TRUE(none.held.empty() && none.tapped.empty()) << text.substr(0, 40);
    }
}

}  // namespace
