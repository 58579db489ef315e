#include "theme/DovrelanButtonStyles.h"

using namespace Qt::StringLiterals;

namespace {

constexpr QColor AccentColor{0x3D, 0x84, 0xDD};
constexpr QColor White{0xFF, 0xFF, 0xFF};
constexpr QColor Black{0x00, 0x00, 0x00};
constexpr QColor NormalDisabledGrey{0xC0, 0xC0, 0xC0};

// Moves a channel the given percentage of the way to 255, rounding halves up.
int LightenChannel(int value, int percent)
{
    return value + ((255 - value) * percent + 50) / 100;
}

QColor Lighten(QColor color, int percent)
{
    return QColor(LightenChannel(color.red(), percent), LightenChannel(color.green(), percent),
                  LightenChannel(color.blue(), percent));
}

// The luma of the colour as a grey, in whole numbers so that halves round the same everywhere.
QColor GreyOf(QColor color)
{
    const int luma = (299 * color.red() + 587 * color.green() + 114 * color.blue() + 500) / 1000;
    return QColor(luma, luma, luma);
}

TStyledButtonAttributes Look(TButtonDrawStyle face, QColor button, TBorderDrawStyle border,
                             QColor borderColor, QColor font)
{
    TStyledButtonAttributes attributes;
    attributes.ButtonDrawStyle = face;
    attributes.ButtonColor = button;
    attributes.BorderDrawStyle = border;
    attributes.BorderColor = borderColor;
    attributes.FontColor = font;
    return attributes;
}

constexpr auto Solid = TButtonDrawStyle::Solid;
constexpr auto Clear = TButtonDrawStyle::Clear;
constexpr auto SolidBorder = TBorderDrawStyle::Solid;
constexpr auto ClearBorder = TBorderDrawStyle::Clear;

TStyledButtonStateAttributes NormalLooks()
{
    const auto normal = Look(Solid, AccentColor, SolidBorder, AccentColor, White);
    return {
        .Normal = normal,
        .Pressed = normal,
        .Selected = normal,
        .Hot = Look(Solid, Lighten(AccentColor, 10), SolidBorder, AccentColor, White),
        .Disabled = Look(Solid, White, SolidBorder, NormalDisabledGrey, NormalDisabledGrey),
    };
}

TStyledButtonStateAttributes HeaderLooks()
{
    return {
        .Normal = Look(Clear, White, SolidBorder, Black, Black),
        .Pressed = Look(Solid, AccentColor, ClearBorder, AccentColor, White),
        .Selected = Look(Solid, Lighten(AccentColor, 10), ClearBorder, AccentColor, White),
        .Hot = Look(Solid, AccentColor, ClearBorder, AccentColor, White),
        .Disabled = Look(Clear, White, SolidBorder, GreyOf(Lighten(AccentColor, 50)),
                         GreyOf(Lighten(Black, 50))),
    };
}

TStyledButtonStateAttributes OutlineLooks()
{
    return {
        .Normal = Look(Clear, AccentColor, SolidBorder, AccentColor, Black),
        .Pressed = Look(Solid, AccentColor, SolidBorder, AccentColor, White),
        .Selected = Look(Solid, Lighten(AccentColor, 10), SolidBorder, AccentColor, White),
        .Hot = Look(Solid, Lighten(AccentColor, 10), SolidBorder, AccentColor, White),
        .Disabled = Look(Clear, AccentColor, SolidBorder, GreyOf(Lighten(AccentColor, 70)),
                         GreyOf(Lighten(Black, 70))),
    };
}

} // namespace

TStyledButtonStateAttributes
TDovrelanButtonStyles::UpdateAttributes(const QString&, const QString&,
                                        const QString& appearance) const
{
    if (appearance.compare("Header"_L1, Qt::CaseInsensitive) == 0)
        return HeaderLooks();
    if (appearance.compare("Outline"_L1, Qt::CaseInsensitive) == 0)
        return OutlineLooks();
    return NormalLooks();
}

QString TDovrelanButtonStyles::FamilyName() const
{
    return u"Dovrelan"_s;
}

QStringList TDovrelanButtonStyles::Classes() const
{
    return {u"Primary"_s};
}

QStringList TDovrelanButtonStyles::Appearances() const
{
    return {u"Normal"_s, u"Header"_s, u"Outline"_s};
}

TStyleSelection TDovrelanButtonStyles::DefaultStyle() const
{
    return {u"Primary"_s, u"Normal"_s};
}

void RegisterDovrelanButtonStyles()
{
    RegisterStyleFamily(std::make_shared<const TDovrelanButtonStyles>());
}
