#pragma once

#include "theme/StyledButtonAttributes.h"

// The program's own family "Dovrelan": one class, "Primary", and the appearances "Normal",
// "Header" (the header toolbar) and "Outline" (the start button), all in the accent blue.
class TDovrelanButtonStyles : public IStyledButtonAttributes
{
public:
    // Only the appearance counts; it is compared ignoring case, and an unknown one is "Normal".
    TStyledButtonStateAttributes UpdateAttributes(const QString& family, const QString& styleClass,
                                                  const QString& appearance) const override;
    QString FamilyName() const override;
    QStringList Classes() const override;
    QStringList Appearances() const override;
    TStyleSelection DefaultStyle() const override;
};

// Registers the family under its name; call once before any styled widget is shown.
void RegisterDovrelanButtonStyles();
