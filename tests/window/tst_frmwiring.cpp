#include "HomeFixture.h"
#include "TestServer.h"
#include "UrlCatcher.h"
#include "WindowControls.h"
#include "notice/UpdateStatus.h"
#include "theme/DovrelanButtonStyles.h"
#include "update/ServiceThreads.h"
#include "window/FrmMorvane.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <array>
#include <cstddef>
#include <new>

using namespace Qt::StringLiterals;

// Receives the URLs of the web that the window hands to the desktop while it lives.
class TOpenedUrls : public TUrlCatcher
{
public:
    TOpenedUrls() { QDesktopServices::setUrlHandler(u"https"_s, this, "Open"); }
    ~TOpenedUrls() override { QDesktopServices::unsetUrlHandler(u"https"_s); }
};

// Presses Yes in the first message box that opens while it lives.
class TYesToTheOffer
{
public:
    TYesToTheOffer()
    {
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                FTimer.stop();
                box->button(QMessageBox::Yes)->click();
            }
        });
        FTimer.start(20);
    }

private:
    QTimer FTimer;
};

// How the window ties the look, the update service and its own closing together.
class TFrmWiringTest : public THomeTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { RegisterDovrelanButtonStyles(); }
    // What the styles make of the window: the accent bar along the top, the header button of
    // the page on view in the family's selected header look and the other one clear, and the
    // start button an accent outline around a clear face.
    void buttonsAndThemeTakeTheirStyles()
    {
        TFrmMorvane window({u"morvane"_s}, TFrmMorvaneSetup{});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QColor accent(0x3D, 0x84, 0xDD);
        const QColor clear(Qt::white);
        const QColor selected = FindStyleFamily(u"Dovrelan"_s)
                                    ->UpdateAttributes(u"Dovrelan"_s, QString(), u"Header"_s)
                                    .ForState(TButtonState::Selected)
                                    .ButtonColor;
        QImage shot = window.grab().toImage();
        const auto colourIn = [&](const QString& control, int x, int y) {
            return shot.pixelColor(Control(window, control).mapTo(&window, QPoint(x, y)));
        };

        QCOMPARE(shot.pixelColor(window.width() / 2, 0), accent);
        QCOMPARE(colourIn(u"BtnHome"_s, 6, 15), selected);
        QCOMPARE(colourIn(u"BtnConfig"_s, 6, 15), clear);
        QCOMPARE(colourIn(u"BtnStart"_s, 60, 3), clear);
        QCOMPARE(colourIn(u"BtnStart"_s, 60, 0), accent);

        Control<QAbstractButton>(window, u"BtnConfig"_s).click();
        shot = window.grab().toImage();
        QCOMPARE(colourIn(u"BtnHome"_s, 6, 15), clear);
        QCOMPARE(colourIn(u"BtnConfig"_s, 6, 15), selected);
    }

    void interactiveStartAsksTheServiceAndShowsItsNotice()
    {
        TTestServer server;
        server.Queue(TTestAnswer::Json("{\"notify\":\"https://notice.example/n\"}"));
        TFrmMorvane window({u"morvane"_s}, TFrmMorvaneSetup{QString(), server.Url()});
        const int height = window.height();

        QTRY_VERIFY(window.findChild<TUpdateStatusBar*>(u"StatusBar"_s));
        QCOMPARE(server.Requests().size(), 1);
        QCOMPARE(server.Requests().constFirst().Header("User-Debug"), QByteArray("false"));
        QCOMPARE(window.height(), height + 28);
    }

    void automaticModeStartsNoCheck()
    {
        TTestServer server;
        TFrmMorvane window({u"morvane"_s, u"/auto"_s, u"PNG"_s, u"missing.txt"_s},
                           TFrmMorvaneSetup{QString(), server.Url()});
        // A check would have started its thread before the window finished starting.
        QVERIFY(StopServiceThreads(std::chrono::milliseconds(0)));
    }

    void acceptedUpdateClosesTheWindow()
    {
        TOpenedUrls opened;
        TTestServer server;
        server.Queue(TTestAnswer::Json("{\"update\":\"https://download.example/new\"}"));
        TFrmMorvane window({u"morvane"_s}, TFrmMorvaneSetup{QString(), server.Url()});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const TYesToTheOffer yes;

        QTRY_VERIFY(!window.isVisible());
        QCOMPARE(opened.Opened, QList<QUrl>{QUrl(u"https://download.example/new"_s)});
    }

    // The offer is still answered, but the window it would have closed is gone.
    void anUpdateTakenAfterTheWindowIsGoneDoesNothing()
    {
        TOpenedUrls opened;
        TTestServer server;
        server.Queue(TTestAnswer::Json("{\"update\":\"https://download.example/new\"}"));
        // The window lives in memory of the test's own, wiped once the window is gone, so that
        // any later use of it fails at once instead of by chance. The server answers only once
        // the test waits, after that.
        alignas(TFrmMorvane) std::array<std::byte, sizeof(TFrmMorvane)> place;
        auto* window = new (place.data())
            TFrmMorvane({u"morvane"_s}, TFrmMorvaneSetup{QString(), server.Url()});
        window->~TFrmMorvane();
        place.fill(std::byte{0});

        const TYesToTheOffer yes;

        QTRY_COMPARE(opened.Opened, QList<QUrl>{QUrl(u"https://download.example/new"_s)});
        QVERIFY(StopServiceThreads(std::chrono::seconds(5)));
    }

private:
};

QTEST_MAIN(TFrmWiringTest)
#include "tst_frmwiring.moc"
