#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

// Why something did not happen, of which kind and in a sentence.
enum class TFailureKind
{
    // It was tried and went wrong: the reason tells the user why.
    Failed,
    // A stop was asked for before it was done; nothing of it is left.
    Interrupted,
    // Left out on purpose, by the user's choice.
    Skipped
};

struct TFailure
{
    TFailureKind Kind = TFailureKind::Failed;
    QString Reason;
};

inline TFailure Failed(QString reason)
{
    return {TFailureKind::Failed, std::move(reason)};
}

// Every interruption reads the same, wherever it was noticed.
inline TFailure Interrupted()
{
    return {TFailureKind::Interrupted, QStringLiteral("interrupted")};
}

// A value, or the failure that stands in its place. A plain value.
template <typename T = void> class [[nodiscard]] TResult
{
public:
    TResult(T value) : FState(std::in_place_index<0>, std::move(value)) {}
    TResult(TFailure failure) : FState(std::in_place_index<1>, std::move(failure)) {}

    bool IsOk() const { return FState.index() == 0; }
    // Only when IsOk().
    const T& Value() const { return std::get<0>(FState); }
    // Only when not IsOk().
    const TFailure& Failure() const { return std::get<1>(FState); }
    QString Reason() const { return IsOk() ? QString() : Failure().Reason; }
    bool IsFailureOf(TFailureKind kind) const { return !IsOk() && Failure().Kind == kind; }

private:
    std::variant<T, TFailure> FState;
};

// Done, or the failure that stopped it.
template <> class [[nodiscard]] TResult<void>
{
public:
    TResult() = default;
    TResult(TFailure failure) : FFailure(std::move(failure)) {}

    bool IsOk() const { return !FFailure; }
    // Only when not IsOk().
    const TFailure& Failure() const { return *FFailure; }
    QString Reason() const { return IsOk() ? QString() : FFailure->Reason; }
    bool IsFailureOf(TFailureKind kind) const { return !IsOk() && FFailure->Kind == kind; }

private:
    std::optional<TFailure> FFailure;
};
