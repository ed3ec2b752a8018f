#pragma once
// The game's world as the stand-in keeps it: characters, vehicles, trains on polyline tracks, free
// vehicles rolling after a derailment, and the per-frame effects the plug-in can cause (draws,
// horns, explosions, camera shake, radio). Plain records, changed only through World's methods, each
// of which tells the timeline what it tells; World::advance is the game's own simulation between two
// script passes.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/native_invoker.h"
#include "sim/world/blips.h"
#include "sim/world/game_map.h"
#include "sim/world/input.h"
#include "sim/world/model_store.h"
#include "sim/world/phone.h"
#include "sim/world/screen.h"

namespace sim {

// Jenkins one-at-a-time over the lowercased text, as the game hashes names.
uint32_t hashName(const char* text);

struct Vec2 {
    float x = 0.0f;
    float y = 0.0f;
};

// Forward unit vector for a heading in degrees (0 faces +y, 90 faces -x), as the game turns.
Vector3 forwardFromHeading(float headingDegrees);
float headingFromForward(float fx, float fy);

struct Track {
    std::vector<Vector3> points;
    bool loop = false;
    // Cumulative length at each point, filled by World::addTrack.
    std::vector<float> lengths;
    // The game's track it is (its index in the game's files), -1 for a scenario's own; the distances
    // of its station stops.
    int gameTrack = -1;
    std::vector<float> stops;

    float length() const;
    // Point and unit tangent at a distance along the track (clamped, or wrapped on a loop).
    Vector3 pointAt(float distance) const;
    Vector3 tangentAt(float distance) const;
};

struct Barrier {
    Vec2 from;
    Vec2 to;
};

struct Character {
    EntityHandle handle = 0;
    std::string name;
    Vector3 position;
    float heading = 0.0f;
    bool dead = false;
    EntityHandle vehicle = 0;  // seated in
    int32_t seat = 0;
    EntityHandle entering = 0;  // the game's own entry into a road vehicle, in progress
    float enterTimer = 0.0f;
    EntityHandle leaving = 0;  // pending leave task: out beside that vehicle when the timer runs out
    float leaveTimer = 0.0f;
    std::optional<float> leaveAnyIn;  // seconds of game time until an ordered leave-any task starts
    std::optional<Vector3> walkTarget;
    float walkSpeed = 1.4f;
    bool scriptHeld = false;  // made by a script, kept until it lets go
};

struct Vehicle {
    EntityHandle handle = 0;
    std::string name;
    std::string modelName;
    ModelHash model = 0;
    Vector3 position;
    Vector3 rotation;  // degrees: pitch, roll, heading
    Vector3 velocity;
    float doors[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    bool highBeam = false;
    bool damageable = false;
    bool showsDamage = false;
    bool physicsActive = false;
    int32_t seatCount = 2;  // seats -1 .. seatCount - 2
    std::map<int32_t, EntityHandle> seats;
    // Carriage of a train: the train's handle (its lead carriage) and place; 0 for a free vehicle.
    EntityHandle train = 0;
    int32_t carriageIndex = 0;
    bool reversed = false;  // faces against the track's direction
    // Free vehicle: signed speed along its heading; stopped for good after hitting something.
    float freeSpeed = 0.0f;
    bool wrecked = false;
    bool spawned = false;  // by the script (SpawnVehicle), not by the scenario
};

struct Train {
    EntityHandle handle = 0;  // the lead carriage
    std::string name;
    int track = 0;
    float distance = 0.0f;  // of the lead carriage along the track
    float spacing = 18.0f;
    float speed = 0.0f;     // signed, along the track
    float cruise = 0.0f;    // the speed the game drives the train towards by itself
    bool cruiseSet = false;
    bool speedSetThisFrame = false;
    std::vector<EntityHandle> carriages;
    // +1: the train faces along the track's node order, -1 against it (its carriages then trail at
    // greater distances, and a forward speed runs it towards smaller ones).
    int direction = 1;
    // A script's train (CREATE_MISSION_TRAIN), kept until the script lets go; the game's own trains
    // are random ones.
    bool mission = false;
    bool stopsAtStations = false;  // the metro
    float dwell = 0.0f;            // seconds left standing at a station
    float lastStop = -1.0f;        // the station it stood at last
    // The script set its speed or cruise: the game's own drive (the metro's stops) leaves it alone.
    bool scriptDriven = false;
    // The script's speed orders to a train the player does not ride in (the engineer's drive), as the
    // timeline tells them.
    enum class Order { None, Forward, Backward, Braking, Waiting, Stop };
    Order order = Order::None;
    int orderFrame = 0;
};

struct Explosion {
    int frame;
    Vector3 position;
    int32_t type;
    float damageScale;
    float cameraShake;
    bool noDamage = false;  // the game's flag for an explosion that harms nothing
};

struct HornSound {
    int frame;
    EntityHandle vehicle;
    int32_t durationMs;
};

struct CameraShake {
    bool active = false;
    std::string name;
    float amplitude = 0.0f;
};

// The game's own trains on the real map (game_trains.cpp): a freight train on the main line at most
// every `freightEvery` seconds, and the metro.
struct GameTrains {
    bool on = false;
    float freightEvery = 120.0f;
    float sinceFreight = 0.0f;  // seconds; a scenario may start it nearer the next train
    bool metroRunning = false;
    int freightMade = 0;
    int missionMade = 0;
};

// What the world reports for the readable timeline.
struct WorldEvent {
    int frame;
    std::string text;
};

class World {
public:
    World();

    // --- Set-up ---
    int addTrack(std::vector<Vector3> points, bool loop = false);
    // A train of `carriages` vehicles on a track, lead at `distance`; carriages listed in
    // `reversedCarriages` face backwards. Returns the lead carriage's handle.
    EntityHandle addTrain(const std::string& modelName, int carriages, int track, float distance,
                          float speed, bool engineer, const std::string& name = "",
                          const std::vector<std::string>& carriageModels = {},
                          const std::vector<int>& reversedCarriages = {}, float spacing = 18.0f);
    EntityHandle addVehicle(const std::string& modelName, Vector3 position, float heading,
                            const std::string& name = "");
    EntityHandle addCharacter(Vector3 position, const std::string& name = "");
    void addBarrier(Vec2 from, Vec2 to);

    // --- The map (game_map.cpp, mission_trains.cpp) ---
    // The game's twelve tracks beside the scenario's; random trains then run on the main line and
    // the metro as the game runs them.
    void addGameTracks();
    // The game's own trains for one frame: spawns, the metro's stops, the population's clean-up.
    void runGameTrains(float seconds);
    // World::tracks index of the game's track, -1 when the game's tracks are not loaded.
    int gameTrackIndex(int gameTrack) const;
    // CREATE_MISSION_TRAIN: the variation's train at the node nearest `near` on any track, facing
    // along the node order when `direction` equals directionAlongNodes; 0 for an unknown variation
    // or a world without tracks.
    EntityHandle createMissionTrain(int32_t variation, Vector3 near, bool direction);
    // SET_MISSION_TRAIN_AS_NO_LONGER_NEEDED: a random train again.
    void releaseMissionTrain(EntityHandle train);
    void deleteMissionTrain(EntityHandle train);
    // CREATE_PED_INSIDE_VEHICLE: a script's character in that seat; 0 when the model is not loaded,
    // the vehicle is gone or the seat is taken.
    EntityHandle createCharacterInVehicle(EntityHandle vehicle, ModelHash model, int32_t seat);
    // SET_PED_AS_NO_LONGER_NEEDED: the game's own again.
    void releaseCharacter(EntityHandle character);
    const TrainVariation* variation(int32_t number) const;
    // Every vehicle, in handle order (the hook's worldGetAllVehicles).
    std::vector<EntityHandle> allVehicles() const;

    // --- Lookup (null when the handle names no such entity) ---
    Character* character(EntityHandle handle);
    Vehicle* vehicle(EntityHandle handle);
    Train* train(EntityHandle handle);        // by the lead carriage's handle
    Train* trainOf(EntityHandle carriage);    // by any carriage's handle
    const Character* character(EntityHandle handle) const;
    const Vehicle* vehicle(EntityHandle handle) const;
    const Train* train(EntityHandle handle) const;
    bool exists(EntityHandle handle) const;
    EntityHandle findByName(const std::string& name) const;  // 0 if none
    std::string describe(EntityHandle handle) const;

    // --- The start of a frame: the screen cleared, the player's keys and buttons for the frame taken
    // (held: those down), and the game's own answer to the controls just pressed (the enter control
    // near a road vehicle, not a carriage, starts the game's own entry) ---
    void beginFrame(int frame, std::vector<PhysicalInput> held, float seconds);

    // --- Game-side actions (used by the natives and by scenario events) ---
    void seat(EntityHandle character, EntityHandle vehicle, int32_t seat);
    void unseat(EntityHandle character);                 // out beside its vehicle, now
    // The shuffle task: on to the next seat, from the last one to the driver's, unless it is taken.
    void shuffleToNextSeat(EntityHandle character, EntityHandle vehicle);
    void orderLeave(EntityHandle character, EntityHandle vehicle);
    // The leave-any task: after `delayMs` of game time the character stops entering any vehicle and
    // gets out of the one it sits in.
    void orderLeaveAny(EntityHandle character, int32_t delayMs);
    void moveEntity(EntityHandle handle, Vector3 position);
    // A vehicle's pitch, roll and heading (a carriage keeps its track's); a character's heading.
    void setRotation(EntityHandle handle, Vector3 rotation);
    void walk(EntityHandle character, Vector3 target, float speed);
    void setPhysicsActive(EntityHandle vehicle, bool active);
    void setDamageable(EntityHandle vehicle, bool damageable);
    void setShowsDamage(EntityHandle vehicle, bool shows);
    // Along a free vehicle's heading (nothing for a wreck); a carriage sets its train's speed for the
    // frame, signed by the way the carriage faces.
    void setForwardSpeed(EntityHandle vehicle, float speed);
    // The train's speed for this frame, instead of the game's approach to its cruise speed.
    void setTrainSpeed(EntityHandle train, float speed);
    // The game's own setting of a train going (the population, a mission): its speed now, and the
    // cruise speed it keeps to by itself.
    void setTrainGoing(EntityHandle train, float speed, float cruise);
    // A door's open ratio, clamped to 0..1; the timeline tells a door closing, opening fully or partly.
    void setDoor(EntityHandle vehicle, int32_t door, float ratio);
    void setHighBeam(EntityHandle vehicle, bool on);
    // A horn started again frame after frame is one sound on the timeline.
    void soundHorn(EntityHandle vehicle, int32_t durationMs);
    void startCameraShake(const std::string& name, float amplitude);
    void setCameraShakeAmplitude(float amplitude);
    void stopCameraShake();
    void setRadio(bool enabled);
    void explode(Vector3 at, int32_t type, float damageScale, float cameraShake, bool noDamage);
    void removeVehicle(EntityHandle handle);             // occupants step out beside it
    void removeCharacter(EntityHandle handle);
    void removeAllTrains();
    EntityHandle spawnVehicle(ModelHash model, Vector3 position);
    // Whether the game holds the model in memory: while some vehicle of it exists.
    bool modelInMemory(ModelHash model) const;
    // Vehicles within `radius` of the character, nearest first (ties by handle), not its own.
    std::vector<EntityHandle> nearbyVehicles(EntityHandle character, float radius) const;
    float heightAboveGround(EntityHandle handle) const;
    Vector3 forward(EntityHandle handle) const;
    void setPlayerEntering(EntityHandle vehicle);
    // In the game's own entry, past the walk to the door: onto the seat.
    bool gettingIn(EntityHandle character) const;

    // --- The game's life around a ride: what the game does to the player by itself ---
    // Death: the character is dead where it is, seated or not (IS_ENTITY_DEAD answers true).
    void kill(EntityHandle character);
    // The game's respawn after death ("wasted", at a hospital) or arrest ("busted", at a police
    // station), as its respawn_controller script does in the public decompiled scripts: alive again,
    // out of any seat without stepping out beside it, at `at`.
    void respawn(EntityHandle character, Vector3 at, bool arrested);
    // A character switch: PLAYER_PED_ID names `to` from now on; the character left behind stays where
    // it is, seated if it was. For `blankFrames` frames PLAYER_PED_ID answers 0, as public reports of
    // scripts meeting a ped transition say it does for a moment.
    void switchPlayer(EntityHandle to, int blankFrames);
    // A mission or cutscene moving the character: SET_ENTITY_COORDS on a seated character pulls it
    // out of its vehicle (the public native databases; SET_PED_COORDS_KEEP_VEHICLE exists for that).
    void warp(EntityHandle character, Vector3 at);
    // The game deleting a whole train: random trains are not mission entities, and the game cleans
    // up its population without asking (the public native databases on SET_ENTITY_AS_MISSION_ENTITY).
    // The occupants are left standing where they sat; its crew goes with it.
    void removeTrain(EntityHandle anyCarriage);
    // A save loaded: the game builds its world again, so every entity comes back under a new handle
    // and every handle from before is dead; what a script created is gone (a mission-less script's
    // vehicles are not saved); the player stands at `playerAt`, on foot. Public sources do not say
    // what a load does to the radio flag and the camera shake of a script: both are reset here.
    // Returns each old handle's new one.
    std::map<EntityHandle, EntityHandle> reload(Vector3 playerAt);
    // What PLAYER_PED_ID answers this frame.
    EntityHandle playerAnswer() const { return playerUnknownFrames > 0 ? 0 : player; }

    // The game's own simulation for one frame of `seconds`, after the scripts' pass: first its own
    // actions on the controls the scripts left enabled (the seat shuffle), then everything that moves.
    void advance(float seconds, int frame);
    void placeCarriages(Train& t);
    // The trains' part of advance: the game's own trains (the real map), then every train's speed
    // and place.
    void advanceTrains(float seconds, int frame);

    // --- State ---
    EntityHandle player = 0;
    int playerUnknownFrames = 0;  // frames in which PLAYER_PED_ID still answers 0 (a switch)
    float groundZ = 0.0f;
    float trainAcceleration = 1.5f;  // m/s^2 towards the cruise speed
    float freeFriction = 2.5f;       // m/s^2 a free vehicle loses rolling
    std::vector<Track> tracks;
    std::vector<Barrier> barriers;
    std::map<EntityHandle, Character> characters;
    std::map<EntityHandle, Vehicle> vehicles;
    std::map<EntityHandle, Train> trains;
    std::vector<Explosion> explosions;
    std::vector<HornSound> horns;
    CameraShake cameraShake;
    bool radioEnabled = false;
    FrameInput input;
    Phone phone;
    // False in a cutscene or a mission's scripted moment (IS_PLAYER_CONTROL_ON): the keys still read as
    // they are, but the game's own actions on the player wait.
    bool playerControl = true;
    // The game's cinematic camera in vehicles (INPUT_VEH_CIN_CAM, B on a pad), switched on the player's
    // press where no script holds it off.
    bool cinematicCamera = false;
    Screen screen;
    std::vector<WorldEvent> events;
    int currentFrame = 0;
    ModelStore models;
    Blips blips;
    std::vector<TrainVariation> variations = defaultTrainVariations(true);
    // What CREATE_MISSION_TRAIN's direction means is not public: true is along the node order here,
    // or against it when this is false.
    bool directionAlongNodes = true;
    // Whether CREATE_MISSION_TRAIN seats a driver: the game's story scripts seat one themselves right
    // after it (docs/sources.md), so the game makes none; a scenario may still ask for one.
    bool missionTrainDriver = false;
    // The story mission flag (GET_MISSION_FLAG): while it is on the game runs no random trains.
    bool missionFlag = false;
    void setMissionFlag(bool on);
    GameTrains gameTrains;

    // The script sets a train's cruise speed; orders to a train without the player go on the timeline.
    void setTrainCruise(Train& train, float cruise);

    // Handles in the game's shape: a slot of the game's pool of script handles in the upper 24 bits,
    // the slot's counter in the low 8 (RAGE Plugin Hook's documentation of its PoolHandle). A slot
    // is taken again once its entity is gone, its counter one up, so a handle of a removed entity
    // stays dead. The slots below firstSlot stand for the game's own entities: the game's world is
    // never empty, and its handles run into the hundreds of thousands.
    static constexpr uint32_t firstSlot = 1000;
    static bool looksLikeHandle(int32_t value) { return value >= static_cast<int32_t>(firstSlot << 8); }

private:
    std::vector<uint8_t> slotCounters_;  // per slot from firstSlot on; 0 while free
    std::vector<uint8_t> lastCounters_;
    int lastHornFrame_ = -100;
    EntityHandle issue();
    void release(EntityHandle handle);
    void startLeaveAny(EntityHandle character);
    Vector3 besideVehicle(const Vehicle& v, int32_t seat) const;
    void note(std::string text);

};

}  // namespace sim
