// The script on a fiber of the game's thread, as the real hook runs it (the SDK's scriptWait switches
// back to the game's fiber, and the next frame switches to the script again where it left off): on
// Linux a ucontext of its own. A switch costs one system call (swapcontext sets the signal mask),
// where handing control between two threads took a trip through the kernel's scheduler each way, and
// natives are called on the game's own thread, as the SDK requires. The sanitizers are told of every
// switch, so they follow the script's stack as they follow the game's.

#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstddef>
#include <memory>

#include "sim/runners/script_runner.h"

#if defined(__SANITIZE_ADDRESS__)
#define VORN_FIBER_ANNOTATIONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORN_FIBER_ANNOTATIONS 1
#endif
#endif
#if defined(VORN_FIBER_ANNOTATIONS)
#include <sanitizer/common_interface_defs.h>
#endif

namespace sim {

namespace {

// Thrown out of yieldToGame when the game shuts the script down; caught where the fiber starts.
struct ScriptStopped {};

// What AddressSanitizer must know of a switch between stacks: where the next one lies before, and
// where the last one lay after (its bounds come back to the side that was switched to).
struct StackNote {
    void* fakeStack = nullptr;
    const void* bottom = nullptr;
    size_t size = 0;
};

inline void beforeSwitch([[maybe_unused]] StackNote& leaving, [[maybe_unused]] const void* bottom,
                         [[maybe_unused]] size_t size, [[maybe_unused]] bool leavingForGood = false) {
#if defined(VORN_FIBER_ANNOTATIONS)
    __sanitizer_start_switch_fiber(leavingForGood ? nullptr : &leaving.fakeStack, bottom, size);
#endif
}

inline void afterSwitch([[maybe_unused]] StackNote& arrived, [[maybe_unused]] StackNote* previous) {
#if defined(VORN_FIBER_ANNOTATIONS)
    __sanitizer_finish_switch_fiber(arrived.fakeStack, previous != nullptr ? &previous->bottom : nullptr,
                                    previous != nullptr ? &previous->size : nullptr);
#endif
}

class ContextScriptRunner final : public ScriptRunner {
public:
    ContextScriptRunner() = default;
    ContextScriptRunner(const ContextScriptRunner&) = delete;
    ContextScriptRunner& operator=(const ContextScriptRunner&) = delete;

    ~ContextScriptRunner() override {
        // A script suspended in its wait is unwound: its wait throws, and its fiber ends.
        if (started_ && !finished_) {
            stopping_ = true;
            resume();
        }
        if (stack_ != nullptr) {
            munmap(stack_, stackBytes_ + guardBytes_);
        }
    }

    void start(void (*script)()) override { script_ = script; }

    void resume() override {
        if (script_ == nullptr || finished_) {
            return;
        }
        if (!started_) {
            if (!makeFiber()) {
                finished_ = true;
                return;
            }
            started_ = true;
            gEntering = this;
        }
        onScriptFiber_ = true;
        beforeSwitch(game_, stackBottom(), stackBytes_);
        swapcontext(&gameContext_, &scriptContext_);
        afterSwitch(game_, nullptr);
        onScriptFiber_ = false;
    }

    void yieldToGame() override {
        // Only meaningful on the script's own fiber; a wait from anywhere else has nothing to yield to.
        if (!onScriptFiber_) {
            return;
        }
        beforeSwitch(scriptSide_, gameStack_.bottom, gameStack_.size);
        swapcontext(&scriptContext_, &gameContext_);
        afterSwitch(scriptSide_, &gameStack_);
        if (stopping_) {
            throw ScriptStopped{};
        }
    }

private:
    // The script's stack is as large as a thread's by default, below a page that no one may touch,
    // so that running past its end stops the process rather than writing over other memory.
    static constexpr size_t kStackBytes = 8u << 20;

    const void* stackBottom() const { return static_cast<const char*>(stack_) + guardBytes_; }

    bool makeFiber() {
        const long page = sysconf(_SC_PAGESIZE);
        guardBytes_ = page > 0 ? static_cast<size_t>(page) : 4096u;
        stackBytes_ = kStackBytes;
        void* memory = mmap(nullptr, stackBytes_ + guardBytes_, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (memory == MAP_FAILED) {
            return false;
        }
        stack_ = memory;
        mprotect(stack_, guardBytes_, PROT_NONE);
        if (getcontext(&scriptContext_) != 0) {
            return false;
        }
        scriptContext_.uc_stack.ss_sp = static_cast<char*>(stack_) + guardBytes_;
        scriptContext_.uc_stack.ss_size = stackBytes_;
        // Where the fiber goes when its entry returns: the game side that resumed it last.
        scriptContext_.uc_link = &gameContext_;
        makecontext(&scriptContext_, &ContextScriptRunner::enter, 0);
        // The registers now say where the stack is; AddressSanitizer's swapcontext would otherwise
        // unpoison the whole stack at every switch to it, live frames included.
        scriptContext_.uc_stack = stack_t{};
        return true;
    }

    // The fiber's entry: the runner that switched to it first is gEntering.
    static void enter() {
        ContextScriptRunner* const self = gEntering;
        gEntering = nullptr;
        afterSwitch(self->scriptSide_, &self->gameStack_);
        if (!self->stopping_) {
            try {
                self->script_();
            } catch (const ScriptStopped&) {
            } catch (...) {
                // A script that throws ends like one that returns: the game carries on without it.
            }
        }
        self->finished_ = true;
        // Back to the game for the last time (uc_link); this stack is never entered again.
        beforeSwitch(self->scriptSide_, self->gameStack_.bottom, self->gameStack_.size, true);
    }

    void (*script_)() = nullptr;
    void* stack_ = nullptr;
    size_t stackBytes_ = 0;
    size_t guardBytes_ = 0;
    ucontext_t gameContext_{};
    ucontext_t scriptContext_{};
    StackNote game_;         // the game side's fake stack while the script runs
    StackNote scriptSide_;  // the script side's, while the game runs
    StackNote gameStack_;    // the bounds of the game's stack, as the script side last saw them
    bool started_ = false;
    bool finished_ = false;
    bool stopping_ = false;
    bool onScriptFiber_ = false;

    static inline ContextScriptRunner* gEntering = nullptr;
};

}  // namespace

std::unique_ptr<ScriptRunner> makeScriptRunner() { return std::make_unique<ContextScriptRunner>(); }

}  // namespace sim
