#pragma once

#include "update/UpdateService.h"

#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class QWidget;

// Called on the main thread once the reply has been handled: `updateTaken` is true exactly when
// the user accepted the update and its target went to the shell; `reply` is empty when every
// attempt failed.
using TUpdateCallback = std::function<void(bool updateTaken, const QString& reply)>;

// Asks the update service in the background whether to offer an update or show a notice, and
// returns at once. The notice bar goes on `mainWindow` if it still exists by then. `pauseStep`
// shortens the pauses between attempts in tests. An empty `url` starts no check. Main thread.
void CheckUpdate(const QString& url, TUpdateCallback callback, int layoutOffset,
                 QWidget* mainWindow, std::chrono::milliseconds pauseStep = DefaultPauseStep);

// The main-thread part of the check: the update offer first, then the notice. The flag for the
// callback, or nullopt when a malformed escape in the reply ended the handling.
std::optional<bool> HandleUpdateReply(const QString& reply, QWidget* mainWindow);
