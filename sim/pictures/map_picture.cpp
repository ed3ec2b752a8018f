#include "sim/pictures/map_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sim {

namespace {

// Points closer than this to the last one add nothing visible and would grow a long run's paths.
constexpr float kSampleSpacing = 0.5f;
constexpr double kMinimumExtent = 60.0;  // metres, so that a lone point still makes a picture
constexpr double kPi = 3.14159265358979;

struct Rgb {
    double r, g, b;
};

constexpr Rgb kPaper{0.93, 0.92, 0.88};
constexpr Rgb kGrid{0.86, 0.85, 0.80};
constexpr Rgb kTrack{0.35, 0.35, 0.35};
constexpr Rgb kBarrier{0.60, 0.15, 0.15};
constexpr Rgb kPlayer{0.12, 0.40, 0.90};
constexpr Rgb kLoose{0.95, 0.55, 0.0};
constexpr Rgb kWreck{0.45, 0.10, 0.05};
constexpr Rgb kExplosion{0.90, 0.12, 0.10};
constexpr Rgb kRoad{0.55, 0.55, 0.60};
constexpr Rgb kTrains[] = {{0.10, 0.55, 0.25}, {0.55, 0.30, 0.70}, {0.10, 0.50, 0.60}, {0.55, 0.35, 0.25}};

void source(cairo_t* cr, Rgb c, double alpha = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

Rgb trainColour(size_t index) { return kTrains[index % (sizeof kTrains / sizeof kTrains[0])]; }

void remember(std::vector<Vec2>& path, Vector3 p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    if (!path.empty() && std::hypot(path.back().x - p.x, path.back().y - p.y) < kSampleSpacing) return;
    path.push_back(Vec2{p.x, p.y});
}

// 1, 2 or 5 times a power of ten, near `approximately`.
double niceStep(double approximately) {
    const double power = std::pow(10.0, std::floor(std::log10(std::max(approximately, 1e-6))));
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= approximately) return m * power;
    return 10.0 * power;
}

}  // namespace

Vec2 MapRecorder::View::at(Vec2 p) const {
    return Vec2{static_cast<float>(width / 2.0 + (p.x - centreX) * scale),
                static_cast<float>(height / 2.0 - (p.y - centreY) * scale)};
}

void MapRecorder::afterFrame(const World& world) {
    for (const auto& [h, t] : world.trains)
        if (const Vehicle* lead = world.vehicle(h)) remember(trainPaths_[h], lead->position);
    for (const auto& [h, v] : world.vehicles)
        if (v.spawned) remember(loosePaths_[h], v.position);
    if (const Character* p = world.character(world.player)) remember(playerPath_, p->position);
}

MapRecorder::View MapRecorder::fit(const World& world, int longSide) const {
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    auto add = [&](double x, double y) {
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    };
    for (const Track& t : world.tracks)
        for (const Vector3& p : t.points) add(p.x, p.y);
    for (const Barrier& b : world.barriers) {
        add(b.from.x, b.from.y);
        add(b.to.x, b.to.y);
    }
    for (const auto& [h, v] : world.vehicles) add(v.position.x, v.position.y);
    for (const auto& [h, c] : world.characters) add(c.position.x, c.position.y);
    for (const Explosion& e : world.explosions) add(e.position.x, e.position.y);
    for (const auto* paths : {&trainPaths_, &loosePaths_})
        for (const auto& [h, path] : *paths)
            for (const Vec2& p : path) add(p.x, p.y);
    for (const Vec2& p : playerPath_) add(p.x, p.y);
    if (!(minX <= maxX)) minX = maxX = minY = maxY = 0.0;

    View view;
    const double spanX = std::max(maxX - minX, kMinimumExtent) * 1.16;
    const double spanY = std::max(maxY - minY, kMinimumExtent) * 1.16;
    const double aspect = std::clamp(spanX / spanY, 0.5, 2.0);
    const int side = std::max(longSide, 200);
    view.width = aspect >= 1.0 ? side : static_cast<int>(side * aspect);
    view.height = aspect >= 1.0 ? static_cast<int>(side / aspect) : side;
    view.scale = std::min(view.width / spanX, view.height / spanY);
    view.centreX = (minX + maxX) / 2.0;
    view.centreY = (minY + maxY) / 2.0;
    return view;
}

Vec2 MapRecorder::pixelOf(const World& world, Vec2 point, int longSide) const {
    return fit(world, longSide).at(point);
}

namespace {

void polyline(cairo_t* cr, const std::vector<Vec2>& points, const auto& at, bool closed = false) {
    for (size_t i = 0; i < points.size(); ++i) {
        const Vec2 p = at(points[i]);
        if (i == 0) cairo_move_to(cr, p.x, p.y);
        else cairo_line_to(cr, p.x, p.y);
    }
    if (closed) cairo_close_path(cr);
}

// A box of `length` by `breadth` metres (at least a few pixels) facing `heading` degrees.
void box(cairo_t* cr, Vec2 centre, float headingDegrees, double length, double breadth, double scale) {
    cairo_save(cr);
    cairo_translate(cr, centre.x, centre.y);
    // Heading 0 faces north (up in the picture) and grows anticlockwise, as the game turns.
    cairo_rotate(cr, -headingDegrees * kPi / 180.0);
    const double l = std::max(length * scale, 7.0);
    const double b = std::max(breadth * scale, 4.0);
    cairo_rectangle(cr, -b / 2.0, -l / 2.0, b, l);
    cairo_restore(cr);
}

void cross(cairo_t* cr, Vec2 c, double size) {
    cairo_move_to(cr, c.x - size, c.y - size);
    cairo_line_to(cr, c.x + size, c.y + size);
    cairo_move_to(cr, c.x + size, c.y - size);
    cairo_line_to(cr, c.x - size, c.y + size);
}

void burst(cairo_t* cr, Vec2 c, double radius) {
    for (int i = 0; i < 16; ++i) {
        const double a = i * kPi / 8.0;
        const double r = i % 2 == 0 ? radius : radius * 0.45;
        const double x = c.x + std::cos(a) * r, y = c.y + std::sin(a) * r;
        if (i == 0) cairo_move_to(cr, x, y);
        else cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
}

void label(cairo_t* cr, double x, double y, const std::string& text, double size) {
    cairo_set_font_size(cr, size);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text.c_str());
}

}  // namespace

Picture MapRecorder::draw(const World& world, const std::string& title, int longSide) const {
    const View view = fit(world, longSide);
    auto at = [&](Vec2 p) { return view.at(p); };
    Picture picture(view.width + kMapLegendWidth, view.height);
    cairo_t* cr = picture.draw();
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);

    source(cr, kPaper);
    cairo_paint(cr);

    // Grid, about eight squares across.
    const double step = niceStep(std::max(view.width, view.height) / view.scale / 8.0);
    source(cr, kGrid);
    cairo_set_line_width(cr, 1.0);
    const double halfW = view.width / 2.0 / view.scale, halfH = view.height / 2.0 / view.scale;
    for (double x = std::ceil((view.centreX - halfW) / step) * step; x <= view.centreX + halfW; x += step) {
        const Vec2 p = at(Vec2{static_cast<float>(x), 0.0f});
        cairo_move_to(cr, std::round(p.x) + 0.5, 0);
        cairo_line_to(cr, std::round(p.x) + 0.5, view.height);
    }
    for (double y = std::ceil((view.centreY - halfH) / step) * step; y <= view.centreY + halfH; y += step) {
        const Vec2 p = at(Vec2{0.0f, static_cast<float>(y)});
        cairo_move_to(cr, 0, std::round(p.y) + 0.5);
        cairo_line_to(cr, view.width, std::round(p.y) + 0.5);
    }
    cairo_stroke(cr);

    for (const Track& t : world.tracks) {
        std::vector<Vec2> points;
        for (const Vector3& p : t.points) points.push_back(Vec2{p.x, p.y});
        polyline(cr, points, at, t.loop);
        source(cr, kTrack);
        cairo_set_line_width(cr, 4.0);
        cairo_stroke(cr);
    }
    for (const Barrier& b : world.barriers) {
        polyline(cr, {b.from, b.to}, at);
        source(cr, kBarrier);
        cairo_set_line_width(cr, 4.0);
        cairo_stroke(cr);
    }

    // Paths over the run, then where everything stands now.
    size_t index = 0;
    for (const auto& [h, path] : trainPaths_) {
        polyline(cr, path, at);
        source(cr, trainColour(index++), 0.9);
        cairo_set_line_width(cr, 3.0);
        cairo_stroke(cr);
    }
    for (const auto& [h, path] : loosePaths_) {
        polyline(cr, path, at);
        source(cr, kLoose, 0.7);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
    polyline(cr, playerPath_, at);
    source(cr, kPlayer, 0.8);
    const double dash[] = {6.0, 4.0};
    cairo_set_dash(cr, dash, 2, 0.0);
    cairo_set_line_width(cr, 2.0);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0.0);

    bool anyRoad = false, anyLoose = false, anyWreck = false;
    for (const auto& [h, v] : world.vehicles) {
        const Vec2 p = at(Vec2{v.position.x, v.position.y});
        if (v.train != 0) {
            size_t i = 0;
            for (const auto& entry : trainPaths_) {
                if (entry.first == v.train) break;
                ++i;
            }
            const Train* t = world.train(v.train);
            box(cr, p, v.rotation.z, t != nullptr ? t->spacing * 0.85 : 15.0, 3.0, view.scale);
            source(cr, trainColour(i));
            cairo_fill_preserve(cr);
            source(cr, h == v.train ? Rgb{0, 0, 0} : Rgb{1, 1, 1});
            cairo_set_line_width(cr, 1.0);
            cairo_stroke(cr);
        } else if (v.spawned) {
            anyLoose = true;
            box(cr, p, v.rotation.z, 12.0, 3.0, view.scale);
            source(cr, kLoose);
            cairo_fill(cr);
            if (v.wrecked) {
                anyWreck = true;
                cross(cr, p, 5.0);
                source(cr, kWreck);
                cairo_set_line_width(cr, 2.0);
                cairo_stroke(cr);
            }
        } else {
            anyRoad = true;
            box(cr, p, v.rotation.z, 4.5, 2.0, view.scale);
            source(cr, kRoad);
            cairo_fill(cr);
        }
    }
    for (const Explosion& e : world.explosions) {
        burst(cr, at(Vec2{e.position.x, e.position.y}), 11.0);
        source(cr, kExplosion, 0.85);
        cairo_fill(cr);
    }
    if (const Character* p = world.character(world.player)) {
        const Vec2 c = at(Vec2{p->position.x, p->position.y});
        cairo_arc(cr, c.x, c.y, 6.0, 0.0, 2.0 * kPi);
        source(cr, kPlayer);
        cairo_fill_preserve(cr);
        source(cr, Rgb{1, 1, 1});
        cairo_set_line_width(cr, 2.0);
        cairo_stroke(cr);
    }

    // Legend: only what the picture holds.
    struct Entry {
        Rgb colour;
        std::string text;
        int glyph;  // 0 line, 1 box, 2 dot, 3 burst, 4 cross
    };
    std::vector<Entry> entries;
    if (!world.tracks.empty()) entries.push_back({kTrack, "track", 0});
    if (!world.barriers.empty()) entries.push_back({kBarrier, "barrier", 0});
    index = 0;
    for (const auto& [h, path] : trainPaths_)
        entries.push_back({trainColour(index++), "train " + world.describe(h), 1});
    entries.push_back({kPlayer, "player (dashed: path)", 2});
    if (anyLoose) entries.push_back({kLoose, "wagon off its train", 1});
    if (anyWreck) entries.push_back({kWreck, "wagon stopped by a crash", 4});
    if (anyRoad) entries.push_back({kRoad, "road vehicle", 1});
    if (!world.explosions.empty()) entries.push_back({kExplosion, "explosion", 3});

    // The legend has a panel of its own beside the map, so that it never hides what it explains.
    cairo_save(cr);
    cairo_translate(cr, view.width, 0);
    cairo_rectangle(cr, 0, 0, kMapLegendWidth, view.height);
    source(cr, Rgb{0.98, 0.98, 0.97});
    cairo_fill(cr);
    cairo_move_to(cr, 0.5, 0);
    cairo_line_to(cr, 0.5, view.height);
    source(cr, Rgb{0.7, 0.7, 0.7});
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    const double line = 18.0;
    double top = 10.0;
    source(cr, Rgb{0.1, 0.1, 0.1});
    // The title in lines of at most 34 characters, broken between words.
    std::string rest = title;
    while (!rest.empty() && top < 100.0) {
        size_t cut = rest.size();
        if (cut > 34) {
            cut = rest.rfind(' ', 34);
            if (cut == std::string::npos || cut == 0) cut = 34;
        }
        label(cr, 16, top + 14, rest.substr(0, cut), 13.0);
        rest = cut < rest.size() ? rest.substr(cut + (rest[cut] == ' ' ? 1 : 0)) : "";
        top += 17.0;
    }
    top += 8.0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const double y = top + line * static_cast<double>(i) + line / 2.0;
        const Vec2 g{28.0f, static_cast<float>(y)};
        source(cr, e.colour);
        switch (e.glyph) {
            case 0:
                cairo_move_to(cr, 16, y);
                cairo_line_to(cr, 40, y);
                cairo_set_line_width(cr, 4.0);
                cairo_stroke(cr);
                break;
            case 1:
                cairo_rectangle(cr, 20, y - 4, 16, 8);
                cairo_fill(cr);
                break;
            case 2:
                cairo_arc(cr, g.x, g.y, 5.0, 0.0, 2.0 * kPi);
                cairo_fill(cr);
                break;
            case 3:
                burst(cr, g, 8.0);
                cairo_fill(cr);
                break;
            default:
                cross(cr, g, 5.0);
                cairo_set_line_width(cr, 2.0);
                cairo_stroke(cr);
                break;
        }
        source(cr, Rgb{0.1, 0.1, 0.1});
        label(cr, 48, y + 4.5, e.text, 12.0);
    }
    cairo_restore(cr);

    // Scale bar, bottom right.
    const double bar = niceStep(view.width / view.scale / 6.0);
    const double length = bar * view.scale;
    const double x1 = view.width - 16.0, x0 = x1 - length, y = view.height - 18.0;
    source(cr, Rgb{0.1, 0.1, 0.1});
    cairo_set_line_width(cr, 3.0);
    cairo_move_to(cr, x0, y);
    cairo_line_to(cr, x1, y);
    cairo_stroke(cr);
    char text[32];
    std::snprintf(text, sizeof text, "%g m", bar);
    label(cr, x0, y - 8.0, text, 12.0);

    cairo_destroy(cr);
    return picture;
}

}  // namespace sim
