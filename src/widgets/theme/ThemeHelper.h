#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>

#include <stdexcept>

class TShape;
class QWidget;

class TThemeHelperError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Gives a top-level window a dark title bar where the platform offers one and a 2-pixel accent
// bar across the top of its client area: blue while the window is active, grey while not, absent
// for a frameless window. The window owns the helper; deleting the helper detaches it and takes
// the bar away. Main thread only.
class TThemeHelper : public QObject
{
    Q_OBJECT

public:
    static constexpr int BarHeight = 2;

    // Throws TThemeHelperError, changing nothing, unless owner is a top-level widget.
    explicit TThemeHelper(QObject* owner);
    ~TThemeHelper() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateBar();
    void ReserveTop(int height);

    QPointer<QWidget> FForm;
    QColor FActiveColor;
    bool FIsActive = true;
    QPointer<TShape> FShape;
    // What the helper added to the window's top contents margin, so the content sits below the bar.
    int FReservedHeight = 0;
};
