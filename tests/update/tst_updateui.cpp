#include "TestServer.h"
#include "i18n/Translate.h"
#include "update/ServiceThreads.h"
#include "update/UpdateDialog.h"
#include "update/UpdateService.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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
