#include "sim/runners/game.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

namespace sim {

Game* Game::current = nullptr;

namespace {

// The plug-in's configuration file, beside it in the game's folder.
constexpr const char* kIniName = "VornLoconaut.ini";

std::filesystem::path freshWorkdir() {
    std::random_device device;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        const auto candidate = base / ("vorn-sim-" + std::to_string(device()));
        if (std::filesystem::create_directory(candidate)) return candidate;
    }
}

}  // namespace

Game::Game(GameOptions options) : hook_(world_), frameSeconds_(options.frameSeconds) {
    hook_.answerZero = options.answerZero;
    hook_.trace = options.trace;
    if (options.workdir.empty()) {
        workdir_ = freshWorkdir();
        ownWorkdir_ = true;
    } else {
        workdir_ = std::filesystem::absolute(options.workdir);
        std::filesystem::create_directories(workdir_);
    }
    // The plug-in opens its INI relative to the working directory, as in the game's folder.
    previousDir_ = std::filesystem::current_path();
    std::filesystem::current_path(workdir_);
    current = this;
    Hook::current = &hook_;
}

Game::~Game() {
    for (const auto& held : heldFiles_) std::fclose(held.second);
    unregisterScript();
    std::error_code ignored;
    std::filesystem::current_path(previousDir_, ignored);
    if (ownWorkdir_) std::filesystem::remove_all(workdir_, ignored);
    if (current == this) current = nullptr;
    if (Hook::current == &hook_) Hook::current = nullptr;
}

void Game::registerScript(void (*script)(), const void* module) {
    auto same = std::find_if(scripts_.begin(), scripts_.end(), [&](const Script& s) { return s.module == module; });
    if (same == scripts_.end()) {
        scripts_.push_back(Script{module, script, nullptr});
        same = scripts_.end() - 1;
    }
    same->main = script;
    same->runner = makeScriptRunner();
    same->runner->start(script);
}

void Game::unregisterScript() {
    // Destroying a runner ends its script (on Linux by unwinding it out of its wait).
    scripts_.clear();
    endAbandoned(0);
}

void Game::restartScripts() {
    for (Script& s : scripts_) {
        abandoned_.push_back(std::move(s.runner));
        s.runner = makeScriptRunner();
        s.runner->start(s.main);
    }
    endAbandoned(kAbandonedKept);
}

std::map<EntityHandle, EntityHandle> Game::loadSave(Vector3 playerAt) {
    std::map<EntityHandle, EntityHandle> renamed = world_.reload(playerAt);
    restartScripts();
    return renamed;
}

void Game::endAbandoned(size_t keep) {
    if (abandoned_.size() <= keep) return;
    const auto last = abandoned_.end() - static_cast<std::ptrdiff_t>(keep);
    std::vector<std::unique_ptr<ScriptRunner>> ending(std::make_move_iterator(abandoned_.begin()),
                                                      std::make_move_iterator(last));
    abandoned_.erase(abandoned_.begin(), last);
    endingAbandoned_ = true;
    ending.clear();
    endingAbandoned_ = false;
}

void Game::scriptWait(uint32_t) {
    if (running_ != nullptr) running_->yieldToGame();
}

uint32_t Game::tickCount() const { return static_cast<uint32_t>(static_cast<uint64_t>(std::llround(clockMs_))); }

void Game::setPlayerPosition(Vector3 position, float heading) {
    world_.moveEntity(world_.player, position);
    world_.setRotation(world_.player, Vector3{0.0f, 0.0f, heading});
}

void Game::walkPlayerTo(Vector3 target, float speed) {
    world_.walk(world_.player, target, speed);
}

std::filesystem::path Game::iniPath() const { return workdir_ / kIniName; }

void Game::writeIni(const std::string& text) {
    std::ofstream out(iniPath(), std::ios::binary | std::ios::trunc);
    out << text;
}

void Game::deleteIni() {
    std::error_code ignored;
    std::filesystem::remove(iniPath(), ignored);
}

void Game::holdFile(const std::string& name) {
    if (heldFiles_.count(name) > 0) return;
    if (std::FILE* file = std::fopen((workdir_ / name).string().c_str(), "ab")) heldFiles_[name] = file;
}

void Game::releaseFile(const std::string& name) {
    const auto held = heldFiles_.find(name);
    if (held == heldFiles_.end()) return;
    std::fclose(held->second);
    heldFiles_.erase(held);
}

std::optional<std::string> Game::readIni() const {
    std::ifstream in(iniPath(), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Game::hold(const PhysicalInput& input) {
    if (!isHeld(input)) held_.push_back(input);
}

void Game::release(const PhysicalInput& input) {
    held_.erase(std::remove(held_.begin(), held_.end(), input), held_.end());
    tapped_.erase(std::remove(tapped_.begin(), tapped_.end(), input), tapped_.end());
}

void Game::releaseAll() {
    held_.clear();
    tapped_.clear();
}

void Game::tap(const PhysicalInput& input) {
    hold(input);
    tapped_.push_back(input);
}

bool Game::isHeld(const PhysicalInput& input) const { return std::find(held_.begin(), held_.end(), input) != held_.end(); }

void Game::step(int frames) {
    for (int n = 0; n < frames; ++n) {
        ++frame_;
        world_.beginFrame(frame_, held_, frameSeconds_);
        for (const PhysicalInput& t : tapped_) held_.erase(std::remove(held_.begin(), held_.end(), t), held_.end());
        tapped_.clear();
        hook_.beginFrame(frame_);
        for (Script& s : scripts_) {
            running_ = s.runner.get();
            running_->resume();
        }
        running_ = nullptr;
        world_.advance(frameSeconds_, frame_);
        clockMs_ += static_cast<double>(frameSeconds_) * 1000.0;
    }
}

void Game::stepSeconds(float seconds) {
    if (frameSeconds_ <= 0.0f) {
        step();
        return;
    }
    const int frames = std::max(1, static_cast<int>(std::ceil(seconds / frameSeconds_ - 1e-4f)));
    step(frames);
}

int Game::countCalls(const std::string& op) const {
    return static_cast<int>(std::count_if(hook_.calls.begin(), hook_.calls.end(),
                                          [&](const NativeCall& c) { return c.op == op; }));
}

const NativeCall* Game::lastCall(const std::string& op) const {
    for (auto it = hook_.calls.rbegin(); it != hook_.calls.rend(); ++it)
        if (it->op == op) return &*it;
    return nullptr;
}

bool Game::textShown(const std::string& part) const {
    return std::any_of(texts().begin(), texts().end(),
                       [&](const DrawnText& t) { return t.text.find(part) != std::string::npos; });
}

EntityHandle Game::playerVehicle() const {
    const Character* p = world_.character(world_.player);
    return p == nullptr ? 0 : p->vehicle;
}

int32_t Game::playerSeat() const {
    const Character* p = world_.character(world_.player);
    return p == nullptr || p->vehicle == 0 ? 0 : p->seat;
}

float Game::trainSpeed(EntityHandle handle) const {
    const Train* t = world_.train(handle);
    return t == nullptr ? 0.0f : t->speed;
}

void gameScriptWait(uint32_t milliseconds) {
    if (Game::current != nullptr) Game::current->scriptWait(milliseconds);
}

uint32_t gameTickCount() { return Game::current != nullptr ? Game::current->tickCount() : 0u; }

void gameNativeInit(uint64_t hash) {
    if (Game::current != nullptr && Game::current->abandonedScriptRunning())
        Game::current->hook().violation("a native called by an abandoned script");
    hookNativeInit(hash);
}

}  // namespace sim
