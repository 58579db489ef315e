#include "TestHome.h"
#include "TestServer.h"
#include "notice/UpdateStatus.h"
#include "theme/DovrelanButtonStyles.h"
#include "theme/StyledButton.h"
#include "theme/StyledToolBar.h"
#include "theme/ThemeHelper.h"
#include "update/ServiceThreads.h"
#include "window/FrmMorvane.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// Records the URLs that the window hands to the desktop.
class TOpenedUrls : public QObject
{
    Q_OBJECT

public:
    TOpenedUrls() { QDesktopServices::setUrlHandler(u"https"_s, this, "Open"); }
    ~TOpenedUrls() override { QDesktopServices::unsetUrlHandler(u"https"_s); }
    QList<QUrl> Urls;

public Q_SLOTS:
    void Open(const QUrl& url) { Urls.append(url); }
};

// How the window ties the look, the update service and its own closing together.
class TFrmWiringTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { RegisterDovrelanButtonStyles(); }
    void init() { FHome = std::make_unique<TTestHome>(); }
    void cleanup() { FHome.reset(); }

    void buttonsAndThemeTakeTheirStyles()
    {
        TFrmMorvane window({u"morvane"_s}, TFrmMorvaneSetup{});
        const auto* start = qobject_cast<const TStyledButton*>(window.BtnStart);
        QVERIFY(start);
        QCOMPARE(start->StyleFamily(), u"Dovrelan"_s);
        QCOMPARE(start->StyleAppearance(), u"Outline"_s);
        const auto* home = qobject_cast<const TStyledButton*>(window.BtnHome);
        QVERIFY(home);
        QCOMPARE(home->StyleAppearance(), u"Header"_s);
        QCOMPARE(home->CornerRadius(), 4);
        QCOMPARE(home->size(), QSize(70, 30));
        QVERIFY(qobject_cast<TStyledToolBar*>(window.BtnHead));
        QVERIFY(window.findChild<TThemeHelper*>());
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

        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&answer] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                answer.stop();
                box->button(QMessageBox::Yes)->click();
            }
        });
        answer.start(20);

        QTRY_VERIFY(!window.isVisible());
        QCOMPARE(opened.Urls, QList<QUrl>{QUrl(u"https://download.example/new"_s)});
    }

private:
    std::unique_ptr<TTestHome> FHome;
};

QTEST_MAIN(TFrmWiringTest)
#include "tst_frmwiring.moc"
