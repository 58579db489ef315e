#pragma once

#include <QString>
#include <QVariant>

#include <functional>

// The window's options as the settings store keeps them, one value each; the table of their
// names, kinds and defaults is in StoredOptions.cpp. Any thread, one store per call.
enum class TOption
{
    Format,
    SavePath,
    ResizeWidth,
    Width,
    Quality,
    Save,
    // Files converted at once; 0 for one per processor core.
    Jobs,
    Strip,
    KeepDates,
    KeepTree
};

// Reads every option from one store, in the table's order, and hands each to `apply` at once;
// a missing value gives the table's default. A value stored with another kind ends the walk with
// TConfigError, after the options before it were applied.
void ReadOptions(const std::function<void(TOption option, const QVariant& value)>& apply);

// Stores one option, opening the store for this one write; the kind must be the option's own.
void WriteOption(TOption option, const QString& value);
void WriteOption(TOption option, int value);
void WriteOption(TOption option, bool value);
// A text literal would otherwise silently pick the Boolean overload.
void WriteOption(TOption option, const char* value) = delete;
