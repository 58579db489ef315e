#include "notice/UpdateStatus.h"

#include "desktop/ShellOpen.h"
#include "update/UpdateText.h"

#include <QLayout>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

const auto StatusBarName = u"StatusBar"_s;
const QColor StatusColor(255, 0, 0);

void SetClientHeight(QWidget* window, int height)
{
    if (window->minimumHeight() == window->maximumHeight())
        window->setFixedHeight(height);
    else
        window->resize(window->width(), height);
}

// Puts the bar at the window's old bottom edge and grows the window by the bar's height; a
// layout keeps its controls where they were because the new strip joins its bottom margin.
void PlaceBelowEverything(QWidget* window, TUpdateStatusBar* bar)
{
    const int oldHeight = window->height();
    if (auto* mainWindow = qobject_cast<QMainWindow*>(window)) {
        mainWindow->setStatusBar(bar);
    } else {
        if (QLayout* layout = window->layout()) {
            QMargins margins = layout->contentsMargins();
            margins.setBottom(margins.bottom() + bar->height());
            layout->setContentsMargins(margins);
        }
        bar->setGeometry(0, oldHeight, window->width(), bar->height());
        bar->show();
    }
    SetClientHeight(window, oldHeight + bar->height());
}

TUpdateStatusBar* CreateStatusBar(QWidget* window)
{
    auto* bar = new TUpdateStatusBar(window);
    PlaceBelowEverything(window, bar);
    return bar;
}

} // namespace

TUpdateStatusBar::TUpdateStatusBar(QWidget* parent) : QStatusBar(parent)
{
    setObjectName(StatusBarName);
    setSizeGripEnabled(false);
    setFixedHeight(BarHeight);
    setCursor(Qt::PointingHandCursor);
    QFont boldFont = font();
    boldFont.setBold(true);
    setFont(boldFont);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, StatusColor);
    setPalette(palette);
}

void TUpdateStatusBar::SetPanelText(const QString& text)
{
    FPanelText = text;
    update();
}

void TUpdateStatusBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawUpdateStatus(painter, rect());
}

void TUpdateStatusBar::mouseReleaseEvent(QMouseEvent* event)
{
    QStatusBar::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        StatusClick();
}

void TUpdateStatusBar::DrawUpdateStatus(QPainter& painter, const QRect& rect) const
{
    painter.fillRect(rect, palette().color(backgroundRole()));
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, FPanelText);
}

void TUpdateStatusBar::StatusClick() const
{
    ShellOpen(toolTip());
}

void ShowUpdateStatus(QWidget* mainWindow, const QString& url)
{
    if (!mainWindow)
        return;
    auto* bar = mainWindow->findChild<TUpdateStatusBar*>(StatusBarName, Qt::FindDirectChildrenOnly);
    if (!bar)
        bar = CreateStatusBar(mainWindow);
    bar->SetPanelText(UpdateText(TUpdateTextKind::StatusLabel));
    bar->setToolTip(url);
}
