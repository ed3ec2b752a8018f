#pragma once
// How the stand-in runs the plug-in's script main beside its own frame loop, as the real hook does:
// the script runs until it calls scriptWait, then the game finishes its frame. It is a fiber of the
// game's thread: a Windows fiber (script_runner_fiber.cpp), on Linux a ucontext that the sanitizers
// are told of (script_runner_ucontext.cpp).

namespace sim {

class ScriptRunner {
public:
    // Ends the script for good: the Linux runner unwinds it out of its wait; a Windows fiber is
    // deleted without unwinding, as the hook leaves an abandoned script.
    virtual ~ScriptRunner() = default;
    // Prepares the script; it does not run before the first resume().
    virtual void start(void (*script)()) = 0;
    // Game side: runs the script until its next scriptWait (one pass of the plug-in).
    virtual void resume() = 0;
    // Script side, called from scriptWait: hands control back to the game until the next resume().
    virtual void yieldToGame() = 0;
};

}  // namespace sim
