#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

// The window's options as the settings store keeps them, one value each; the table of their
// names, kinds, defaults and bounds is in StoredOptions.cpp, and the window, the command line and
// the conversion options take theirs from it. Any thread, one store per call.
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

// The values an integer option may take, both included.
struct TOptionBounds
{
    int Min;
    int Max;
};

// What a read gives while nothing is stored.
QVariant OptionDefault(TOption option);
// None for an option whose every value is taken.
std::optional<TOptionBounds> OptionBounds(TOption option);

// The number of conversions at once when nobody chose one (a stored Jobs of 0): one per processor
// core.
int DefaultJobCount();

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
