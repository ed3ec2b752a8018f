#include "sim/world/screen.h"

namespace sim {

void Screen::clear() {
    rectangles.clear();
    texts.clear();
    style = TextStyle{};
    textOpen = false;
}

void Screen::drawRectangle(const DrawnRectangle& rectangle) { rectangles.push_back(rectangle); }

void Screen::setFont(int32_t font) { style.font = font; }

void Screen::setScale(float x, float y) {
    style.scale = x;
    style.scaleY = y;
}

void Screen::setColour(int32_t red, int32_t green, int32_t blue, int32_t alpha) {
    style.red = red;
    style.green = green;
    style.blue = blue;
    style.alpha = alpha;
}

void Screen::setWrap(float start, float end) {
    style.wrapStart = start;
    style.wrapEnd = end;
}

void Screen::setCentred(bool centred) { style.centred = centred; }

void Screen::setDropShadow(int32_t alpha) {
    style.dropShadow = true;
    style.shadowAlpha = alpha;
}

void Screen::beginText() {
    pendingText.clear();
    textOpen = true;
}

void Screen::addText(const std::string& component) { pendingText += component.substr(0, textComponentLimit); }

void Screen::drawText(float x, float y) {
    texts.push_back(DrawnText{pendingText, x, y, style});
    // The game resets the text style after every draw.
    style = TextStyle{};
    pendingText.clear();
    textOpen = false;
}

}  // namespace sim
