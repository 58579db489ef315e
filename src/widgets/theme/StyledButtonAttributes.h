#pragma once

#include <QColor>
#include <QFlags>
#include <QString>
#include <QStringList>

#include <memory>

// What a style family tells the styled widgets: one attribute set per button state, chosen by
// family, class and appearance. Main thread only.

enum class TButtonDrawType
{
    RoundRect,
    Rounded,
    Rect,
    Ellipse
};

// Whether the face or the border is painted at all.
enum class TButtonDrawStyle
{
    Solid,
    Clear
};
enum class TBorderDrawStyle
{
    Solid,
    Clear
};

enum class TFontStyle
{
    Bold = 0x1,
    Italic = 0x2,
    Underline = 0x4,
    StrikeOut = 0x8
};
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

struct TStyledButtonAttributes
{
    TButtonDrawType DrawType = TButtonDrawType::RoundRect;
    TButtonDrawStyle ButtonDrawStyle = TButtonDrawStyle::Solid;
    TBorderDrawStyle BorderDrawStyle = TBorderDrawStyle::Solid;
    QColor ButtonColor;
    QColor BorderColor;
    QColor FontColor;
    // 0 draws the thinnest line the device has, as a width of 1 does.
    int BorderWidth = 0;
    TFontStyles FontStyle;

    bool operator==(const TStyledButtonAttributes&) const = default;
};

enum class TButtonState
{
    Normal,
    Pressed,
    Selected,
    Hot,
    Disabled
};

struct TStyledButtonStateAttributes
{
    TStyledButtonAttributes Normal;
    TStyledButtonAttributes Pressed;
    TStyledButtonAttributes Selected;
    TStyledButtonAttributes Hot;
    TStyledButtonAttributes Disabled;

    const TStyledButtonAttributes& ForState(TButtonState state) const;

    bool operator==(const TStyledButtonStateAttributes&) const = default;
};

struct TStyleSelection
{
    QString StyleClass;
    QString Appearance;
};

// A style family: answers the attribute sets of every state for a class and an appearance.
class IStyledButtonAttributes
{
public:
    virtual ~IStyledButtonAttributes() = default;

    virtual TStyledButtonStateAttributes UpdateAttributes(const QString& family,
                                                          const QString& styleClass,
                                                          const QString& appearance) const = 0;
    virtual QString FamilyName() const = 0;
    virtual QStringList Classes() const = 0;
    virtual QStringList Appearances() const = 0;
    // The class and appearance of a button that names only the family.
    virtual TStyleSelection DefaultStyle() const = 0;
};

// The process-wide registry of families, looked up by name ignoring letter case. Registering a
// name again replaces the earlier family.
void RegisterStyleFamily(std::shared_ptr<const IStyledButtonAttributes> family);
std::shared_ptr<const IStyledButtonAttributes> FindStyleFamily(const QString& name);
