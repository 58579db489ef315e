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
