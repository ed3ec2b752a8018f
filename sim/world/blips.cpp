#include "sim/world/blips.h"

namespace sim {

BlipHandle Blips::add(EntityHandle entity, bool entityExists) {
    if (!entityExists) return 0;
    Blip b;
    b.handle = next_++;
    b.entity = entity;
    blips_[b.handle] = b;
    return b.handle;
}

Blip* Blips::find(BlipHandle handle) {
    auto it = blips_.find(handle);
    return it == blips_.end() ? nullptr : &it->second;
}

const Blip* Blips::find(BlipHandle handle) const { return const_cast<Blips*>(this)->find(handle); }

bool Blips::remove(BlipHandle handle) { return blips_.erase(handle) != 0; }

void Blips::entityRemoved(EntityHandle entity) {
    for (auto& [h, b] : blips_)
        if (b.entity == entity) {
            b.entityGone = true;
            b.route = false;
        }
}

}  // namespace sim
