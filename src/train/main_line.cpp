#include "train/main_line.h"

namespace {

// From data/train-tracks.csv at build time (data/track_sources.cmake): the game's own track file,
// through the public data dump named in docs/sources.md.
constexpr TrackNode kMainLine[] = {
#include "main_line_nodes.inc"
};

}  // namespace

std::span<const TrackNode> mainLineNodes() { return kMainLine; }
