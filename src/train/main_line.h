#pragma once
#include <span>
// The freight main line (the game's track 0), node by node along the loop; its last node joins the first.
struct TrackNode { float x; float y; float z; };
std::span<const TrackNode> mainLineNodes();
