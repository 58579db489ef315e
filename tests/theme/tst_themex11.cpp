#include "theme/ThemeHelper.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

enum class TNativeWindow
{
    MadeBeforeTheHelper,
    MadeWhenShown
};

QString DarkVariantProperty(WId window)
{
    QProcess xprop;
    xprop.start(u"xprop"_s, {u"-id"_s, QString::number(window), u"_GTK_THEME_VARIANT"_s});
    if (!xprop.waitForFinished())
        return {};
    return QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
}

} // namespace

Q_DECLARE_METATYPE(TNativeWindow)

// Runs under a real X server only (CTest starts it with xvfb-run); skips anywhere else.
class TThemeX11Test : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != "xcb"_L1)
            QSKIP("needs an X display (QT_QPA_PLATFORM=xcb)");
        if (QStandardPaths::findExecutable(u"xprop"_s).isEmpty())
            QSKIP("needs xprop");
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

        QCOMPARE(DarkVariantProperty(window.winId()),
                 u"_GTK_THEME_VARIANT(UTF8_STRING) = \"dark\""_s);
    }
};

QTEST_MAIN(TThemeX11Test)
#include "tst_themex11.moc"
