// The script on a thread of its own, handed control back and forth so that exactly one side runs
// at a time; the sanitizers follow this where they would not follow a stack switch.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "sim/runners/game.h"
#include "sim/runners/script_runner.h"

namespace sim {

namespace {

// Thrown out of yieldToGame when the game shuts the script down; never escapes the script thread.
struct ScriptStopped {};

class ThreadRunner final : public ScriptRunner {
public:
    ~ThreadRunner() override {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            stopping_ = true;
            scriptTurn_ = true;
        }
        changed_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    void start(void (*script)()) override {
        thread_ = std::thread([this, script] { run(script); });
    }

    void resume() override {
        std::unique_lock<std::mutex> lock(mutex_);
        if (finished_) return;
        scriptTurn_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !scriptTurn_ || finished_; });
    }

    void yieldToGame() override {
        std::unique_lock<std::mutex> lock(mutex_);
        scriptTurn_ = false;
        changed_.notify_all();
        changed_.wait(lock, [this] { return scriptTurn_; });
        if (stopping_) throw ScriptStopped{};
    }

private:
    void run(void (*script)()) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return scriptTurn_; });
            if (stopping_) {
                finished_ = true;
                return;
            }
        }
        try {
            script();
        } catch (const ScriptStopped&) {
        } catch (...) {
            // A script that throws ends like one that returns: the game carries on without it.
        }
        std::unique_lock<std::mutex> lock(mutex_);
        finished_ = true;
        scriptTurn_ = false;
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    bool scriptTurn_ = false;
    bool stopping_ = false;
    bool finished_ = false;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<ScriptRunner> makeScriptRunner() { return std::make_unique<ThreadRunner>(); }

}  // namespace sim
