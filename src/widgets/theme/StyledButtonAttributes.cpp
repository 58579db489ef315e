#include "theme/StyledButtonAttributes.h"

#include <QHash>

const TStyledButtonAttributes& TStyledButtonStateAttributes::ForState(TButtonState state) const
{
    switch (state) {
    case TButtonState::Pressed:
        return Pressed;
    case TButtonState::Selected:
        return Selected;
    case TButtonState::Hot:
        return Hot;
    case TButtonState::Disabled:
        return Disabled;
    case TButtonState::Normal:
        break;
    }
    return Normal;
}

namespace {

using TFamilies = QHash<QString, std::shared_ptr<const IStyledButtonAttributes>>;

TFamilies& Families()
{
    static TFamilies families;
    return families;
}

QString FamilyKey(const QString& name)
{
    return name.toCaseFolded();
}

} // namespace

void RegisterStyleFamily(std::shared_ptr<const IStyledButtonAttributes> family)
{
    const QString key = FamilyKey(family->FamilyName());
    Families().insert(key, std::move(family));
}

std::shared_ptr<const IStyledButtonAttributes> FindStyleFamily(const QString& name)
{
    return Families().value(FamilyKey(name));
}
