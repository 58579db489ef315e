#include "TestHome.h"
#include "TestServer.h"
#include "i18n/Translate.h"
#include "notice/UpdateCheck.h"
#include "notice/UpdateDialog.h"
#include "notice/UpdateStatus.h"
#include "update/ServiceThreads.h"
#include "update/UpdateService.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

enum class TChoice
{
    Yes,
    No,
    CloseWindow
};

// What the update dialog looked like when it came up.
struct TDialogSnapshot
{
    bool IsShown = false;
    QString Title;
    QString Text;
    QString YesText;
    QString NoText;
    bool StaysOnTop = false;
    QSize Size;
    QRect SeparatorGeometry;
    QColor SeparatorColor;
    QRect ElementGeometry;
    QString HoldCaption;
    QString NoteCaption;
    QString NoteToolTip;
    QColor NoteColor;
    bool IsNoteUnderlined = false;
    Qt::CursorShape NoteCursor = Qt::ArrowCursor;
};

// Stands in for the user: waits for the update dialog to come up modally, records it, lets the
// test act on it and then answers it.
class TDialogResponder
{
public:
    explicit TDialogResponder(TChoice choice,
                              std::function<void(QMessageBox&)> beforeAnswer = nullptr)
        : FChoice(choice), FBeforeAnswer(std::move(beforeAnswer))
    {
        QObject::connect(&FPoll, &QTimer::timeout, &FPoll, [this] { Respond(); });
        FPoll.start(5ms);
    }

    const TDialogSnapshot& Snapshot() const { return FSnapshot; }

private:
    void Respond()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box == FAnswered || !box->isVisible())
            return;
        FAnswered = box;
        Record(*box);
        if (FBeforeAnswer)
            FBeforeAnswer(*box);
        switch (FChoice) {
        case TChoice::Yes:
            QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
            break;
        case TChoice::No:
            QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
            break;
        case TChoice::CloseWindow:
            box->close();
            break;
        }
    }

    void Record(const QMessageBox& box)
    {
        FSnapshot.IsShown = true;
        FSnapshot.Title = box.windowTitle();
        FSnapshot.Text = box.text();
        FSnapshot.YesText = box.button(QMessageBox::Yes)->text();
        FSnapshot.NoText = box.button(QMessageBox::No)->text();
        FSnapshot.StaysOnTop = box.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        FSnapshot.Size = box.size();
        if (auto* separator = box.findChild<QWidget*>(u"ShpSeparator"_s)) {
            FSnapshot.SeparatorGeometry = separator->geometry();
            FSnapshot.SeparatorColor = separator->palette().color(QPalette::Window);
        }
        if (auto* hold = box.findChild<QCheckBox*>(u"ChkHold"_s)) {
            FSnapshot.HoldCaption = hold->text();
            FSnapshot.ElementGeometry = hold->geometry();
        }
        if (auto* note = box.findChild<QLabel*>(u"LblNote"_s)) {
            FSnapshot.NoteCaption = note->text();
            FSnapshot.NoteToolTip = note->toolTip();
            FSnapshot.NoteColor = note->palette().color(QPalette::WindowText);
            FSnapshot.IsNoteUnderlined = note->font().underline();
            FSnapshot.NoteCursor = note->cursor().shape();
            FSnapshot.ElementGeometry = note->geometry();
        }
    }

    TChoice FChoice;
    std::function<void(QMessageBox&)> FBeforeAnswer;
    QTimer FPoll;
    QPointer<QMessageBox> FAnswered;
    TDialogSnapshot FSnapshot;
};

void TickHoldBox(QMessageBox& box)
{
    auto* holdBox = box.findChild<QCheckBox*>(u"ChkHold"_s);
    QTest::mouseClick(holdBox, Qt::LeftButton, {}, QPoint(5, holdBox->height() / 2));
}

bool HasPixel(const QImage& image, QColor color)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == color)
                return true;
        }
    }
    return false;
}

const QByteArray UpdateOnly = "{\"update\":\"https://u.example/setup.exe\"}";

} // namespace

class TUpdateUiTest : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    // Stands in for the desktop's browser.
    void Open(const QUrl& url) { FOpened.append(url.toString()); }

private Q_SLOTS:
    void initTestCase()
    {
        QGuiApplication::setApplicationDisplayName(u"Morvane"_s);
        QDesktopServices::setUrlHandler(u"http"_s, this, "Open");
        QDesktopServices::setUrlHandler(u"https"_s, this, "Open");
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(u"http"_s);
        QDesktopServices::unsetUrlHandler(u"https"_s);
    }
    void init()
    {
        FOpened.clear();
        SetCurrentLanguage(u"en"_s);
        SetServiceParameters(QString(), 0);
    }
    void cleanup() { QVERIFY(StopServiceThreads(5s)); }

    void replies_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<TChoice>("choice");
        QTest::addColumn<bool>("isOffered");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<bool>("isUpdateTaken");

        const QString update = u"https://u.example/setup.exe"_s;
        const QString notice = u"https://n.example/notice"_s;
        const QByteArray both =
            "{\"update\":\"https://u.example/setup.exe\",\"notify\":\"https://n.example/notice\"}";

        QTest::newRow("no keys") << QByteArray("{\"result\":\"ok\"}") << 200 << TChoice::Yes
                                 << false << QStringList() << QString() << false;
        QTest::newRow("empty values")
            << QByteArray("{\"update\":\"\",\"notify\":\"\"}") << 200 << TChoice::Yes << false
            << QStringList() << QString() << false;
        QTest::newRow("only notify")
            << QByteArray("{\"notify\":\"https://n.example/notice\"}") << 200 << TChoice::Yes
            << false << QStringList() << notice << false;
        QTest::newRow("update declined, notice still shown")
            << both << 200 << TChoice::No << true << QStringList() << notice << false;
        QTest::newRow("update dialog closed counts as no")
            << both << 200 << TChoice::CloseWindow << true << QStringList() << notice << false;
        QTest::newRow("update accepted, notice still shown")
            << both << 200 << TChoice::Yes << true << QStringList{update} << notice << true;
        QTest::newRow("space after the colon")
            << QByteArray("{\"update\": \"https://u.example/setup.exe\"}") << 200 << TChoice::Yes
            << false << QStringList() << QString() << false;
        QTest::newRow("key in capitals")
            << QByteArray("{\"UPDATE\":\"https://u.example/setup.exe\"}") << 200 << TChoice::Yes
            << true << QStringList{update} << QString() << true;
        QTest::newRow("escaped slashes")
            << QByteArray("{\"update\":\"https:\\/\\/u.example\\/setup.exe\"}") << 200
            << TChoice::Yes << true << QStringList{update} << QString() << true;
        QTest::newRow("first occurrence wins, even inside info")
            << QByteArray(
                   "{\"info\":{\"notify\":\"https://n.example/notice\"},\"notify\":\"https://o/\"}")
            << 200 << TChoice::Yes << false << QStringList() << notice << false;
        QTest::newRow("404 with a body")
            << QByteArray("{\"notify\":\"https://n.example/notice\"}") << 404 << TChoice::Yes
            << false << QStringList() << notice << false;
        QTest::newRow("update is a local program")
            << QByteArray("{\"update\":\"/usr/bin/xterm\"}") << 200 << TChoice::Yes << false
            << QStringList() << QString() << false;
        QTest::newRow("update is a file url")
            << QByteArray("{\"update\":\"file:///usr/bin/xterm\"}") << 200 << TChoice::Yes << false
            << QStringList() << QString() << false;
        QTest::newRow("update is relative")
            << QByteArray("{\"update\":\"setup.exe\",\"notify\":\"https://n.example/notice\"}")
            << 200 << TChoice::Yes << false << QStringList() << notice << false;
        QTest::newRow("notify is javascript")
            << QByteArray("{\"notify\":\"javascript:alert(1)\"}") << 200 << TChoice::Yes << false
            << QStringList() << QString() << false;
    }
    void replies()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(TChoice, choice);
        QFETCH(bool, isOffered);
        QFETCH(QStringList, opened);
        QFETCH(QString, notice);
        QFETCH(bool, isUpdateTaken);
        TTestHome home;
        TTestServer server;
        server.SetFallback(TTestAnswer::Json(body, status));
        QWidget window;
        window.setFixedSize(400, 300);
        TDialogResponder responder(choice);

        std::optional<std::pair<bool, QString>> result;
        CheckUpdate(
            server.Url(),
            [&](bool updateTaken, const QString& reply) {
                result = {updateTaken, reply};
            },
            0, &window, 0ms);
        QTRY_VERIFY(result.has_value());

        QCOMPARE(result->first, isUpdateTaken);
        QCOMPARE(result->second, QString::fromUtf8(body));
        QCOMPARE(responder.Snapshot().IsShown, isOffered);
        QCOMPARE(FOpened, opened);
        const auto* bar = window.findChild<TUpdateStatusBar*>(u"StatusBar"_s);
        QCOMPARE(bar ? bar->toolTip() : QString(), notice);
    }

    void unreachableServiceReportsEmptyReply()
    {
        TTestHome home;
        TTestServer server;
        server.SetFallback(TTestAnswer::HangUp());
        std::optional<std::pair<bool, QString>> result;
        CheckUpdate(
            server.Url(),
            [&](bool updateTaken, const QString& reply) {
                result = {updateTaken, reply};
            },
            0, nullptr, 0ms);
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 20000);
        QCOMPARE(*result, std::make_pair(false, QString()));
    }

    void noticeDroppedWhenWindowIsGone()
    {
        TTestHome home;
        TTestServer server;
        server.SetFallback(TTestAnswer::Json("{\"notify\":\"https://n.example/notice\"}"));
        auto window = std::make_unique<QWidget>();
        bool isCalledBack = false;
        CheckUpdate(
            server.Url(), [&](bool, const QString&) { isCalledBack = true; }, 0, window.get(), 0ms);
        window.reset();
        QTRY_VERIFY(isCalledBack);
    }

    void malformedEscapeEndsHandling_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("isOffered");
        QTest::newRow("in update")
            << QByteArray("{\"update\":\"https://u.example/\\u12G4\"}") << false;
        QTest::newRow("in the dialog's info")
            << QByteArray("{\"update\":\"https://u.example/"
                          "\",\"info\":{\"style\":\"hold\",\"text\":\"\\uZZZZ\"}}")
            << false;
        QTest::newRow("in notify, after the offer")
            << QByteArray(
                   "{\"update\":\"https://u.example/\",\"notify\":\"https://n.example/\\u00\"}")
            << true;
    }
    void malformedEscapeEndsHandling()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, isOffered);
        QWidget window;
        TDialogResponder responder(TChoice::No);
        QCOMPARE(HandleUpdateReply(QString::fromUtf8(body), &window), std::nullopt);
        QCOMPARE(responder.Snapshot().IsShown, isOffered);
        QVERIFY(!window.findChild<TUpdateStatusBar*>());
    }

    void dialogTexts_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("firstSentence");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<QString>("no");
        QTest::newRow("de") << u"de"_s << u"Dieses Programm ist aktualisiert worden."_s << u"Ja"_s
                            << u"Nein"_s;
        QTest::newRow("it") << u"it"_s << u"È disponibile una nuova versione del programma."_s
                            << u"Sì"_s << u"No"_s;
        QTest::newRow("fr") << u"fr"_s << u"Ce programme a été mis à jour."_s << u"Oui"_s
                            << u"Non"_s;
        QTest::newRow("pt") << u"pt"_s << u"This program has been updated."_s << u"Yes"_s
                            << u"No"_s;
        QTest::newRow("ko") << u"ko"_s << u"업데이트 정보가 있습니다."_s << u"예"_s << u"아니오"_s;
    }
    void dialogTexts()
    {
        QFETCH(QString, language);
        QFETCH(QString, firstSentence);
        QFETCH(QString, yes);
        QFETCH(QString, no);
        SetCurrentLanguage(language);
        TDialogResponder responder(TChoice::No);
        QVERIFY(!UpdateDialog(QString::fromUtf8(UpdateOnly)));
        const TDialogSnapshot& shown = responder.Snapshot();
        QCOMPARE(shown.Title, u"Morvane"_s);
        // The sentences stay apart by an empty line.
        QVERIFY2(shown.Text.startsWith(firstSentence + u"\n\n"_s), qPrintable(shown.Text));
        QVERIFY(!shown.Text.contains(u'\r'));
        QCOMPARE(shown.YesText, yes);
        QCOMPARE(shown.NoText, no);
    }

    void stayOnTop_data()
    {
        QTest::addColumn<QByteArray>("flag");
        QTest::addColumn<bool>("staysOnTop");
        QTest::newRow("among other words") << QByteArray("modal,stayontop,big") << true;
        QTest::newRow("in capitals") << QByteArray("STAYONTOP") << false;
        QTest::newRow("mixed case") << QByteArray("StayOnTop") << false;
        QTest::newRow("absent") << QByteArray() << false;
    }
    void stayOnTop()
    {
        QFETCH(QByteArray, flag);
        QFETCH(bool, staysOnTop);
        TDialogResponder responder(TChoice::No);
        UpdateDialog(
            QString::fromUtf8("{\"update\":\"https://u/\",\"info\":{\"flag\":\"" + flag + "\"}}"));
        QCOMPARE(responder.Snapshot().StaysOnTop, staysOnTop);
    }

    void infoStyles_data()
    {
        QTest::addColumn<QByteArray>("info");
        QTest::addColumn<int>("layoutOffset");
        QTest::addColumn<bool>("hasExtraRow");
        QTest::addColumn<QString>("holdCaption");
        QTest::addColumn<QString>("noteCaption");
        QTest::addColumn<QString>("noteUrl");

        QTest::newRow("no info") << QByteArray() << 0 << false << QString() << QString()
                                 << QString();
        QTest::newRow("info without style") << QByteArray("\"info\":{\"text\":\"Later\"}") << 0
                                            << false << QString() << QString() << QString();
        QTest::newRow("hold") << QByteArray(
                                     "\"info\":{\"style\":\"hold\",\"text\":\"Don't ask again\"}")
                              << 0 << true << u"Don't ask again"_s << QString() << QString();
        QTest::newRow("hold, escaped quote in the caption")
            << QByteArray("\"info\":{\"style\":\"hold\",\"text\":\"Say \\\"later\\\"\"}") << 0
            << true << u"Say \"later\""_s << QString() << QString();
        QTest::newRow("hold, keys in capitals")
            << QByteArray("\"INFO\":{\"STYLE\":\"hold\",\"Text\":\"Later\"}") << 0 << true
            << u"Later"_s << QString() << QString();
        QTest::newRow("hold with layout offset")
            << QByteArray("\"info\":{\"style\":\"hold\",\"text\":\"Later\"}") << 10 << true
            << u"Later"_s << QString() << QString();
        QTest::newRow("note")
            << QByteArray(
                   "\"info\":{\"style\":\"note\",\"text\":\"What's new\",\"url\":\"https://n/x\"}")
            << 0 << true << QString() << u"What's new"_s << u"https://n/x"_s;
        QTest::newRow("note to a local program")
            << QByteArray(
                   "\"info\":{\"style\":\"note\",\"text\":\"Run\",\"url\":\"/usr/bin/xterm\"}")
            << 0 << true << QString() << u"Run"_s << QString();
        QTest::newRow("other style") << QByteArray("\"info\":{\"style\":\"banner\",\"text\":\"x\"}")
                                     << 0 << true << QString() << QString() << QString();
    }
    void infoStyles()
    {
        QFETCH(QByteArray, info);
        QFETCH(int, layoutOffset);
        QFETCH(bool, hasExtraRow);
        QFETCH(QString, holdCaption);
        QFETCH(QString, noteCaption);
        QFETCH(QString, noteUrl);
        SetServiceParameters(QString(), layoutOffset);
        const QSize plainSize = ShownSize(UpdateOnly);

        const QByteArray reply = "{\"update\":\"https://u.example/setup.exe\"" +
                                 (info.isEmpty() ? QByteArray() : "," + info) + "}";
        TDialogResponder responder(TChoice::No);
        QVERIFY(!UpdateDialog(QString::fromUtf8(reply)));
        const TDialogSnapshot& shown = responder.Snapshot();

        const int extraHeight = hasExtraRow ? 40 - layoutOffset : 0;
        QCOMPARE(shown.Size, plainSize + QSize(0, extraHeight));
        QCOMPARE(shown.HoldCaption, holdCaption);
        QCOMPARE(shown.NoteCaption, noteCaption);
        QCOMPARE(shown.NoteToolTip, noteUrl);
        if (!hasExtraRow) {
            QVERIFY(shown.SeparatorGeometry.isNull());
            return;
        }
        const int separatorTop = shown.Size.height() - extraHeight;
        QCOMPARE(shown.SeparatorGeometry, QRect(0, separatorTop, shown.Size.width(), 1));
        QCOMPARE(shown.SeparatorColor, QColor(204, 204, 204));
        if (!holdCaption.isEmpty() || !noteCaption.isEmpty())
            QCOMPARE(shown.ElementGeometry.topLeft(), QPoint(10, separatorTop + 10));
        if (!noteCaption.isEmpty()) {
            QCOMPARE(shown.NoteColor, QColor(0, 0, 255));
            QVERIFY(shown.IsNoteUnderlined);
            QCOMPARE(shown.NoteCursor, Qt::PointingHandCursor);
        }
    }

    void noteClickOpensUrlAndKeepsDialog()
    {
        bool isStillOpen = false;
        TDialogResponder responder(TChoice::No, [&](QMessageBox& box) {
            QTest::mouseClick(box.findChild<QLabel*>(u"LblNote"_s), Qt::LeftButton);
            isStillOpen = box.isVisible() && QApplication::activeModalWidget() == &box;
        });
        const bool isAccepted =
            UpdateDialog(QString::fromUtf8("{\"update\":\"https://u.example/"
                                           "\",\"info\":{\"style\":\"note\",\"text\":\"News\","
                                           "\"url\":\"https://n.example/news\"}}"));
        QVERIFY(!isAccepted);
        QVERIFY(isStillOpen);
        QCOMPARE(FOpened, QStringList{u"https://n.example/news"_s});
    }

    void tickedHoldBoxSendsHoldRequest_data()
    {
        QTest::addColumn<TChoice>("choice");
        QTest::newRow("yes") << TChoice::Yes;
        QTest::newRow("no") << TChoice::No;
        QTest::newRow("closed") << TChoice::CloseWindow;
    }
    void tickedHoldBoxSendsHoldRequest()
    {
        QFETCH(TChoice, choice);
        TTestServer server;
        SetServiceParameters(server.Url(), 0);
        TDialogResponder responder(choice, TickHoldBox);
        const bool isAccepted =
            UpdateDialog(QString::fromUtf8("{\"update\":\"https://u.example/"
                                           "\",\"info\":{\"style\":\"hold\",\"text\":\"Later\"}}"));
        QCOMPARE(isAccepted, choice == TChoice::Yes);
        QVERIFY(FOpened.isEmpty());

        QTRY_COMPARE(server.Requests().size(), 1);
        const TRecordedRequest& request = server.Requests().first();
        const QList<QByteArray> holdHeaders{"User-Version", "User-Command"};
        QCOMPARE(request.OrderOf(holdHeaders +
                                 QList<QByteArray>{"User-Language", "User-Debug", "User-Union"}),
                 holdHeaders);
        QCOMPARE(request.Header("User-Version"), QByteArray("1.0.0.0"));
        QCOMPARE(request.Header("User-Command"), QByteArray("hold"));
    }

    void statusBar_data()
    {
        QTest::addColumn<QString>("windowKind");
        QTest::newRow("widget with a layout") << u"layout"_s;
        QTest::newRow("widget with placed controls") << u"placed"_s;
        QTest::newRow("main window") << u"main"_s;
    }
    void statusBar()
    {
        QFETCH(QString, windowKind);
        SetCurrentLanguage(u"ko"_s);
        std::unique_ptr<QWidget> window;
        auto* content = new QLabel(u"content"_s);
        if (windowKind == u"main"_s) {
            auto mainWindow = std::make_unique<QMainWindow>();
            mainWindow->setCentralWidget(content);
            window = std::move(mainWindow);
        } else {
            window = std::make_unique<QWidget>();
            content->setParent(window.get());
            if (windowKind == u"layout"_s)
                (new QVBoxLayout(window.get()))->addWidget(content);
            else
                content->setGeometry(10, 10, 380, 280);
        }
        window->setFixedSize(400, 300);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QRect contentGeometry = content->geometry();

        const QString url = u"https://n.example/notice"_s;
        ShowUpdateStatus(window.get(), url);

        auto* bar =
            window->findChild<TUpdateStatusBar*>(u"StatusBar"_s, Qt::FindDirectChildrenOnly);
        QVERIFY(bar);
        QCOMPARE(window->size(), QSize(400, 328));
        QTRY_COMPARE(bar->geometry(), QRect(0, 300, 400, 28));
        QTRY_COMPARE(content->geometry(), contentGeometry);
        QCOMPARE(bar->PanelText(), u"업데이트 가능"_s);
        QVERIFY(bar->font().bold());
        QCOMPARE(bar->toolTip(), url);
        QCOMPARE(bar->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(HasPixel(bar->grab().toImage(), QColor(255, 0, 0)));

        QTest::mouseClick(bar, Qt::LeftButton);
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(FOpened, QStringList({url, url}));

        const QString secondUrl = u"https://n.example/second"_s;
        ShowUpdateStatus(window.get(), secondUrl);
        QCOMPARE(window->findChild<TUpdateStatusBar*>(u"StatusBar"_s), bar);
        QCOMPARE(window->size(), QSize(400, 328));
        QCOMPARE(bar->toolTip(), secondUrl);
    }

private:
    static QSize ShownSize(const QByteArray& reply)
    {
        TDialogResponder responder(TChoice::No);
        UpdateDialog(QString::fromUtf8(reply));
        return responder.Snapshot().Size;
    }

    QStringList FOpened;
};

QTEST_MAIN(TUpdateUiTest)
#include "tst_updateui.moc"
