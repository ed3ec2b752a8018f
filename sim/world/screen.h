#pragma once
// What the game shows on screen in one frame: every rectangle and text the script drew, with the
// text style in force and the text command being built. The game forgets it all at the next frame.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct DrawnRectangle {
    float x, y, width, height;
    int32_t red, green, blue, alpha;
};

struct TextStyle {
    int32_t font = -1;
    float scale = 0.0f;
    float scaleY = 0.0f;
    int32_t red = 255, green = 255, blue = 255, alpha = 255;
    float wrapStart = 0.0f, wrapEnd = 1.0f;
    bool centred = false;
    bool dropShadow = false;
    int32_t shadowAlpha = 0;  // alpha of the black drop shadow
};

struct DrawnText {
    std::string text;
    float x, y;
    TextStyle style;
};

struct Screen {
    // Characters the game keeps of one text component.
    static constexpr size_t textComponentLimit = 99;

    std::vector<DrawnRectangle> rectangles;
    std::vector<DrawnText> texts;
    TextStyle style;  // in force for the next text
    std::string pendingText;
    bool textOpen = false;

    void clear();
    void drawRectangle(const DrawnRectangle& rectangle);
    void setFont(int32_t font);
    void setScale(float x, float y);
    void setColour(int32_t red, int32_t green, int32_t blue, int32_t alpha);
    void setWrap(float start, float end);
    void setCentred(bool centred);
    void setDropShadow(int32_t alpha);
    void beginText();
    // The game keeps the first textComponentLimit characters of a component and cuts the rest.
    void addText(const std::string& component);
    void drawText(float x, float y);
};

}  // namespace sim
