#pragma once

#include <functional>

// Called on any thread but the main one: runs `step` on the main thread and waits until it has
// finished, so that `step` may reach the caller's own objects by reference. Gives up without
// running it (false) when the calling thread is asked to stop (QThread::requestInterruption)
// before the main thread has taken the step up, so a main thread that no longer runs its loop is
// not waited for by a thread that is asked to end.
bool RunOnMainThread(std::function<void()> step);
