#include "morvane/DisplayCheck.h"

#include "i18n/Translate.h"

#include <cstdio>

using namespace Qt::StringLiterals;

QString NoDisplayMessage()
{
    return u"morvane: "_s +
           TranslateText(u"디스플레이를 찾을 수 없습니다. DISPLAY 또는 WAYLAND_DISPLAY를 "
                         u"설정하거나, 창 없이 변환하려면 morvane-cli를 사용하세요"_s);
}

bool ReportMissingDisplay()
{
    if (HasDisplay(QProcessEnvironment::systemEnvironment()))
        return false;
    std::fputs((NoDisplayMessage() + u'\n').toLocal8Bit().constData(), stderr);
    return true;
}
