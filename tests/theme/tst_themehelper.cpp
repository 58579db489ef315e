#include "theme/Shape.h"
#include "theme/ThemeHelper.h"

#include <QGuiApplication>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QColor Accent{0x3D, 0x84, 0xDD};
const QColor ContentColor{0xF0, 0xE0, 0xD0};

QColor InactiveColor()
{
    return QColor(QGuiApplication::palette().color(QPalette::Disabled, QPalette::WindowText).rgb());
}

QWidget* AddFilledChild(QWidget* parent, QColor color)
{
    auto* child = new QWidget(parent);
    QPalette palette = child->palette();
    palette.setColor(QPalette::Window, color);
    child->setPalette(palette);
    child->setAutoFillBackground(true);
    return child;
}

// A window laid out as the main window is: a 50-pixel header above content that fills the rest,
// all in one colour that the bar must not be.
class TWindow : public QWidget
{
public:
    explicit TWindow(Qt::WindowFlags flags = {}) : QWidget(nullptr, flags)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        Header = AddFilledChild(this, ContentColor);
        Header->setFixedHeight(50);
        layout->addWidget(Header);
        layout->addWidget(AddFilledChild(this, ContentColor), 1);
        resize(300, 200);
    }

    QColor PixelAt(int x, int y) { return grab().toImage().pixelColor(x, y); }

    QWidget* Header;
};

void Activate(QWidget* window)
{
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

} // namespace

class TThemeHelperTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ownerMustBeATopLevelWindow_data()
    {
        QTest::addColumn<bool>("childWidget");
        QTest::newRow("child widget") << true;
        QTest::newRow("no widget") << false;
    }
    void ownerMustBeATopLevelWindow()
    {
        QFETCH(bool, childWidget);
        TWindow window;
        QObject plain;
        QObject* owner = childWidget ? static_cast<QObject*>(window.Header) : &plain;
        const QObjectList childrenBefore = owner->children();
        const QMargins marginsBefore = window.Header->contentsMargins();

        try {
            TThemeHelper helper(owner);
            QFAIL("a helper was made for an owner that is not a window");
        } catch (const TThemeHelperError& error) {
            QCOMPARE(QString::fromUtf8(error.what()), u"TThemeHelper Owner must be a TForm"_s);
        }
        QCOMPARE(owner->children(), childrenBefore);
        QCOMPARE(window.Header->contentsMargins(), marginsBefore);
        QVERIFY(window.findChildren<TShape*>().isEmpty());
    }

    void noOwnerIsRefused() { QVERIFY_THROWS_EXCEPTION(TThemeHelperError, TThemeHelper(nullptr)); }

    void barSitsAboveTheContentAcrossTheTop()
    {
        TWindow window;
        new TThemeHelper(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QCOMPARE(window.PixelAt(0, 0), Accent);
        QCOMPARE(window.PixelAt(299, 1), Accent);
        QCOMPARE(window.PixelAt(150, 2), ContentColor);
        QCOMPARE(window.Header->y(), 2);

        window.resize(420, 200);
        QCOMPARE(window.PixelAt(419, 0), Accent);
        QCOMPARE(window.PixelAt(419, 1), Accent);
        QCOMPARE(window.PixelAt(419, 2), ContentColor);
    }

    void barTurnsGreyWhileAnotherWindowIsActive()
    {
        TWindow window;
        new TThemeHelper(&window);
        QWidget other;
        window.show();
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(QTest::qWaitForWindowExposed(&other));

        Activate(&other);
        QTRY_COMPARE(window.PixelAt(150, 0), InactiveColor());
        Activate(&window);
        QTRY_COMPARE(window.PixelAt(150, 0), Accent);
    }

    void barStaysAboveChildrenAddedLater()
    {
        TWindow window;
        new TThemeHelper(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWidget* late = AddFilledChild(&window, Qt::red);
        late->setGeometry(0, 0, 300, 20);
        late->show();
        QCOMPARE(window.PixelAt(10, 1), Accent);
        QCOMPARE(window.PixelAt(10, 2), QColor(Qt::red));
    }

    void framelessWindowHasNoBar()
    {
        TWindow window(Qt::FramelessWindowHint);
        new TThemeHelper(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.PixelAt(150, 0), ContentColor);
        QCOMPARE(window.Header->y(), 0);
    }

    // Changing the frame alone does not touch the bar; the next resize does.
    void borderChangeShowsAtTheNextResize()
    {
        TWindow window;
        new TThemeHelper(&window);
        window.setWindowFlag(Qt::FramelessWindowHint);
        window.resize(320, 200);
        QCOMPARE(window.PixelAt(150, 0), ContentColor);

        window.setWindowFlag(Qt::FramelessWindowHint, false);
        window.resize(340, 200);
        QCOMPARE(window.PixelAt(339, 0), Accent);
        QCOMPARE(window.PixelAt(339, 2), ContentColor);
    }

    void windowStillGetsItsOwnEvents()
    {
        struct TRecordingWindow : TWindow
        {
            void resizeEvent(QResizeEvent* event) override { LastSize = event->size(); }
            void changeEvent(QEvent* event) override
            {
                if (event->type() == QEvent::ActivationChange)
                    SawActivationChange = true;
            }
            QSize LastSize;
            bool SawActivationChange = false;
        } window;
        new TThemeHelper(&window);
        window.resize(360, 220);
        window.show();
        Activate(&window);
        QCOMPARE(window.LastSize, QSize(360, 220));
        QVERIFY(window.SawActivationChange);
    }

    void detachingTakesTheBarAway()
    {
        TWindow window;
        window.setContentsMargins(1, 4, 1, 1);
        auto* helper = new TThemeHelper(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.contentsMargins(), QMargins(1, 6, 1, 1));

        delete helper;
        QVERIFY(window.findChildren<TShape*>().isEmpty());
        QCOMPARE(window.contentsMargins(), QMargins(1, 4, 1, 1));
        window.resize(310, 200);
        QCOMPARE(window.Header->y(), 4);
        QVERIFY(window.PixelAt(150, 4) == ContentColor);
    }

    void windowCanBeDestroyedWithItsHelper()
    {
        auto* window = new TWindow;
        QPointer<TThemeHelper> helper = new TThemeHelper(window);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        delete window;
        QVERIFY(!helper);
    }
};

QTEST_MAIN(TThemeHelperTest)
#include "tst_themehelper.moc"
