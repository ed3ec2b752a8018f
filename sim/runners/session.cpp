#include "sim/runners/session.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "config/settings.h"
#include "host/native_invoker.h"
#include "host/script.h"
#include "train/held_in_game.h"

namespace sim {

namespace {

Session* current = nullptr;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::optional<std::string> readIniFile() {
    File file(std::fopen(configurationFileName, "rb"));
    if (!file) return std::nullopt;
    std::string text;
    char buffer[65536];
    for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) text.append(buffer, count);
    return text;
}

Session::Session(const std::optional<std::string>& ini) : hook_(world_) {
    std::remove(configurationFileName);
    if (ini) writeIni(*ini);
    current = this;
    Hook::current = &hook_;
    gHook.nativeInit = hookNativeInit;
    gHook.nativePush64 = hookNativePush64;
    gHook.nativeCall = hookNativeCall;
    gHook.scriptWait = nullptr;
    gHook.tickCount = tickCount;
    gHook.worldGetAllVehicles = hookWorldGetAllVehicles;
    // What a script of an earlier game in this process held is nothing of this one's.
    forgetHeldByLastRun();
}

Session::~Session() {
    gHook = HookFunctions{};
    if (Hook::current == &hook_) Hook::current = nullptr;
    if (current == this) current = nullptr;
}

void Session::writeIni(const std::string& ini) {
    File file(std::fopen(configurationFileName, "wb"));
    if (file && !ini.empty()) std::fwrite(ini.data(), 1, ini.size(), file.get());
}

uint32_t Session::tickCount() {
    return current == nullptr ? 0u : static_cast<uint32_t>(static_cast<uint64_t>(std::llround(current->clockMs_)));
}

void Session::hold(const PhysicalInput& input) {
    if (!held(input)) held_.push_back(input);
}

void Session::release(const PhysicalInput& input) { held_.erase(std::remove(held_.begin(), held_.end(), input), held_.end()); }

void Session::setHeld(std::vector<PhysicalInput> inputs) { held_ = std::move(inputs); }

bool Session::held(const PhysicalInput& input) const { return std::find(held_.begin(), held_.end(), input) != held_.end(); }

void Session::start() {
    if (started_) return;
    started_ = true;
    startScript();
}

void Session::step(float frameSeconds) {
    ++frame_;
    world_.beginFrame(frame_, held_, frameSeconds);
    hook_.beginFrame(frame_);
    start();
    runPass(state_);
    world_.advance(frameSeconds, frame_);
    clockMs_ += static_cast<double>(frameSeconds) * 1000.0;
}

}  // namespace sim
