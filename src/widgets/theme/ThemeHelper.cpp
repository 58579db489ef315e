#include "theme/ThemeHelper.h"

#include "theme/DarkTitleBar.h"
#include "theme/Shape.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

namespace {

QWidget* RequireForm(QObject* owner)
{
    auto* form = qobject_cast<QWidget*>(owner);
    if (!form || !form->isWindow())
        throw TThemeHelperError("TThemeHelper Owner must be a TForm");
    return form;
}

} // namespace

TThemeHelper::TThemeHelper(QObject* owner)
    : QObject(RequireForm(owner)), FForm(static_cast<QWidget*>(owner)),
      FActiveColor(0x3D, 0x84, 0xDD)
{
    // A native window made later gets the request when it appears (WinIdChange).
    if (FForm->internalWinId())
        RequestDarkTitleBar(FForm);
    FShape = new TShape(FForm);
    FForm->installEventFilter(this);
    UpdateBar();
}

TThemeHelper::~TThemeHelper()
{
    if (FForm) {
        FForm->removeEventFilter(this);
        ReserveTop(0);
    }
    delete FShape;
}

bool TThemeHelper::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != FForm)
        return false;
    switch (event->type()) {
    case QEvent::Resize:
        UpdateBar();
        break;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        FIsActive = event->type() == QEvent::WindowActivate;
        UpdateBar();
        break;
    case QEvent::ChildAdded:
        // Later children would otherwise be stacked over the bar.
        if (FShape)
            FShape->raise();
        break;
    case QEvent::WinIdChange:
        if (FForm->internalWinId())
            RequestDarkTitleBar(FForm);
        break;
    default:
        break;
    }
    return false;
}

void TThemeHelper::UpdateBar()
{
    if (!FShape)
        return;
    FShape->SetColor(
        FIsActive ? FActiveColor
                  : QGuiApplication::palette().color(QPalette::Disabled, QPalette::WindowText));
    const bool hasBorder = !FForm->windowFlags().testFlag(Qt::FramelessWindowHint);
    FShape->setGeometry(0, 0, FForm->width(), BarHeight);
    FShape->setVisible(hasBorder);
    FShape->raise();
    ReserveTop(hasBorder ? BarHeight : 0);
}

void TThemeHelper::ReserveTop(int height)
{
    if (height == FReservedHeight)
        return;
    QMargins margins = FForm->contentsMargins();
    margins.setTop(margins.top() - FReservedHeight + height);
    FReservedHeight = height;
    FForm->setContentsMargins(margins);
}
