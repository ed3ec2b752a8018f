// Pictures of the screen: rectangles and texts land where the game puts them, with their colour and
// alpha; the frame list of the command line; only listed frames are written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "sim/pictures/hud_picture.h"
#include "sim/runners/in_process_plugin.h"
#include "sim/runners/scenario.h"
#include "unit/support/scratch_directory.h"

namespace {

sim::DrawnRectangle rect(float x, float y, float w, float h, int r, int g, int b, int a) {
    return sim::DrawnRectangle{x, y, w, h, r, g, b, a};
}

// As the game draws the plug-in's texts: white, centred, with a drop shadow of alpha 0 and no edge.
sim::DrawnText text(const std::string& t, float y, float scale, int alpha = 255, float x = 0.5f) {
    sim::TextStyle s;
    s.font = 0;
    s.scale = s.scaleY = scale;
    s.alpha = alpha;
    s.centred = true;
    s.dropShadow = true;
    return sim::DrawnText{t, x, y, s};
}

bool same(sim::Colour a, sim::Colour b, int tolerance = 1) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
}

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
    double centreX() const { return (left + right) / 2.0; }
};

// Pixels that differ from the empty screen.
Box inkOf(const sim::Picture& p) {
    const sim::Picture blank = sim::drawHudPicture({}, {});
    Box b;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            if (!same(p.at(x, y), blank.at(x, y), 0)) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

TEST(HudPicture, RectanglesLandCentredOnTheirScreenPlaceWithTheirColourAndAlpha) {
    // Centred on (0.25, 0.75) of 1280x720: x 256..384, y 522..558.
    const sim::Picture p = sim::drawHudPicture({rect(0.25f, 0.75f, 0.1f, 0.05f, 255, 127, 127, 255)}, {});
    const sim::Picture blank = sim::drawHudPicture({}, {});
    ASSERT_EQ(p.width(), 1280);
    ASSERT_EQ(p.height(), 720);
    EXPECT_TRUE(same(p.at(320, 540), sim::Colour{255, 127, 127}, 0));
    EXPECT_TRUE(same(p.at(257, 523), sim::Colour{255, 127, 127}, 0));
    EXPECT_TRUE(same(p.at(383, 557), sim::Colour{255, 127, 127}, 0));
    for (auto [x, y] : {std::pair{254, 540}, {386, 540}, {320, 520}, {320, 560}})
        EXPECT_TRUE(same(p.at(x, y), blank.at(x, y), 0)) << x << "," << y;

    // The bar's translucent white background, and its opaque fill over the left half of it.
    const sim::Picture bar = sim::drawHudPicture(
        {rect(0.5f, 0.5f, 0.1f, 0.02f, 255, 255, 255, 63), rect(0.475f, 0.5f, 0.05f, 0.02f, 255, 127, 127, 255)}, {});
    const sim::Colour under = blank.at(680, 360);
    const auto blend = [](int below) { return below + (255 - below) * 63 / 255; };
    EXPECT_TRUE(same(bar.at(680, 360), sim::Colour{blend(under.red), blend(under.green), blend(under.blue)}))
        << bar.at(680, 360).red;
    EXPECT_TRUE(same(bar.at(600, 360), sim::Colour{255, 127, 127}, 0));

    // Invisible or broken rectangles leave the screen as it was.
    const float nan = std::nanf("");
    const sim::Picture none = sim::drawHudPicture(
        {rect(0.5f, 0.5f, 0.5f, 0.5f, 255, 0, 0, 0), rect(nan, 0.5f, 0.5f, 0.5f, 255, 0, 0, 255),
         rect(0.5f, 0.5f, INFINITY, 0.5f, 255, 0, 0, 255)},
        {});
    EXPECT_TRUE(inkOf(none).empty());
}

TEST(HudPicture, TextsSitBelowTheirYCentredAsTheGameCentresThemAndScaleWithTheirScale) {
    const Box centred = inkOf(sim::drawHudPicture({}, {text("55 mph (90 km/h)", 0.4f, 0.35f)}));
    ASSERT_FALSE(centred.empty());
    EXPECT_NEAR(centred.centreX(), 640.0, 3.0);
    EXPECT_GE(centred.top, 288 - 2);  // y is the top of the line
    EXPECT_LE(centred.top, 288 + 8);
    EXPECT_LE(centred.bottom, 288 + 0.35 * sim::kLineHeightAtScale1 * 720 * 1.3);

    sim::DrawnText left = text("55 mph (90 km/h)", 0.4f, 0.35f, 255, 0.2f);
    left.style.centred = false;
    const Box fromLeft = inkOf(sim::drawHudPicture({}, {left}));
    EXPECT_NEAR(fromLeft.left, 256, 4);
    EXPECT_NEAR(fromLeft.right - fromLeft.left, centred.right - centred.left, 2);

    const Box twice = inkOf(sim::drawHudPicture({}, {text("55 mph (90 km/h)", 0.4f, 0.7f)}));
    const double ratio = static_cast<double>(twice.right - twice.left) / (centred.right - centred.left);
    EXPECT_GT(ratio, 1.8);
    EXPECT_LT(ratio, 2.2);
    EXPECT_NEAR(twice.centreX(), 640.0, 3.0);

    // Opaque text is white at its core; the fading menu at alpha 0 leaves nothing.
    const sim::Picture opaque = sim::drawHudPicture({}, {text("KEEP SPEED", 0.4f, 0.7f)});
    int brightest = 0;
    for (int x = twice.left; x <= twice.right; ++x)
        for (int y = 280; y < 340; ++y) brightest = std::max(brightest, opaque.at(x, y).green);
    EXPECT_GE(brightest, 250);
    EXPECT_TRUE(inkOf(sim::drawHudPicture({}, {text("KEEP SPEED", 0.4f, 0.35f, 0)})).empty());
}

TEST(HudPicture, LongTextsWrapInsideTheirRangeAndOddBytesStillDraw) {
    sim::DrawnText narrow = text("Hint: The engineer executes the command after you leave the cab and jump off.", 0.3f, 0.35f);
    narrow.style.wrapStart = 0.4f;
    narrow.style.wrapEnd = 0.6f;
    const Box wrapped = inkOf(sim::drawHudPicture({}, {narrow}));
    EXPECT_LE(wrapped.right - wrapped.left, 256 + 2);
    EXPECT_GT(wrapped.bottom - wrapped.top, 3 * 0.35 * sim::kLineHeightAtScale1 * 720);
    EXPECT_NEAR(wrapped.centreX(), 640.0, 30.0);

    // 8-bit text that is not UTF-8, then a plain line: both reach the screen.
    const sim::Picture p = sim::drawHudPicture({}, {text("caf\xE9 \xFF", 0.2f, 0.35f), text("0 mph (0 km/h)", 0.6f, 0.35f)});
    EXPECT_FALSE(inkOf(sim::drawHudPicture({}, {text("caf\xE9 \xFF", 0.2f, 0.35f)})).empty());
    const Box both = inkOf(p);
    EXPECT_LT(both.top, 0.2 * 720 + 6);
    EXPECT_GT(both.bottom, 0.6 * 720);

    // A huge scale is drawn (off the edges), not refused or crashed on.
    EXPECT_FALSE(inkOf(sim::drawHudPicture({}, {text("X", 0.1f, 1e30f)})).empty());
}

TEST(HudFrameList, AcceptsCommaSeparatedFrameNumbersOnly) {
    EXPECT_EQ(sim::parseFrameList("120,300,450"), (std::vector<int>{120, 300, 450}));
    EXPECT_EQ(sim::parseFrameList("450,120,120"), (std::vector<int>{120, 450}));
    EXPECT_EQ(sim::parseFrameList("7"), (std::vector<int>{7}));
    for (const char* bad : {"", ",", "1,", ",1", "1,,2", "0", "-5", "+5", "1.5", "12 ", " 12", "1;2", "abc",
                            "99999999999", "3,x"})
        EXPECT_FALSE(sim::parseFrameList(bad).has_value()) << '"' << bad << '"';
}

TEST(HudRecorder, WritesThePictureOfEachListedFrameAndNoOther) {
    ScratchDirectory scratch;
    const std::filesystem::path dir = scratch.path() / "hud";
    sim::Scenario scenario = sim::loadScenario(VORN_SOURCE_DIR "/scenarios/freight-ride.json");
    scenario.frames = 232;
    scenario.doc["expect"] = nlohmann::json::array();
    sim::HudRecorder hud(dir, {231, 230, 9000});
    sim::ScenarioResult result;
    {
        sim::PluginGame game;
        result = sim::playScenario(game, scenario, nullptr, [&](const sim::Game& g) { hud.afterFrame(g); });
    }
    EXPECT_TRUE(result.passed());
    EXPECT_TRUE(hud.failures().empty());
    EXPECT_EQ(hud.missed(), std::vector<int>{9000});
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"frame-230.png", "frame-231.png"}));

    // Frame 230 shows the hold prompt at y 0.51 and the entry bar above it.
    cairo_surface_t* png = cairo_image_surface_create_from_png((dir / "frame-230.png").c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 1280);
    cairo_surface_flush(png);
    const unsigned char* data = cairo_image_surface_get_data(png);
    const int stride = cairo_image_surface_get_stride(png);
    int bright = 0;
    for (int y = 367; y < 385; ++y)
        for (int x = 540; x < 740; ++x)
            if (data[y * stride + x * 4 + 1] > 200) ++bright;
    cairo_surface_destroy(png);
    EXPECT_GT(bright, 100);
}

}  // namespace
