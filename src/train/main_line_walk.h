#pragma once
// Finding one's way along the main line, a loop whose last node joins the first: the nearest node, a
// node some distance along, how far a train still has to go. Plain (x, y) geometry over the nodes; a
// step is +1 (up the node order) or -1.

#include <cstdint>
#include <span>

#include "train/main_line.h"

using LineNodes = std::span<const TrackNode>;

// -1 for an empty line.
int32_t nearestNode(LineNodes line, float x, float y);
// The nearest of the nodes within `reach` of node `around`: what a train moved since the last pass needs.
int32_t nearestNodeAround(LineNodes line, float x, float y, int32_t around, int32_t reach);
// The first node at least `metres` along the loop from node `from` going `step`; -1 when the loop is
// shorter than that.
int32_t nodeAlong(LineNodes line, int32_t from, float metres, int32_t step);
// How far the point (x, y), nearest node `at`, still has to go along the loop going `step` to reach node
// `to`: negative once it has passed it (the shorter way round decides which).
float metresTo(LineNodes line, int32_t at, float x, float y, int32_t to, int32_t step);
// The distance from (x, y) to the line's two segments that meet at node `at`.
float distanceFromLine(LineNodes line, int32_t at, float x, float y);
// The unit direction of the line leaving node `at` going `step`, x and y; 0, 0 on a node doubled.
void lineDirection(LineNodes line, int32_t at, int32_t step, float& dx, float& dy);
