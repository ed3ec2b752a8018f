#include "train/main_line_walk.h"

#include <cmath>
#include <limits>

#include "util/geometry.h"

namespace {

int32_t wrap(LineNodes line, int64_t index) {
    const auto n = static_cast<int64_t>(line.size());
    return static_cast<int32_t>(((index % n) + n) % n);
}

float planar(const TrackNode& a, const TrackNode& b) {
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

float squaredTo(const TrackNode& node, float x, float y) {
    const float dx = node.x - x;
    const float dy = node.y - y;
    return dx * dx + dy * dy;
}

}  // namespace

int32_t nearestNode(LineNodes line, float x, float y) {
    int32_t best = -1;
    float bestSquared = 0.0f;
    for (size_t i = 0; i < line.size(); ++i) {
        const float d = squaredTo(line[i], x, y);
        if (best < 0 || d < bestSquared) {
            best = static_cast<int32_t>(i);
            bestSquared = d;
        }
    }
    return best;
}

int32_t nearestNodeAround(LineNodes line, float x, float y, int32_t around, int32_t reach) {
    if (line.empty()) {
        return -1;
    }
    if (around < 0 || static_cast<size_t>(2 * reach + 1) >= line.size()) {
        return nearestNode(line, x, y);
    }
    int32_t best = wrap(line, around);
    float bestSquared = squaredTo(line[static_cast<size_t>(best)], x, y);
    for (int32_t k = -reach; k <= reach; ++k) {
        const int32_t i = wrap(line, int64_t{around} + k);
        const float d = squaredTo(line[static_cast<size_t>(i)], x, y);
        if (d < bestSquared) {
            best = i;
            bestSquared = d;
        }
    }
    return best;
}

int32_t nodeAlong(LineNodes line, int32_t from, float metres, int32_t step) {
    if (line.empty() || from < 0) {
        return -1;
    }
    float walked = 0.0f;
    int32_t at = wrap(line, from);
    for (size_t k = 0; k < line.size(); ++k) {
        if (walked >= metres) {
            return at;
        }
        const int32_t next = wrap(line, int64_t{at} + step);
        walked += planar(line[static_cast<size_t>(at)], line[static_cast<size_t>(next)]);
        at = next;
    }
    return -1;
}

void lineDirection(LineNodes line, int32_t at, int32_t step, float& dx, float& dy) {
    dx = 0.0f;
    dy = 0.0f;
    if (line.size() < 2 || at < 0) {
        return;
    }
    const TrackNode& a = line[static_cast<size_t>(wrap(line, at))];
    const TrackNode& b = line[static_cast<size_t>(wrap(line, int64_t{at} + step))];
    const float length = planar(a, b);
    if (length > 0.0f) {
        dx = (b.x - a.x) / length;
        dy = (b.y - a.y) / length;
    }
}

float metresTo(LineNodes line, int32_t at, float x, float y, int32_t to, int32_t step) {
    if (line.empty() || at < 0 || to < 0) {
        return 0.0f;
    }
    at = wrap(line, at);
    to = wrap(line, to);
    // How far the point already stands beyond its node, the way it goes.
    float dx = 0.0f;
    float dy = 0.0f;
    lineDirection(line, at, step, dx, dy);
    const TrackNode& node = line[static_cast<size_t>(at)];
    const float beyond = (x - node.x) * dx + (y - node.y) * dy;
    // Both ways round at once, so the walk is as long as the shorter way.
    float ahead = 0.0f;
    float behind = 0.0f;
    int32_t a = at;
    int32_t b = at;
    for (size_t k = 0; k <= line.size() / 2; ++k) {
        if (a == to) {
            return ahead - beyond;
        }
        if (b == to) {
            return -behind - beyond;
        }
        const int32_t nextA = wrap(line, int64_t{a} + step);
        const int32_t nextB = wrap(line, int64_t{b} - step);
        ahead += planar(line[static_cast<size_t>(a)], line[static_cast<size_t>(nextA)]);
        behind += planar(line[static_cast<size_t>(b)], line[static_cast<size_t>(nextB)]);
        a = nextA;
        b = nextB;
    }
    return 0.0f;
}

float distanceFromLine(LineNodes line, int32_t at, float x, float y) {
    if (line.empty() || at < 0) {
        return std::numeric_limits<float>::infinity();
    }
    const TrackNode& node = line[static_cast<size_t>(wrap(line, at))];
    const TrackNode& next = line[static_cast<size_t>(wrap(line, int64_t{at} + 1))];
    const TrackNode& previous = line[static_cast<size_t>(wrap(line, int64_t{at} - 1))];
    const float toNext = DistanceToSegment2D(x, y, node.x, node.y, next.x, next.y);
    const float toPrevious = DistanceToSegment2D(x, y, previous.x, previous.y, node.x, node.y);
    return toNext < toPrevious ? toNext : toPrevious;
}
