#pragma once
// A picture in memory, drawn with cairo and written as PNG: what the HUD and map pictures share.

#include <cstdint>
#include <string>

#include <cairo.h>

namespace sim {

struct Colour {
    int red = 0;
    int green = 0;
    int blue = 0;
};

class Picture {
public:
    Picture(int width, int height);
    ~Picture();
    Picture(Picture&& other) noexcept;
    Picture& operator=(Picture&& other) noexcept;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    // A fresh drawing context on the picture; the caller destroys it.
    cairo_t* draw() const { return cairo_create(surface_); }
    // Colour of a pixel of the (opaque) picture; black outside it.
    Colour at(int x, int y) const;
    // False when the file cannot be written.
    bool writePng(const std::string& path) const;

private:
    cairo_surface_t* surface_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace sim
