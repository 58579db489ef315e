#include "PicFixture.h"
#include "StandIn.h"
#include "TestFiles.h"
#include "TestHome.h"
#include "WindowControls.h"
#include "config/Config.h"
#include "i18n/Translate.h"
#include "window/FrmMorvane.h"

#include <QAbstractButton>
#include <QAction>
#include <QDropEvent>
#include <QItemSelectionModel>
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

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString SettingsPath = u"Dovrelan\\Morvane"_s;
const QByteArray JpegBytes = QByteArray::fromHex("FFD8FFE000104A4649460001") + "rest of it";

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

    static bool IsLocked(const TFrmMorvane& window)
    {
        return !Start(window).isEnabled() && Start(window).text().isEmpty() &&
               !Button(window, u"BtnHome"_s).isEnabled() &&
               !Button(window, u"BtnConfig"_s).isEnabled() &&
               Progress(window).isVisibleTo(&window) &&
               Control(window, u"Indicator"_s).isVisibleTo(&window);
    }

    static bool IsIdle(const TFrmMorvane& window)
    {
        return Start(window).isEnabled() && Button(window, u"BtnHome"_s).isEnabled() &&
               Button(window, u"BtnConfig"_s).isEnabled() &&
               !Progress(window).isVisibleTo(&window) &&
               !Control(window, u"Indicator"_s).isVisibleTo(&window);
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
        QSignalSpy positions(&Progress(*window), &QProgressBar::valueChanged);

        Start(*window).click();
        QVERIFY(IsLocked(*window));
        QCOMPARE(Progress(*window).maximum(), 3);

        QTRY_VERIFY(Start(*window).isEnabled());
        QCOMPARE(Statuses(*window), (QStringList{u"Success"_s, u"Fail"_s, u"Success"_s}));
        QVERIFY(IsIdle(*window));
        QCOMPARE(Progress(*window).value(), 0);
        QCOMPARE(Start(*window).text(), u"Convert to PNG"_s);
        QVERIFY(QFile::exists(Pic(u"a.png"_s)));
        QVERIFY(QFile::exists(Pic(u"c.png"_s)));
        // One work folder serves the whole run, emptied between files and gone at its end.
        QSet<QString> workFolders;
        for (const TStandInCall& call : FStandIn->Calls())
            workFolders.insert(call.WorkingFolder);
        QCOMPARE(workFolders.size(), 1);
        QCOMPARE(FHome->ScratchEntries(), QStringList());

        QList<int> values;
        for (const QList<QVariant>& change : positions)
            values << change.at(0).toInt();
        QCOMPARE(values, (QList<int>{0, 1, 2, 0}));
    }

    void a_failed_row_tells_its_reason_in_a_tool_tip()
    {
        FStandIn->SetWritesNothing(u"magick"_s);
        FStandIn->SetPrinted(u"magick"_s, u"magick: improper image header"_s);
        auto window = Window();
        window->AddFile({WritePic(u"a.jpg"_s)});
        Start(*window).click();
        QTRY_VERIFY(Start(*window).isEnabled());

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
            QTRY_VERIFY(Start(*window).isEnabled());
            QCOMPARE(Statuses(*window), QStringList{u"Success"_s});
        }
        QCOMPARE(CalledInputs(), (QStringList{u"a.jpg"_s, u"a.jpg"_s}));
    }

    void during_a_run_drops_deletes_and_closing_are_refused()
    {
        FStandIn->SetWaitsForGate(u"magick"_s);
        auto window = Window();
        window->show();
        window->AddFile({WritePic(u"a.jpg"_s), WritePic(u"b.jpg"_s)});
        Start(*window).click();
        QTRY_COMPARE(Statuses(*window), (QStringList{u"Convert"_s, u"Ready"_s}));

        Drop(*window, {WritePic(u"late.jpg"_s)});
        Select(*window, {0, 1});
        Trigger(*window, u"BtnDelete"_s);
        Trigger(*window, u"BtnDeleteAll"_s);
        QVERIFY(!window->close());
        QVERIFY(window->isVisible());
        QCOMPARE(Titles(*window), (QStringList{u"a.jpg"_s, u"b.jpg"_s}));
        QVERIFY(IsLocked(*window));

        FStandIn->OpenGate();
        QTRY_VERIFY(Start(*window).isEnabled());
        QCOMPARE(Titles(*window), (QStringList{u"a.jpg"_s, u"b.jpg"_s}));
        QCOMPARE(Statuses(*window), (QStringList{u"Success"_s, u"Success"_s}));
        QVERIFY(window->close());
    }

    void a_window_destroyed_during_a_run_ends_it()
    {
        FStandIn->SetWaitsForGate(u"magick"_s);
        auto window = Window();
        window->AddFile({WritePic(u"a.jpg"_s), WritePic(u"b.jpg"_s)});
        Start(*window).click();
        QTRY_COMPARE(Statuses(*window), (QStringList{u"Convert"_s, u"Ready"_s}));
        QVERIFY(IsRunThreadAlive());

        window.reset();
        FStandIn->OpenGate();
        QTRY_VERIFY(!IsRunThreadAlive());
        QCOMPARE(CalledInputs(), QStringList{u"a.jpg"_s});
        QCOMPARE(FHome->ScratchEntries(), QStringList());
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
        QTRY_VERIFY(Start(*window).isEnabled());
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
