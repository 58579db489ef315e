#pragma once

#include <chrono>
#include <functional>

// The update client's background threads: each frees itself when done and nobody waits for it
// while the program runs, but the program can ask all of them to stop before it ends. Start and
// stop are called on the main thread only.

// Runs `work` on a new self-freeing thread. `work` ends early once its thread is asked to stop
// (QThread::isInterruptionRequested).
void StartServiceThread(std::function<void()> work);

// Asks every running service thread to stop and waits for them up to `timeout` in total, without
// running the event loop. True when none is left running. Also runs when the event loop ends.
bool StopServiceThreads(std::chrono::milliseconds timeout);

// Called on a service thread: runs `step` on the main thread and waits until it has finished.
// Gives up without running it (false) when the calling thread is asked to stop before the main
// thread has taken the step up, so a main thread that no longer runs its loop is never waited for.
bool RunOnMainThread(std::function<void()> step);
