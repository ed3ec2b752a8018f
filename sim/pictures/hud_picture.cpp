#include "sim/pictures/hud_picture.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace sim {

namespace {

// Far enough off screen to be invisible, near enough for cairo's fixed-point coordinates.
constexpr double kScreenLimit = 4.0;

double channel(int32_t value) { return static_cast<double>(std::clamp<int32_t>(value, 0, 255)) / 255.0; }

bool finite(std::initializer_list<float> values) {
    return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

double clampScreen(float v) { return std::clamp(static_cast<double>(v), -kScreenLimit, kScreenLimit); }

void drawBackground(cairo_t* cr, int width, int height) {
    cairo_pattern_t* sky = cairo_pattern_create_linear(0.0, 0.0, 0.0, height);
    cairo_pattern_add_color_stop_rgb(sky, 0.0, 0.17, 0.19, 0.23);
    cairo_pattern_add_color_stop_rgb(sky, 1.0, 0.07, 0.08, 0.10);
    cairo_set_source(cr, sky);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_fill(cr);
    cairo_pattern_destroy(sky);
}

void drawRectangle(cairo_t* cr, const DrawnRectangle& r, int width, int height) {
    if (!finite({r.x, r.y, r.width, r.height})) return;
    const double w = clampScreen(r.width) * width;
    const double h = clampScreen(r.height) * height;
    cairo_set_source_rgba(cr, channel(r.red), channel(r.green), channel(r.blue), channel(r.alpha));
    cairo_rectangle(cr, clampScreen(r.x) * width - w / 2.0, clampScreen(r.y) * height - h / 2.0, w, h);
    cairo_fill(cr);
}

// The game's texts are 8-bit; cairo takes UTF-8 only and refuses to draw anything else.
std::string latin1ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

double advance(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.x_advance;
}

// Greedy breaks between words; a single word wider than the range stays whole.
std::vector<std::string> wrapLines(cairo_t* cr, const std::string& text, double range) {
    std::vector<std::string> lines;
    std::string line;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        const std::string candidate = line.empty() ? word : line + " " + word;
        if (!line.empty() && advance(cr, candidate) > range) {
            lines.push_back(line);
            line = word;
        } else {
            line = candidate;
        }
        start = end + 1;
    }
    lines.push_back(line);
    return lines;
}

void drawText(cairo_t* cr, const DrawnText& t, int width, int height) {
    const TextStyle& s = t.style;
    if (!finite({t.x, t.y, s.scale, s.scaleY, s.wrapStart, s.wrapEnd}) || !(s.scale > 0.0f) || !(s.scaleY > 0.0f))
        return;
    const double alpha = channel(s.alpha);
    if (alpha <= 0.0) return;
    const double sizeX = std::min(static_cast<double>(s.scale), kScreenLimit) * kLineHeightAtScale1 * height;
    const double sizeY = std::min(static_cast<double>(s.scaleY), kScreenLimit) * kLineHeightAtScale1 * height;
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_matrix_t size;
    cairo_matrix_init_scale(&size, sizeX, sizeY);
    cairo_set_font_matrix(cr, &size);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    const double range = std::max(1.0, (clampScreen(s.wrapEnd) - clampScreen(s.wrapStart)) * width);
    double top = clampScreen(t.y) * height;
    for (const std::string& line : wrapLines(cr, latin1ToUtf8(t.text), range)) {
        const double left = clampScreen(t.x) * width - (s.centred ? advance(cr, line) / 2.0 : 0.0);
        const double baseline = top + font.ascent;
        if (s.dropShadow && s.shadowAlpha > 0) {
            const double offset = std::max(1.0, sizeY * 0.05);
            cairo_move_to(cr, left + offset, baseline + offset);
            cairo_text_path(cr, line.c_str());
            cairo_set_source_rgba(cr, 0, 0, 0, channel(s.shadowAlpha) * alpha);
            cairo_fill(cr);
        }
        cairo_move_to(cr, left, baseline);
        cairo_text_path(cr, line.c_str());
        cairo_set_source_rgba(cr, channel(s.red), channel(s.green), channel(s.blue), alpha);
        cairo_fill(cr);
        top += font.height;
    }
}

}  // namespace

Picture drawHudPicture(const std::vector<DrawnRectangle>& rectangles, const std::vector<DrawnText>& texts, int width,
                       int height) {
    Picture picture(width, height);
    cairo_t* cr = picture.draw();
    drawBackground(cr, picture.width(), picture.height());
    // Texts over rectangles: the frame's two lists keep no common order.
    for (const DrawnRectangle& r : rectangles) drawRectangle(cr, r, picture.width(), picture.height());
    for (const DrawnText& t : texts) drawText(cr, t, picture.width(), picture.height());
    cairo_destroy(cr);
    return picture;
}

std::optional<std::vector<int>> parseFrameList(const std::string& text) {
    std::vector<int> frames;
    size_t start = 0;
    for (;;) {
        const size_t end = std::min(text.find(',', start), text.size());
        const char* first = text.data() + start;
        const char* last = text.data() + end;
        if (first == last || *first < '0' || *first > '9') return std::nullopt;
        int frame = 0;
        const auto [stop, error] = std::from_chars(first, last, frame);
        if (error != std::errc{} || stop != last || frame < 1) return std::nullopt;
        frames.push_back(frame);
        if (end == text.size()) break;
        start = end + 1;
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames;
}

HudRecorder::HudRecorder(std::filesystem::path directory, std::vector<int> frames)
    : directory_(std::move(directory)), frames_(std::move(frames)) {
    std::sort(frames_.begin(), frames_.end());
}

void HudRecorder::afterFrame(const Game& game) {
    const int frame = game.frame();
    if (!std::binary_search(frames_.begin(), frames_.end(), frame)) return;
    done_.push_back(frame);
    const std::filesystem::path path = directory_ / ("frame-" + std::to_string(frame) + ".png");
    std::error_code ignored;
    std::filesystem::create_directories(directory_, ignored);
    if (drawHudPicture(game.rectangles(), game.texts()).writePng(path.string()))
        written_.push_back(path.string());
    else
        failures_.push_back("cannot write " + path.string());
}

std::vector<int> HudRecorder::missed() const {
    std::vector<int> out;
    for (int f : frames_)
        if (std::find(done_.begin(), done_.end(), f) == done_.end()) out.push_back(f);
    return out;
}

}  // namespace sim
