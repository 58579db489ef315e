#include "PicFixture.h"
#include "ProcessState.h"
#include "StandIn.h"
#include "TestFiles.h"
#include "TestHome.h"
#include "UrlCatcher.h"
#include "WindowControls.h"
#include "batch/JobPool.h"
#include "config/Config.h"
#include "controls/SpinEdit.h"
#include "i18n/Translate.h"
#include "window/FrmMorvane.h"

#include <QAbstractButton>
#include <QAction>
#include <QDesktopServices>
#include <QDirIterator>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QRadioButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString SettingsPath = u"Dovrelan\\Morvane"_s;

struct TMessageSeen
{
    QString Text;
    QString Title;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons Buttons;
    bool StaysOnTop = false;
};

// Whether the run's worker thread, named after it, is still there.
bool IsRunThreadAlive()
{
    const QDir tasks(u"/proc/self/task"_s);
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile name(tasks.filePath(task + u"/comm"_s));
        if (name.open(QIODevice::ReadOnly) && name.readAll().trimmed() == "ConversionRun")
            return true;
    }
    return false;
}

QStringList Sorted(QStringList list)
{
    list.sort();
    return list;
}

// Every file below the folder by its path there, with its content.
QMap<QString, QByteArray> FilesBelow(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator found(folder, QDir::Files, QDirIterator::Subdirectories);
    while (found.hasNext()) {
        const QString path = found.next();
        files.insert(QDir(folder).relativeFilePath(path), ReadFile(path));
    }
    return files;
}

} // namespace

// The conversion run of the window with the recording stand-in programs.
class TConversionRunTest : public QObject, private TPicFixture
{
    Q_OBJECT

private:
    std::optional<TTestHome> FHome;
    std::optional<TStandIn> FStandIn;

    QString WritePic(const QString& name)
    {
        const QString path = Pic(name);
        // Ends with its name, which tells the stand-ins what they read under a plain name.
        if (!WriteFile(path, JpegBytes + name.toUtf8()))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    std::unique_ptr<TFrmMorvane> Window(const QStringList& arguments = {u"morvane"_s})
    {
        return std::make_unique<TFrmMorvane>(arguments, TFrmMorvaneSetup{FStandIn->Folder(), {}});
    }

    static TFileListModel& Files(TFrmMorvane& window) { return FileRows(window); }
    static QStringList Statuses(TFrmMorvane& window) { return ShownStatuses(window); }
    static QStringList Titles(TFrmMorvane& window) { return ShownTitles(window); }

    static QAbstractButton& Button(const TFrmMorvane& window, const QString& name)
    {
        return Control<QAbstractButton>(window, name);
    }
    static QAbstractButton& Start(const TFrmMorvane& window)
    {
        return Button(window, u"BtnStart"_s);
    }
    static QProgressBar& Progress(const TFrmMorvane& window)
    {
        return Control<QProgressBar>(window, u"ProgressBar"_s);
    }
    static QTreeView& List(const TFrmMorvane& window)
    {
        return Control<QTreeView>(window, u"ListFile"_s);
    }
    static QRadioButton& ChosenFolder(const TFrmMorvane& window)
    {
        return Control<QRadioButton>(window, u"ChkPath_2"_s);
    }
    static void Trigger(const TFrmMorvane& window, const QString& item)
    {
        Control<QAction>(window, item).trigger();
    }

    // During a run the start button stops it, the header is locked and the progress shows.
    static bool ShowsARun(const TFrmMorvane& window)
    {
        return Start(window).isEnabled() && Start(window).text() == u"Stop"_s &&
               !Button(window, u"BtnHome"_s).isEnabled() &&
               !Button(window, u"BtnConfig"_s).isEnabled() &&
               Progress(window).isVisibleTo(&window) &&
               Control(window, u"Indicator"_s).isVisibleTo(&window);
    }

    static bool IsIdle(const TFrmMorvane& window)
    {
        return IsRunOver(window) && Start(window).isEnabled() &&
               Start(window).text() == u"Convert to PNG"_s &&
               Button(window, u"BtnHome"_s).isEnabled() &&
               Button(window, u"BtnConfig"_s).isEnabled() &&
               !Progress(window).isVisibleTo(&window) &&
               !Control(window, u"Indicator"_s).isVisibleTo(&window);
    }

    static void StoreJobs(int jobs) { TConfig(SettingsPath).WriteInteger(u"jobs"_s, jobs); }

    // Every program the stand-ins ran, and every child those started, has ended. A child killed
    // with its parent may take a moment to die: wait for it.
    bool NoProgramIsLeft() const
    {
        QList<qint64> processes = FStandIn->Children(u"magick"_s);
        for (const TStandInCall& call : FStandIn->Calls())
            processes << call.ProcessId;
        return std::ranges::none_of(processes, ::IsRunning);
    }

    QStringList PngsBelow(const QString& folder) const
    {
        QStringList names;
        QDirIterator found(folder, {u"*.png"_s}, QDir::Files, QDirIterator::Subdirectories);
        while (found.hasNext())
            names << QDir(folder).relativeFilePath(found.next());
        return Sorted(names);
    }

    // Drops the paths on the list as the desktop would.
    static void Drop(TFrmMorvane& window, const QStringList& paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        QWidget* viewport = List(window).viewport();
        const QPoint place = viewport->rect().center();
        QDragEnterEvent enter(place, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QDropEvent drop(place, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
    }

    static void Select(TFrmMorvane& window, const QList<int>& rows)
    {
        QItemSelectionModel* selection = List(window).selectionModel();
        selection->clearSelection();
        for (int row : rows)
            selection->select(List(window).model()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    QStringList CalledInputs() const
    {
        QStringList inputs;
        for (const TStandInCall& call : FStandIn->CallsOf(u"magick"_s))
            inputs << QFileInfo(TStandIn::InputBelow(call, Pics())).fileName();
        return inputs;
    }

    // Closes the next modal box that opens and tells what it showed.
    static std::shared_ptr<TMessageSeen> CatchMessageBox()
    {
        auto seen = std::make_shared<TMessageSeen>();
        QTimer::singleShot(0, [seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen->Text = box->text();
            seen->Title = box->windowTitle();
            seen->Icon = box->icon();
            seen->Buttons = box->standardButtons();
            seen->StaysOnTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            box->accept();
        });
        return seen;
    }

private Q_SLOTS:
    void initTestCase() { LoadTranslations(); }

    void init()
    {
        FHome.emplace();
        FStandIn.emplace();
        NewPicFolder();
        SetCurrentLanguage(u"en"_s);
        TConfig(SettingsPath).WriteString(u"format"_s, u"PNG"_s);
    }

    void cleanup()
    {
        RemovePicFolder();
        FStandIn.reset();
        FHome.reset();
    }

    void a_run_converts_every_row_and_unlocks_the_window()
    {
        FStandIn->SetWritesNothing(u"magick"_s, u"bad"_s);
        auto window = Window();
        window->AddFile({WritePic(u"a.jpg"_s), WritePic(u"bad.jpg"_s), WritePic(u"c.jpg"_s)});
        QCOMPARE(Statuses(*window), QStringList(3, u"Ready"_s));
        QSignalSpy finishedRows(&Progress(*window), &QProgressBar::valueChanged);

        Start(*window).click();
        QVERIFY(ShowsARun(*window));
        QCOMPARE(Progress(*window).maximum(), 3);

        QTRY_VERIFY(IsRunOver(*window));
        QCOMPARE(Statuses(*window), (QStringList{u"Success"_s, u"Fail"_s, u"Success"_s}));
        QVERIFY(IsIdle(*window));
        QCOMPARE(Progress(*window).value(), 0);
        QVERIFY(QFile::exists(Pic(u"a.png"_s)));
        QVERIFY(QFile::exists(Pic(u"c.png"_s)));
        // A work folder per job serves the whole run, emptied between files and gone at its end.
        QSet<QString> workFolders;
        for (const TStandInCall& call : FStandIn->Calls())
            workFolders.insert(call.WorkingFolder);
        QVERIFY(workFolders.size() <= std::min(2, DefaultJobCount()));
        QCOMPARE(FHome->ScratchEntries(), QStringList());

        // The bar counts the finished rows, whichever finishes first.
        QList<int> values;
        for (const QList<QVariant>& change : finishedRows)
            values << change.at(0).toInt();
        QCOMPARE(values, (QList<int>{0, 1, 2, 3, 0}));
    }

    void a_failed_row_tells_its_reason_in_a_tool_tip()
    {
        FStandIn->SetWritesNothing(u"magick"_s);
        FStandIn->SetPrinted(u"magick"_s, u"magick: improper image header"_s);
        auto window = Window();
        window->AddFile({WritePic(u"a.jpg"_s)});
        Start(*window).click();
        QTRY_VERIFY(IsRunOver(*window));

        const QModelIndex status = Files(*window).index(0, TFileListModel::ColumnStatus);
        QCOMPARE(status.data().toString(), u"Fail"_s);
        QVERIFY(status.data(Qt::ToolTipRole).toString().contains(u"improper image header"_s));
    }

    void every_row_is_converted_again_on_the_next_press()
    {
        auto window = Window();
        window->AddFile({WritePic(u"a.jpg"_s)});
        for (int press = 0; press < 2; ++press) {
            Start(*window).click();
            QCOMPARE(Statuses(*window), QStringList{u"Ready"_s});
            QTRY_VERIFY(IsRunOver(*window));
            QCOMPARE(Statuses(*window), QStringList{u"Success"_s});
        }
        QCOMPARE(CalledInputs(), (QStringList{u"a.jpg"_s, u"a.jpg"_s}));
    }

    // Rows start in list order, as many at once as the option says (the stored value brought
    // into 1 to the number of cores; 0 or none for one per core), each ImageMagick then held to
    // one thread.
    void several_rows_are_under_way_at_once_data()
    {
        QTest::addColumn<std::optional<int>>("stored");
        QTest::addColumn<int>("jobs");
        const int cores = DefaultJobCount();
        QTest::newRow("nothing stored") << std::optional<int>() << cores;
        QTest::newRow("0") << std::optional<int>(0) << cores;
        QTest::newRow("1") << std::optional<int>(1) << 1;
        QTest::newRow("2") << std::optional<int>(2) << std::min(2, cores);
        QTest::newRow("more than the cores") << std::optional<int>(cores + 5) << cores;
        QTest::newRow("negative") << std::optional<int>(-3) << cores;
    }
    void several_rows_are_under_way_at_once()
    {
        QFETCH(std::optional<int>, stored);
        QFETCH(int, jobs);
        if (stored)
            StoreJobs(*stored);
        FStandIn->SetWaitsForGate(u"magick"_s);
        auto window = Window();
        QStringList names;
        for (int index = 0; index < jobs + 2; ++index)
            names << u"%1.jpg"_s.arg(index);
        for (const QString& name : names)
            window->AddFile({WritePic(name)});

        Start(*window).click();
        QStringList underWay = QStringList(jobs, u"Convert"_s) + QStringList(2, u"Ready"_s);
        QTRY_COMPARE(Statuses(*window), underWay);
        QTRY_COMPARE(FStandIn->Calls().size(), qsizetype(jobs));
        QCOMPARE(Sorted(CalledInputs()), names.mid(0, jobs));
        for (const TStandInCall& call : FStandIn->Calls()) {
            QVERIFY(::IsRunning(call.ProcessId));
            QCOMPARE(call.Environment.value(u"MAGICK_THREAD_LIMIT"_s),
                     jobs > 1 ? u"1"_s : QString());
        }
        QCOMPARE(Progress(*window).value(), 0);

        FStandIn->OpenGate();
        QTRY_VERIFY(IsRunOver(*window));
        QCOMPARE(Statuses(*window), QStringList(names.size(), u"Success"_s));
        QCOMPARE(PngsBelow(Pics()).size(), names.size());
    }

    // Files that could claim the same output name wait for each other, in list order; the
    // outputs are those of a run of one file at a time.
    void outputs_equal_those_of_one_job_for_colliding_names()
    {
        FStandIn->SetWritesItsInput(u"magick"_s);
        const QStringList names = {u"slow/a.jpg"_s, u"b.jpg"_s,    u"other/a.jpg"_s,
                                   u"a (1).png"_s,  u"c.jpg"_s,    u"third/A.gif"_s,
                                   u"b (2).jpg"_s,  u"d-001.jpg"_s};
        auto window = Window();
        for (const QString& name : names)
            window->AddFile({WritePic(name)});
        ChosenFolder(*window).setChecked(true);

        QMap<QString, QByteArray> outputs[2];
        for (const int jobs : {1, 2}) {
            const QString out = Pic(u"out-%1"_s.arg(jobs));
            ChosenFolder(*window).setText(out);
            Control<TSpinEdit>(*window, u"EditJobs"_s).SetValue(jobs);
            // The first file holds the others up until the gate opens.
            FStandIn->SetWaitsForGate(u"magick"_s, u"slow/a.jpg"_s);
            QFile::remove(FStandIn->Folder() + u"/gate.open"_s);

            Start(*window).click();
            QTRY_COMPARE(Statuses(*window).first(), u"Convert"_s);
            if (jobs == 2) {
                QTRY_COMPARE(Statuses(*window).at(1), u"Success"_s);
                QCOMPARE(Statuses(*window).at(2), u"Ready"_s);
            }
            FStandIn->OpenGate();
            QTRY_VERIFY(IsRunOver(*window));
            QCOMPARE(Statuses(*window), QStringList(names.size(), u"Success"_s));
            outputs[jobs - 1] = FilesBelow(out);
        }
        QCOMPARE(outputs[0].size(), names.size());
        QCOMPARE(outputs[0].value(u"a.png"_s), JpegBytes + "slow/a.jpg");
        QCOMPARE(outputs[1], outputs[0]);
    }

    void during_a_run_drops_deletes_and_the_format_menu_are_refused()
    {
        FStandIn->SetWaitsForGate(u"magick"_s);
        StoreJobs(1);
        auto window = Window();
        window->show();
        window->AddFile({WritePic(u"a.jpg"_s), WritePic(u"b.jpg"_s)});
        Start(*window).click();
        QTRY_COMPARE(Statuses(*window), (QStringList{u"Convert"_s, u"Ready"_s}));

        Drop(*window, {WritePic(u"late.jpg"_s)});
        Select(*window, {0, 1});
        Trigger(*window, u"BtnDelete"_s);
        Trigger(*window, u"BtnDeleteAll"_s);
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5),
                                  Start(*window).mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&Start(*window), &request);
        QCOMPARE(Titles(*window), (QStringList{u"a.jpg"_s, u"b.jpg"_s}));
        QVERIFY(!Control<QMenu>(*window, u"PopSave"_s).isVisible());
        QVERIFY(ShowsARun(*window));

        FStandIn->OpenGate();
        QTRY_VERIFY(IsRunOver(*window));
        QCOMPARE(Titles(*window), (QStringList{u"a.jpg"_s, u"b.jpg"_s}));
        QCOMPARE(Statuses(*window), (QStringList{u"Success"_s, u"Success"_s}));
    }

    // The programs under way end with the children they started; nothing reaches an output name,
    // their rows and the rows not begun are Ready again, and the window is unlocked.
    void stop_ends_the_programs_and_unlocks_the_window()
    {
        FStandIn->SetHangs(u"magick"_s);
        StoreJobs(2);
        auto window = Window();
        window->AddFile({WritePic(u"a.jpg"_s), WritePic(u"b.jpg"_s), WritePic(u"c.jpg"_s)});
        Start(*window).click();
        const int underWay = std::min(2, DefaultJobCount());
        QTRY_COMPARE(FStandIn->Children(u"magick"_s).size(), qsizetype(underWay));
        QTRY_COMPARE(Statuses(*window).count(u"Convert"_s), underWay);

        Start(*window).click();
        QVERIFY(!Start(*window).isEnabled());
        QCOMPARE(Start(*window).text(), u"Stop"_s);
        QTRY_VERIFY(IsRunOver(*window));

        QTRY_VERIFY(NoProgramIsLeft());
        QCOMPARE(FStandIn->Calls().size(), qsizetype(underWay));
        QCOMPARE(Statuses(*window), QStringList(3, u"Ready"_s));
        QCOMPARE(PngsBelow(Pics()), QStringList());
        QCOMPARE(FHome->ScratchEntries(), QStringList());
        QVERIFY(IsIdle(*window));
        QCOMPARE(Control<QLabel>(*window, u"LblSummary"_s).text(), u"0 converted, 0 failed"_s);
    }

    void stop_keeps_the_rows_already_done()
    {
        FStandIn->SetWaitsForGate(u"magick"_s, u"slow"_s);
        FStandIn->SetWritesNothing(u"magick"_s, u"bad"_s);
        StoreJobs(2);
        if (DefaultJobCount() < 2)
            QSKIP("Needs two cores for two jobs.");
        auto window = Window();
        window->AddFile({WritePic(u"done.jpg"_s), WritePic(u"bad.jpg"_s), WritePic(u"slow1.jpg"_s),
                         WritePic(u"slow2.jpg"_s), WritePic(u"later.jpg"_s)});
        Start(*window).click();
        const QStringList underWay = {u"Success"_s, u"Fail"_s, u"Convert"_s, u"Convert"_s,
                                      u"Ready"_s};
        QTRY_COMPARE(Statuses(*window), underWay);

        Start(*window).click();
        QTRY_VERIFY(IsRunOver(*window));

        QTRY_VERIFY(NoProgramIsLeft());
        QCOMPARE(Statuses(*window),
                 (QStringList{u"Success"_s, u"Fail"_s, u"Ready"_s, u"Ready"_s, u"Ready"_s}));
        QCOMPARE(PngsBelow(Pics()), QStringList{u"done.png"_s});
        QCOMPARE(Control<QLabel>(*window, u"LblSummary"_s).text(), u"1 converted, 1 failed"_s);
        // The failure keeps its reason; the stopped rows have none.
        QVERIFY(!Files(*window)
                     .index(1, TFileListModel::ColumnStatus)
                     .data(Qt::ToolTipRole)
                     .toString()
                     .isEmpty());
        QVERIFY(
            Files(*window).index(2, TFileListModel::ColumnStatus).data(Qt::ToolTipRole).isNull());
    }

    // A close during a run asks once; yes stops the run and closes once the programs have ended,
    // without a second question for a second close; no leaves the run going.
    void closing_during_a_run_asks_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void closing_during_a_run_asks()
    {
        QFETCH(bool, answer);
        FStandIn->SetHangs(u"magick"_s);
        auto window = Window();
        int questions = 0;
        window->SetCloseQuestion([&] {
            ++questions;
            return answer;
        });
        window->show();
        window->AddFile({WritePic(u"a.jpg"_s), WritePic(u"b.jpg"_s), WritePic(u"c.jpg"_s)});
        Start(*window).click();
        QTRY_VERIFY(!FStandIn->Children(u"magick"_s).isEmpty());

        QVERIFY(!window->close());
        QCOMPARE(questions, 1);
        if (answer) {
            QVERIFY(!window->close());
            QCOMPARE(questions, 1);
            QTRY_VERIFY(!window->isVisible());
            QTRY_VERIFY(NoProgramIsLeft());
            QCOMPARE(PngsBelow(Pics()), QStringList());
            QCOMPARE(Files(*window).rowCount(), 0);
            return;
        }
        QVERIFY(window->isVisible());
        QVERIFY(ShowsARun(*window));
        QVERIFY(std::ranges::all_of(FStandIn->Calls(), [](const TStandInCall& call) {
            return ::IsRunning(call.ProcessId);
        }));
        Start(*window).click();
        QTRY_VERIFY(IsRunOver(*window));
        QVERIFY(window->close());
        QCOMPARE(questions, 1);
    }

    // Closing the question by any other way than its yes button counts as no.
    void the_close_question_is_translated_and_defaults_to_no()
    {
        FStandIn->SetWaitsForGate(u"magick"_s);
        SetCurrentLanguage(u"fr"_s);
        auto window = Window();
        window->show();
        window->AddFile({WritePic(u"a.jpg"_s)});
        Start(*window).click();
        QTRY_COMPARE(Statuses(*window), QStringList{u"Convertir"_s});

        QStringList shown;
        QTimer::singleShot(0, [&shown] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            shown << box->text() << box->windowTitle();
            for (QAbstractButton* button : box->buttons())
                shown << button->text();
            box->reject();
        });
        QVERIFY(!window->close());

        QCOMPARE(shown.mid(0, 2),
                 (QStringList{u"Arrêter la conversion et fermer le programme ?"_s, u"Morvane"_s}));
        QCOMPARE(Sorted(shown.mid(2)), (QStringList{u"Non"_s, u"Oui"_s}));
        QVERIFY(window->isVisible());
        QCOMPARE(Statuses(*window), QStringList{u"Convertir"_s});
        FStandIn->OpenGate();
        QTRY_VERIFY(IsRunOver(*window));
    }

    // A request to end from outside (a signal, the session's end) closes without asking, once the
    // programs of the run have ended.
    void stop_and_close_ends_the_run_first()
    {
        FStandIn->SetHangs(u"magick"_s);
        auto window = Window();
        int questions = 0;
        window->SetCloseQuestion([&] {
            ++questions;
            return false;
        });
        window->show();
        window->AddFile({WritePic(u"a.jpg"_s), WritePic(u"b.jpg"_s)});
        Start(*window).click();
        QTRY_VERIFY(!FStandIn->Children(u"magick"_s).isEmpty());

        window->StopAndClose();
        QVERIFY(window->isVisible());
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(questions, 0);
        QTRY_VERIFY(NoProgramIsLeft());
        QCOMPARE(PngsBelow(Pics()), QStringList());
    }

    // Nor does it wait for the answer to a close question on view: the question goes, and the
    // window closes once the programs have ended.
    void stop_and_close_does_not_wait_for_the_close_question()
    {
        FStandIn->SetHangs(u"magick"_s);
        auto window = Window();
        window->show();
        window->AddFile({WritePic(u"a.jpg"_s), WritePic(u"b.jpg"_s)});
        Start(*window).click();
        QTRY_VERIFY(!FStandIn->Children(u"magick"_s).isEmpty());

        bool asked = false;
        QTimer::singleShot(0, [&] {
            asked = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
            window->StopAndClose();
        });
        // Should the question stay, a person would answer it at last; the test does so too.
        bool answeredByHand = false;
        QTimer answerAtLast;
        answerAtLast.callOnTimeout([&answeredByHand] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                answeredByHand = true;
                box->reject();
            }
        });
        answerAtLast.start(20000);
        window->close();
        answerAtLast.stop();

        QVERIFY(asked);
        QVERIFY(!answeredByHand);
        QTRY_VERIFY(!window->isVisible());
        QTRY_VERIFY(NoProgramIsLeft());
        QCOMPARE(PngsBelow(Pics()), QStringList());
    }

    void a_window_destroyed_during_a_run_ends_it()
    {
        FStandIn->SetHangs(u"magick"_s);
        StoreJobs(1);
        auto window = Window();
        window->AddFile({WritePic(u"a.jpg"_s), WritePic(u"b.jpg"_s)});
        Start(*window).click();
        QTRY_COMPARE(FStandIn->Children(u"magick"_s).size(), 1);
        QVERIFY(IsRunThreadAlive());

        window.reset();
        QTRY_VERIFY(!IsRunThreadAlive());
        QTRY_VERIFY(NoProgramIsLeft());
        QCOMPARE(CalledInputs(), QStringList{u"a.jpg"_s});
        QCOMPARE(PngsBelow(Pics()), QStringList());
        QCOMPARE(FHome->ScratchEntries(), QStringList());
    }

    // The counts are those of the rows; the chosen folder the outputs went to can be opened.
    void the_summary_counts_the_rows_data()
    {
        QTest::addColumn<bool>("intoChosenFolder");
        QTest::newRow("into a chosen folder") << true;
        QTest::newRow("beside the sources") << false;
    }
    void the_summary_counts_the_rows()
    {
        QFETCH(bool, intoChosenFolder);
        FStandIn->SetWritesNothing(u"magick"_s, u"bad"_s);
        auto window = Window();
        window->show();
        const QString out = Pic(u"my out"_s);
        ChosenFolder(*window).setText(out);
        ChosenFolder(*window).setChecked(intoChosenFolder);
        window->AddFile({WritePic(u"a.jpg"_s), WritePic(u"bad1.jpg"_s), WritePic(u"c.jpg"_s),
                         WritePic(u"bad2.jpg"_s), WritePic(u"e.jpg"_s)});
        auto& summary = Control<QLabel>(*window, u"LblSummary"_s);
        auto& openFolder = Button(*window, u"BtnOpenFolder"_s);
        QVERIFY(!summary.isVisible());

        Start(*window).click();
        QTRY_VERIFY(IsRunOver(*window));
        const QStringList statuses = Statuses(*window);
        QCOMPARE(summary.text(), u"%1 converted, %2 failed"_s.arg(statuses.count(u"Success"_s))
                                     .arg(statuses.count(u"Fail"_s)));
        QCOMPARE(summary.text(), u"3 converted, 2 failed"_s);
        QVERIFY(summary.isVisible());
        QCOMPARE(openFolder.isVisible(), intoChosenFolder);
        if (intoChosenFolder) {
            TUrlCatcher catcher;
            QDesktopServices::setUrlHandler(u"file"_s, &catcher, "Open");
            openFolder.click();
            QDesktopServices::unsetUrlHandler(u"file"_s);
            QCOMPARE(catcher.Opened.size(), 1);
            QCOMPARE(QDir(catcher.Opened.constFirst().toLocalFile()), QDir(out));
        }

        // It goes during the next run, and when the rows it counted change.
        FStandIn->SetWaitsForGate(u"magick"_s);
        Start(*window).click();
        QVERIFY(!summary.isVisible() && !openFolder.isVisible());
        FStandIn->OpenGate();
        QTRY_VERIFY(IsRunOver(*window));
        QVERIFY(summary.isVisible());
        Select(*window, {1});
        Trigger(*window, u"BtnDelete"_s);
        QVERIFY(!summary.isVisible() && !openFolder.isVisible());
    }

    void the_drop_hint_shows_while_the_list_is_empty()
    {
        auto window = Window();
        window->show();
        const auto& hint = Control<QLabel>(*window, u"LblDropHint"_s);
        QCOMPARE(hint.text(), u"Drop images or folders here"_s);
        QVERIFY(hint.isVisible());

        Drop(*window, {WritePic(u"a.jpg"_s)});
        QVERIFY(!hint.isVisible());
        Trigger(*window, u"BtnDeleteAll"_s);
        QVERIFY(hint.isVisible());
        window->AddFile({WritePic(u"b.jpg"_s), WritePic(u"c.jpg"_s)});
        QVERIFY(!hint.isVisible());
        Select(*window, {0, 1});
        Trigger(*window, u"BtnDelete"_s);
        QVERIFY(hint.isVisible());
    }

    void pressing_start_with_an_empty_list_changes_nothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("caption");
        QTest::newRow("interactive") << QStringList{u"morvane"_s} << u"Convert to PNG"_s;
        QTest::newRow("automatic, nothing listed")
            << QStringList{u"morvane"_s, u"/auto"_s, u"PNG"_s, u"/nowhere/notes.txt"_s}
            << u"Convert to PNG"_s;
    }
    void pressing_start_with_an_empty_list_changes_nothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, caption);
        auto window = Window(arguments);
        Start(*window).click();
        QCOMPARE(Start(*window).text(), caption);
        QVERIFY(IsIdle(*window));
        QVERIFY(FStandIn->Calls().isEmpty());
    }

    void a_chosen_folder_is_made_when_missing_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("existing") << u"out"_s;
        QTest::newRow("missing, with missing parents") << u"new/deeper/out"_s;
        QTest::newRow("with a trailing delimiter") << u"out/"_s;
    }
    void a_chosen_folder_is_made_when_missing()
    {
        QFETCH(QString, folder);
        QDir().mkpath(Pic(u"out"_s));
        auto window = Window();
        ChosenFolder(*window).setText(Pic(folder));
        ChosenFolder(*window).setChecked(true);
        window->AddFile({WritePic(u"in/a.jpg"_s)});

        Start(*window).click();
        QTRY_VERIFY(IsRunOver(*window));
        QCOMPARE(Statuses(*window), QStringList{u"Success"_s});
        QVERIFY(QFile::exists(QDir(Pic(folder)).filePath(u"a.png"_s)));
    }

    void a_folder_that_cannot_be_made_is_reported_and_nothing_starts()
    {
        const QString blocker = WritePic(u"plain-file"_s);
        auto window = Window();
        ChosenFolder(*window).setText(blocker + u"/out"_s);
        ChosenFolder(*window).setChecked(true);
        window->AddFile({WritePic(u"a.jpg"_s)});

        const auto seen = CatchMessageBox();
        Start(*window).click();
        QCOMPARE(seen->Text, u"Please select a folder to save to again."_s);
        QCOMPARE(seen->Title, window->windowTitle());
        QCOMPARE(seen->Icon, QMessageBox::Critical);
        QCOMPARE(seen->Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(seen->StaysOnTop);
        QVERIFY(IsIdle(*window));
        QCOMPARE(Start(*window).text(), u"Convert to PNG"_s);
        QCOMPARE(Statuses(*window), QStringList{u"Ready"_s});
        QVERIFY(FStandIn->Calls().isEmpty());
    }

    void automatic_mode_converts_in_reverse_order_beside_the_sources()
    {
        StoreJobs(1);
        TConfig(SettingsPath).WriteInteger(u"save"_s, 2);
        TConfig(SettingsPath).WriteString(u"savepath"_s, Pic(u"chosen"_s));
        const QString a = WritePic(u"one/a.jpg"_s);
        const QString b = WritePic(u"two/b.jpg"_s);
        auto window = Window({u"morvane"_s, u"/auto"_s, u"png"_s, a, b});
        window->show();
        QCOMPARE(Titles(*window), (QStringList{u"b.jpg"_s, u"a.jpg"_s}));
        QVERIFY(!List(*window).viewport()->acceptDrops());

        QTRY_COMPARE(Start(*window).text(), u"png converted"_s);
        QCOMPARE(Statuses(*window), (QStringList{u"Success"_s, u"Success"_s}));
        QCOMPARE(CalledInputs(), (QStringList{u"b.jpg"_s, u"a.jpg"_s}));
        QVERIFY(QFile::exists(Pic(u"one/a.png"_s)));
        QVERIFY(QFile::exists(Pic(u"two/b.png"_s)));
        QVERIFY(!QFile::exists(Pic(u"chosen"_s)));
        QVERIFY(Start(*window).isEnabled());
        QVERIFY(Button(*window, u"BtnHome"_s).isEnabled());
        QVERIFY(!Button(*window, u"BtnConfig"_s).isEnabled());
        QVERIFY(Start(*window).contextMenuPolicy() != Qt::CustomContextMenu);

        Start(*window).click();
        QVERIFY(!window->isVisible());
    }

    void automatic_mode_lists_folders_and_keeps_relative_paths()
    {
        WritePic(u"folder/x.jpg"_s);
        WritePic(u"folder/sub/y.jpg"_s);
        WritePic(u"rel.jpg"_s);
        QVERIFY(QDir::setCurrent(Pics()));
        auto window = Window({u"morvane"_s, u"/auto"_s, u"PNG"_s, u"rel.jpg"_s, u"folder"_s});

        QCOMPARE(Files(*window).Info(Files(*window).rowCount() - 1).FileName, u"rel.jpg"_s);
        QCOMPARE(Files(*window).rowCount(), 3);
        QTRY_COMPARE(Start(*window).text(), u"PNG converted"_s);
        QCOMPARE(Statuses(*window), QStringList(3, u"Success"_s));
        QVERIFY(QFile::exists(Pic(u"rel.png"_s)));
        QVERIFY(QFile::exists(Pic(u"folder/sub/y.png"_s)));
    }

    void dropped_files_and_folders_are_listed_once()
    {
        const QString folder = Pic(u"drop"_s);
        const QString inner = WritePic(u"drop/a.jpg"_s);
        WritePic(u"drop/sub/b.jpg"_s);
        const QString single = WritePic(u"single.jpg"_s);
        auto window = Window();

        Drop(*window, {single, folder});
        Drop(*window, {inner, single});
        QCOMPARE(Sorted(Titles(*window)), (QStringList{u"a.jpg"_s, u"b.jpg"_s, u"single.jpg"_s}));
        QCOMPARE(Titles(*window).first(), u"single.jpg"_s);
    }

    void delete_removes_exactly_the_selected_rows_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("none") << QList<int>{}
                              << QStringList{u"0.jpg"_s, u"1.jpg"_s, u"2.jpg"_s, u"3.jpg"_s};
        QTest::newRow("first and third") << QList<int>{0, 2} << QStringList{u"1.jpg"_s, u"3.jpg"_s};
        QTest::newRow("all") << QList<int>{0, 1, 2, 3} << QStringList{};
    }
    void delete_removes_exactly_the_selected_rows()
    {
        QFETCH(QList<int>, selected);
        QFETCH(QStringList, kept);
        auto window = Window();
        for (int index = 0; index < 4; ++index)
            window->AddFile({WritePic(u"%1.jpg"_s.arg(index))});
        Select(*window, selected);

        Trigger(*window, u"BtnDelete"_s);
        QCOMPARE(Titles(*window), kept);
        QVERIFY(List(*window).updatesEnabled());
    }

    void delete_all_and_closing_empty_the_list()
    {
        auto window = Window();
        window->show();
        window->AddFile({WritePic(u"a.jpg"_s), WritePic(u"b.jpg"_s)});
        Trigger(*window, u"BtnDeleteAll"_s);
        QCOMPARE(Files(*window).rowCount(), 0);
        Trigger(*window, u"BtnDeleteAll"_s);
        QCOMPARE(Files(*window).rowCount(), 0);

        window->AddFile({WritePic(u"a.jpg"_s)});
        QVERIFY(List(*window).viewport()->acceptDrops());
        QVERIFY(window->close());
        QCOMPARE(Files(*window).rowCount(), 0);
        QVERIFY(!List(*window).viewport()->acceptDrops());
    }
};

QTEST_MAIN(TConversionRunTest)
#include "tst_conversionrun.moc"
