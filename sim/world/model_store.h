#pragma once
// The game's streaming of models as a script meets it: REQUEST_MODEL starts loading a model the game
// has, HAS_MODEL_LOADED turns true some frames later, SET_MODEL_AS_NO_LONGER_NEEDED lets it go.
// A model the game does not have never loads (the public native databases on IS_MODEL_VALID and
// REQUEST_MODEL; the game's own scripts wait frame by frame for HAS_MODEL_LOADED).

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/native_invoker.h"

namespace sim {

class ModelStore {
public:
    ModelStore();

    // Frames from a request until the model is loaded.
    int loadFrames = 3;
    // The game's version: freightcar2 came with update 2372 (the public native databases'
    // model list of CREATE_MISSION_TRAIN); older games do not have it.
    void setNewerGame(bool newer);
    bool newerGame() const { return newer_; }
    // A model the game has besides its trains (a scenario's vehicles).
    void addKnown(const std::string& name);

    bool valid(ModelHash model) const;
    void request(ModelHash model);
    // Loaded for the scripts that asked; a model some entity of the world uses is in memory anyway.
    bool loaded(ModelHash model) const;
    void release(ModelHash model);
    // One frame of streaming.
    void advance();

    // Requested and not let go, loaded or not.
    std::vector<ModelHash> held() const;
    void clear() { loading_.clear(); }

private:
    std::set<ModelHash> known_;
    bool newer_ = true;
    std::map<ModelHash, int> loading_;  // frames left, 0 when loaded
};

}  // namespace sim
