#pragma once

#include <QStatusBar>

// The notice bar at the bottom of the main window: its one panel shows the status label in bold
// red, centred; the tool tip holds the notice address and every click opens it. Main thread.
class TUpdateStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    static constexpr int BarHeight = 28;

    explicit TUpdateStatusBar(QWidget* parent);

    QString PanelText() const { return FPanelText; }
    void SetPanelText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void DrawUpdateStatus(QPainter& painter, const QRect& rect) const;
    void StatusClick() const;

    QString FPanelText;
};

// Adds the notice bar below everything else on `mainWindow`, growing the window so the rest keeps
// its size, or reuses the one already there. Without a main window the notice is dropped.
void ShowUpdateStatus(QWidget* mainWindow, const QString& url);
