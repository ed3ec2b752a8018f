#include "sim/pictures/picture.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace sim {

Picture::Picture(int width, int height)
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(1, width), std::max(1, height))),
      width_(std::max(1, width)),
      height_(std::max(1, height)) {}

Picture::~Picture() {
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
}

Picture::Picture(Picture&& other) noexcept
    : surface_(std::exchange(other.surface_, nullptr)), width_(other.width_), height_(other.height_) {}

Picture& Picture::operator=(Picture&& other) noexcept {
    if (this != &other) {
        if (surface_ != nullptr) cairo_surface_destroy(surface_);
        surface_ = std::exchange(other.surface_, nullptr);
        width_ = other.width_;
        height_ = other.height_;
    }
    return *this;
}

Colour Picture::at(int x, int y) const {
    if (surface_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) return Colour{};
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    uint32_t pixel = 0;
    const unsigned char* p = data + static_cast<std::ptrdiff_t>(y) * stride + static_cast<std::ptrdiff_t>(x) * 4;
    std::copy(p, p + 4, reinterpret_cast<unsigned char*>(&pixel));
    // Native-endian premultiplied ARGB; the pictures are opaque, so no division is needed.
    return Colour{static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
                  static_cast<int>(pixel & 0xFF)};
}

bool Picture::writePng(const std::string& path) const {
    return surface_ != nullptr && cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace sim

// Fontconfig keeps its font cache until the process ends; LeakSanitizer, in the sanitizer builds,
// would report it as ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
