#pragma once
// What the player sees on screen in one frame, as a picture: every rectangle and text the script
// drew in that frame at its place on the screen, over a plain dark background (the game's scene is
// not here).
//
// Screen units are the game's: x from 0 (left) to 1 (right), y from 0 (top) to 1 (bottom). A
// rectangle is centred on its x, y. A text's y is the top of its first line; centred text is
// centred on its x, other text starts there; a line wider than the wrap range breaks between
// words. The game's font is not here either: a sans font stands in, sized so that at scale 1 a
// line is kLineHeightAtScale1 of the screen height.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sim/runners/game.h"
#include "sim/pictures/picture.h"
#include "sim/world/world.h"

namespace sim {

constexpr int kHudWidth = 1280;
constexpr int kHudHeight = 720;
constexpr double kLineHeightAtScale1 = 0.066;

Picture drawHudPicture(const std::vector<DrawnRectangle>& rectangles, const std::vector<DrawnText>& texts,
                       int width = kHudWidth, int height = kHudHeight);

// "120,300,450": frame numbers from 1, separated by commas, nothing else. Sorted, without
// repeats; nullopt for any other text.
std::optional<std::vector<int>> parseFrameList(const std::string& text);

// Writes DIRECTORY/frame-<N>.png for each listed frame of a run, from what that frame drew.
class HudRecorder {
public:
    HudRecorder(std::filesystem::path directory, std::vector<int> frames);
    // Call after every frame (Game::frame() is the frame just run).
    void afterFrame(const Game& game);
    const std::vector<std::string>& written() const { return written_; }
    const std::vector<std::string>& failures() const { return failures_; }
    // Listed frames the run never reached.
    std::vector<int> missed() const;

private:
    std::filesystem::path directory_;
    std::vector<int> frames_;
    std::vector<int> done_;
    std::vector<std::string> written_;
    std::vector<std::string> failures_;
};

}  // namespace sim
