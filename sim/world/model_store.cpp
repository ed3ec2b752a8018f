#include "sim/world/model_store.h"

#include "sim/world/world.h"

namespace sim {

namespace {

// The game's train models (the public native databases' list for CREATE_MISSION_TRAIN, with the
// game's trains.xml); freightcar2 only in newer games.
const char* const kTrainModels[] = {"freight",      "freightcar",   "freightgrain", "freightcont1", "freightcont2",
                                    "freighttrailer", "tankercar", "metrotrain"};

// The character a script seats in a train's cab (docs/sources.md).
const char* const kDriverModel = "s_m_m_lsmetro_01";

}  // namespace

ModelStore::ModelStore() {
    for (const char* name : kTrainModels) known_.insert(hashName(name));
    known_.insert(hashName(kDriverModel));
    setNewerGame(true);
}

void ModelStore::setNewerGame(bool newer) {
    newer_ = newer;
    if (newer) {
        known_.insert(hashName("freightcar2"));
    } else {
        known_.erase(hashName("freightcar2"));
        loading_.erase(hashName("freightcar2"));
    }
}

void ModelStore::addKnown(const std::string& name) { known_.insert(hashName(name.c_str())); }

bool ModelStore::valid(ModelHash model) const { return known_.count(model) != 0; }

void ModelStore::request(ModelHash model) {
    if (valid(model) && loading_.count(model) == 0) loading_[model] = loadFrames;
}

bool ModelStore::loaded(ModelHash model) const {
    const auto it = loading_.find(model);
    return it != loading_.end() && it->second == 0;
}

void ModelStore::release(ModelHash model) { loading_.erase(model); }

void ModelStore::advance() {
    for (auto& [model, frames] : loading_)
        if (frames > 0) --frames;
}

std::vector<ModelHash> ModelStore::held() const {
    std::vector<ModelHash> out;
    for (const auto& [model, frames] : loading_) out.push_back(model);
    return out;
}

}  // namespace sim
