#include "PicFixture.h"

QStringList TPicFixture::Pics(const QStringList& names) const
{
    QStringList paths;
    for (const QString& name : names)
        paths << Pic(name);
    return paths;
}
