// The script on a fiber of the game's thread, as the real hook runs it: scriptWait switches back
// to the game's fiber, the next frame switches to the script again where it left off.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <memory>

#include "sim/runners/script_runner.h"

namespace sim {
namespace {

// GCC takes the TEB read behind GetCurrentFiber for an out-of-bounds access (a known false warning).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif
void* currentFiber() { return GetCurrentFiber(); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

// The fiber of the thread that plays the frames. That thread becomes a fiber once and stays one, as
// the game's thread does under the hook, so that any number of scripts, started and abandoned at
// any time, switch back to the same place.
void* gameFiber() {
    thread_local void* fiber = nullptr;
    if (fiber == nullptr) {
        fiber = IsThreadAFiber() ? currentFiber() : ConvertThreadToFiber(nullptr);
    }
    return fiber;
}

class FiberScriptRunner final : public ScriptRunner {
public:
    FiberScriptRunner() = default;
    FiberScriptRunner(const FiberScriptRunner&) = delete;
    FiberScriptRunner& operator=(const FiberScriptRunner&) = delete;

    ~FiberScriptRunner() override {
        // A script suspended in scriptWait never resumes; deleting its fiber frees the stack and
        // runs none of its destructors.
        if (scriptFiber_ != nullptr) {
            DeleteFiber(scriptFiber_);
        }
    }

    void start(void (*script)()) override { script_ = script; }

    void resume() override {
        if (script_ == nullptr || finished_) {
            return;
        }
        if (gameFiber_ == nullptr) {
            gameFiber_ = gameFiber();
            if (gameFiber_ == nullptr) {
                finished_ = true;
                return;
            }
        }
        if (scriptFiber_ == nullptr) {
            scriptFiber_ = CreateFiber(kScriptStackBytes, &FiberScriptRunner::enter, this);
            if (scriptFiber_ == nullptr) {
                finished_ = true;
                return;
            }
        }
        onScriptFiber_ = true;
        SwitchToFiber(scriptFiber_);
        onScriptFiber_ = false;
    }

    void yieldToGame() override {
        // Only meaningful on the script's own fiber; a wait from anywhere else has nothing to yield to.
        if (onScriptFiber_) {
            SwitchToFiber(gameFiber_);
        }
    }

private:
    static constexpr SIZE_T kScriptStackBytes = 1024 * 1024;

    static void CALLBACK enter(void* parameter) {
        auto* self = static_cast<FiberScriptRunner*>(parameter);
        self->script_();
        // A fiber must never return from its entry: that would end the thread. A script whose main
        // loop ends is finished for good and hands control back for the last time.
        self->finished_ = true;
        for (;;) {
            SwitchToFiber(self->gameFiber_);
        }
    }

    void (*script_)() = nullptr;
    void* gameFiber_ = nullptr;
    void* scriptFiber_ = nullptr;
    bool finished_ = false;
    bool onScriptFiber_ = false;
};

}  // namespace

std::unique_ptr<ScriptRunner> makeScriptRunner() { return std::make_unique<FiberScriptRunner>(); }

}  // namespace sim
