#include "morvane/DisplayCheck.h"

#include "TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList DisplayVariables{u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"WAYLAND_SOCKET"_s,
                                   u"QT_QPA_PLATFORM"_s, u"XDG_SESSION_TYPE"_s};

// The inherited environment without anything that names a display or a platform, then the
// given "NAME=value" entries.
QProcessEnvironment EnvironmentWith(const QStringList& entries)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : DisplayVariables)
        environment.remove(name);
    for (const QString& entry : entries)
        environment.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    return environment;
}

} // namespace

class TDisplayCheckTest : public QObject
{
    Q_OBJECT

private:
    // XDG_RUNTIME_DIR for the Wayland rows: it holds a "wayland-0" and a "wayland-custom".
    QTemporaryDir FRuntime;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(WriteFile(FRuntime.filePath(u"wayland-0"_s), {}));
        QVERIFY(WriteFile(FRuntime.filePath(u"wayland-custom"_s), {}));
    }

    void hasDisplay_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<bool>("expected");

        const QString runtime = u"XDG_RUNTIME_DIR="_s + FRuntime.path();
        QTest::newRow("nothing set: X11 without DISPLAY") << QStringList() << false;
        QTest::newRow("nothing set, DISPLAY") << QStringList{u"DISPLAY=:0"_s} << true;
        QTest::newRow("xcb without DISPLAY") << QStringList{u"QT_QPA_PLATFORM=xcb"_s} << false;
        QTest::newRow("xcb with options and DISPLAY")
            << QStringList{u"QT_QPA_PLATFORM=xcb:nograb"_s, u"DISPLAY=:1"_s} << true;
        QTest::newRow("offscreen needs nothing")
            << QStringList{u"QT_QPA_PLATFORM=offscreen"_s} << true;
        QTest::newRow("another plug-in is left to Qt")
            << QStringList{u"QT_QPA_PLATFORM=vnc"_s} << true;
        QTest::newRow("wayland, default socket")
            << QStringList{u"QT_QPA_PLATFORM=wayland"_s, runtime} << true;
        QTest::newRow("wayland, named socket") << QStringList{u"QT_QPA_PLATFORM=wayland"_s, runtime,
                                                              u"WAYLAND_DISPLAY=wayland-custom"_s}
                                               << true;
        QTest::newRow("wayland, socket missing")
            << QStringList{u"QT_QPA_PLATFORM=wayland"_s, runtime, u"WAYLAND_DISPLAY=wayland-9"_s}
            << false;
        QTest::newRow("wayland, socket path")
            << QStringList{u"QT_QPA_PLATFORM=wayland-egl"_s,
                           u"WAYLAND_DISPLAY="_s + FRuntime.filePath(u"wayland-custom"_s)}
            << true;
        QTest::newRow("wayland without a runtime folder")
            << QStringList{u"QT_QPA_PLATFORM=wayland"_s} << false;
        QTest::newRow("wayland, socket handed over")
            << QStringList{u"QT_QPA_PLATFORM=wayland"_s, u"WAYLAND_SOCKET=3"_s} << true;
        QTest::newRow("wayland, then xcb with DISPLAY")
            << QStringList{u"QT_QPA_PLATFORM=wayland;xcb"_s, u"DISPLAY=:0"_s} << true;
        QTest::newRow("Wayland session tries wayland first")
            << QStringList{u"XDG_SESSION_TYPE=wayland"_s, runtime} << true;
        QTest::newRow("X11 session ignores a Wayland socket")
            << QStringList{u"XDG_SESSION_TYPE=x11"_s, runtime} << false;
    }
    void hasDisplay()
    {
        QFETCH(QStringList, environment);
        QFETCH(bool, expected);
        QCOMPARE(HasDisplay(EnvironmentWith(environment)), expected);
    }

    // The real program where no display can be opened: its own line and status 1, not Qt's abort.
    void programWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");

        const QString english = u"morvane: no display found; set DISPLAY or WAYLAND_DISPLAY, or "
                                u"use morvane-cli for conversions without a window\n"_s;
        QTest::newRow("xcb") << QStringList{u"QT_QPA_PLATFORM=xcb"_s} << QStringList() << english;
        QTest::newRow("default platform")
            << QStringList() << QStringList{u"/auto"_s, u"PNG"_s} << english;
        // Words after the program's path are its own, not Qt's options.
        QTest::newRow("-platform offscreen is no option")
            << QStringList{u"QT_QPA_PLATFORM=xcb"_s} << QStringList{u"-platform"_s, u"offscreen"_s}
            << english;
        QTest::newRow("in the user's language")
            << QStringList{u"QT_QPA_PLATFORM=xcb"_s, u"LC_ALL=fr_FR.UTF-8"_s} << QStringList()
            << u"morvane: aucun écran trouvé ; définissez DISPLAY ou WAYLAND_DISPLAY, ou utilisez "
               u"morvane-cli pour convertir sans fenêtre\n"_s;
    }
    void programWithoutDisplay()
    {
        QFETCH(QStringList, environment);
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        QProcess program;
        program.setProcessEnvironment(EnvironmentWith(environment));
        program.start(QStringLiteral(MORVANE_PROGRAM), arguments);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(program.readAllStandardError()), expected);
        QCOMPARE(program.readAllStandardOutput(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TDisplayCheckTest)
#include "tst_displaycheck.moc"
