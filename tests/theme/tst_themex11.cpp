#include "X11Property.h"
#include "theme/ThemeHelper.h"

#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

enum class TNativeWindow
{
    MadeBeforeTheHelper,
    MadeWhenShown
};

} // namespace

Q_DECLARE_METATYPE(TNativeWindow)

// Runs under a real X server only (CTest starts it with xvfb-run); skips anywhere else.
class TThemeX11Test : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (const char* reason = X11PropertiesUnavailable())
            QSKIP(reason);
    }

    void windowAsksForTheDarkVariant_data()
    {
        QTest::addColumn<TNativeWindow>("nativeWindow");
        QTest::newRow("made before the helper") << TNativeWindow::MadeBeforeTheHelper;
        QTest::newRow("made when shown") << TNativeWindow::MadeWhenShown;
    }
    void windowAsksForTheDarkVariant()
    {
        QFETCH(TNativeWindow, nativeWindow);
        QWidget window;
        window.resize(200, 100);
        if (nativeWindow == TNativeWindow::MadeBeforeTheHelper)
            window.winId();
        new TThemeHelper(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QCOMPARE(X11Property(window.winId(), u"_GTK_THEME_VARIANT"_s),
                 u"_GTK_THEME_VARIANT(UTF8_STRING) = \"dark\""_s);
    }
};

QTEST_MAIN(TThemeX11Test)
#include "tst_themex11.moc"
