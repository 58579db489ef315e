#pragma once

// What the window is doing. The start button's caption and action, the header buttons, the
// refusal of drops and deletes, and the close rule all follow it.
enum class TWindowState
{
    // A run can be started.
    Idle,
    // A conversion run is in progress; the start button stops it.
    Running,
    // A stop was asked for; the run ends once its programs have.
    Stopping,
    // An automatic run has ended; the start button now closes the window.
    AutoDone
};

// A run is in progress, stopping or not.
constexpr bool IsRunGoing(TWindowState state)
{
    return state == TWindowState::Running || state == TWindowState::Stopping;
}
