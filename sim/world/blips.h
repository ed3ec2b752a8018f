#pragma once
// The map's blips a script adds: each under a handle of its own, with its sprite and its GPS route.
// REMOVE_BLIP takes the handle; a blip of an entity that is deleted leaves the map with it, but its
// handle stays the script's until removed (see docs/sources.md).

#include <cstdint>
#include <map>
#include <vector>

#include "host/native_invoker.h"

namespace sim {

struct Blip {
    BlipHandle handle = 0;
    EntityHandle entity = 0;
    int32_t sprite = 1;  // the game's default, a plain dot
    bool route = false;
    bool entityGone = false;  // off the map: its entity was deleted
};

class Blips {
public:
    // 0 for an entity that does not exist.
    BlipHandle add(EntityHandle entity, bool entityExists);
    Blip* find(BlipHandle handle);
    const Blip* find(BlipHandle handle) const;
    bool remove(BlipHandle handle);
    // The entity is gone: its blips leave the map.
    void entityRemoved(EntityHandle entity);
    // Blips still held by the script (on the map or not).
    const std::map<BlipHandle, Blip>& all() const { return blips_; }
    void clear() { blips_.clear(); }

private:
    std::map<BlipHandle, Blip> blips_;
    // Never 0, never given twice: a removed blip's handle stays dead.
    int32_t next_ = 0x1001;
};

}  // namespace sim
