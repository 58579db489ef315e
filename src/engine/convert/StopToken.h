#pragma once

#include <atomic>
#include <memory>

// A request to stop work under way, shared by whoever may ask (a Stop button, a signal handler)
// and whoever does the work (a converter, the program it runs). Copies share one state; a
// default-made token is one nobody has asked yet. Any thread.
class TStopToken
{
public:
    // Safe in a signal handler: one lock-free store into state made beforehand.
    void RequestStop() const noexcept { FIsStopRequested->store(true); }
    bool IsStopRequested() const noexcept { return FIsStopRequested->load(); }

private:
    static_assert(std::atomic<bool>::is_always_lock_free);
    std::shared_ptr<std::atomic<bool>> FIsStopRequested =
        std::make_shared<std::atomic<bool>>(false);
};
