// The game's twelve tracks, node by node: made by data/track_sources.cmake from
// data/train-tracks.csv, the game's track files through the public data dump named in
// docs/sources.md. The playground page leaves them out (VORN_WITHOUT_GAME_TRACKS): its rides run on
// their own tracks, and the page keeps to its size.

#include "sim/world/game_map.h"

namespace sim {

const std::vector<GameTrackNode>& gameTrackNodes() {
#ifdef VORN_WITHOUT_GAME_TRACKS
    static const std::vector<GameTrackNode> nodes;
#else
    static const GameTrackNode kNodes[] = {
#include "game_tracks.inc"
    };
    static const std::vector<GameTrackNode> nodes(std::begin(kNodes), std::end(kNodes));
#endif
    return nodes;
}

}  // namespace sim
