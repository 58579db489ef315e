#include "StandIn.h"
#include "TestFiles.h"
#include "TestHome.h"
#include "UrlCatcher.h"
#include "WindowControls.h"
#include "base/MorvaneBuild.h"
#include "batch/JobPool.h"
#include "config/Config.h"
#include "controls/SpinEdit.h"
#include "desktop/FolderDialog.h"
#include "i18n/Translate.h"
#include "window/FrmMorvane.h"
#include "window/SettingsPage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString SettingsPath = u"Dovrelan\\Morvane"_s;
const QStringList NoArguments = {u"morvane"_s};
const QStringList OptionNames = {u"format"_s, u"savepath"_s, u"save"_s, u"resize_w"_s,
                                 u"width"_s,  u"quality"_s,  u"jobs"_s};

void Store(const QVariantMap& values)
{
    TConfig config(SettingsPath);
    for (auto value = values.cbegin(); value != values.cend(); ++value) {
        if (value->typeId() == QMetaType::QString)
            config.WriteString(value.key(), value->toString());
        else if (value->typeId() == QMetaType::Bool)
            config.WriteBoolean(value.key(), value->toBool());
        else
            config.WriteInteger(value.key(), value->toInt());
    }
}

// The stored value read with the kind of `expected`, or an invalid value when it is missing.
QVariant Stored(const QString& name, const QVariant& expected)
{
    const QString missing = u"<missing>"_s;
    const int missingNumber = -987654;
    TConfig config(SettingsPath);
    if (expected.typeId() == QMetaType::QString) {
        const QString text = config.ReadString(name, missing);
        return text == missing ? QVariant() : QVariant(text);
    }
    const int number = config.ReadInteger(name, missingNumber);
    if (number == missingNumber)
        return {};
    return expected.typeId() == QMetaType::Bool ? QVariant(number != 0) : QVariant(number);
}

bool IsStored(const QString& name)
{
    try {
        return Stored(name, QString()).isValid();
    } catch (const TConfigError&) {
        return true; // stored with the other kind
    }
}

QStringList StoredNames()
{
    QStringList names;
    for (const QString& name : OptionNames)
        if (IsStored(name))
            names.append(name);
    return names;
}

QString CheckedName(const TFrmMorvane& window, const QStringList& buttons)
{
    for (const QString& name : buttons)
        if (Control<QRadioButton>(window, name).isChecked())
            return name;
    return {};
}

QString CheckedFormat(const TFrmMorvane& window)
{
    return CheckedName(window, {u"BtnJPG"_s, u"BtnPNG"_s, u"BtnGIF"_s, u"BtnWEBP"_s, u"BtnTIFF"_s});
}

QString CheckedPath(const TFrmMorvane& window)
{
    return CheckedName(window, {u"ChkPath_1"_s, u"ChkPath_2"_s});
}

QAbstractButton& StartButton(const TFrmMorvane& window)
{
    return Control<QAbstractButton>(window, u"BtnStart"_s);
}

QRadioButton& ChosenFolderButton(const TFrmMorvane& window)
{
    return Control<QRadioButton>(window, u"ChkPath_2"_s);
}

TSpinEdit& SpinEdit(const TFrmMorvane& window, const QString& name)
{
    return Control<TSpinEdit>(window, name);
}

int ShownCard(const TFrmMorvane& window)
{
    return Control<QStackedWidget>(window, u"PnlMain"_s).currentIndex();
}

bool TakesDrops(const TFrmMorvane& window)
{
    return Control<QTreeView>(window, u"ListFile"_s).viewport()->acceptDrops();
}

QString DesktopMorvane()
{
    return QDir::toNativeSeparators(
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) + u"/Morvane"_s);
}

} // namespace

class TFrmMorvaneTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TTestHome> FHome;

    QString WriteJpeg(const QString& name) const
    {
        const QString path = FHome->Root() + u'/' + name;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(JpegBytes) != JpegBytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private Q_SLOTS:
    void initTestCase() { LoadTranslations(); }

    void init()
    {
        FHome = std::make_unique<TTestHome>();
        SetCurrentLanguage(u"en"_s);
    }

    void cleanup() { FHome.reset(); }

    void firstStart()
    {
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});

        QCOMPARE(CheckedFormat(window), u"BtnJPG"_s);
        QCOMPARE(StartButton(window).text(), u"Convert to JPG"_s);
        QCOMPARE(CheckedPath(window), u"ChkPath_1"_s);
        QCOMPARE(ChosenFolderButton(window).text(), DesktopMorvane());
        QVERIFY(!Control<QCheckBox>(window, u"ChkWidth"_s).isChecked());
        QVERIFY(!SpinEdit(window, u"EditWidth"_s).isEnabled());
        QCOMPARE(SpinEdit(window, u"EditWidth"_s).Value(), 540);
        QCOMPARE(SpinEdit(window, u"EditQuality"_s).Value(), 75);
        QCOMPARE(SpinEdit(window, u"EditJobs"_s).Value(), DefaultJobCount());
        QCOMPARE(ShownCard(window), 0);
        QVERIFY(Control<QAbstractButton>(window, u"BtnHome"_s).isChecked());
        QVERIFY(Control(window, u"Indicator"_s).isHidden());
        QVERIFY(Control(window, u"ProgressBar"_s).isHidden());

        QCOMPARE(StoredNames(), (QStringList{u"format"_s, u"save"_s}));
        QCOMPARE(Stored(u"format"_s, QString()), QVariant(u"JPG"_s));
        QCOMPARE(Stored(u"save"_s, 0), QVariant(1));
    }

    void storedValues_data()
    {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("checkedFormat");
        QTest::addColumn<QString>("checkedPath");
        QTest::addColumn<bool>("resize");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("quality");
        QTest::addColumn<QVariantMap>("storedAfter");

        const QString jpg = u"JPG"_s;
        const QString btnJpg = u"BtnJPG"_s;
        const QString path1 = u"ChkPath_1"_s;
        const QString path2 = u"ChkPath_2"_s;
        QTest::newRow("quality 30 rises to 40")
            << QVariantMap{{u"quality"_s, 30}} << jpg << btnJpg << path1 << false << 540 << 40
            << QVariantMap{{u"quality"_s, 40}};
        QTest::newRow("quality 150 falls to 100")
            << QVariantMap{{u"quality"_s, 150}} << jpg << btnJpg << path1 << false << 540 << 100
            << QVariantMap{{u"quality"_s, 100}};
        QTest::newRow("width 0 unbounded") << QVariantMap{{u"width"_s, 0}} << jpg << btnJpg << path1
                                           << false << 0 << 75 << QVariantMap{{u"width"_s, 0}};
        QTest::newRow("width negative unbounded")
            << QVariantMap{{u"width"_s, -20}} << jpg << btnJpg << path1 << false << -20 << 75
            << QVariantMap{{u"width"_s, -20}};
        QTest::newRow("width large unbounded")
            << QVariantMap{{u"width"_s, 100000}} << jpg << btnJpg << path1 << false << 100000 << 75
            << QVariantMap{{u"width"_s, 100000}};
        QTest::newRow("resize on")
            << QVariantMap{{u"resize_w"_s, true}, {u"width"_s, 800}} << jpg << btnJpg << path1
            << true << 800 << 75 << QVariantMap{{u"resize_w"_s, true}, {u"width"_s, 800}};
        for (int save : {0, 1, 3})
            QTest::addRow("save %d", save)
                << QVariantMap{{u"save"_s, save}} << jpg << btnJpg << path1 << false << 540 << 75
                << QVariantMap{{u"save"_s, 1}};
        QTest::newRow("save 2") << QVariantMap{{u"save"_s, 2}} << jpg << btnJpg << path2 << false
                                << 540 << 75 << QVariantMap{{u"save"_s, 2}};
        QTest::newRow("format PNG")
            << QVariantMap{{u"format"_s, u"PNG"_s}} << u"PNG"_s << u"BtnPNG"_s << path1 << false
            << 540 << 75 << QVariantMap{{u"format"_s, u"PNG"_s}};
        QTest::newRow("format jpg kept")
            << QVariantMap{{u"format"_s, u"jpg"_s}} << u"jpg"_s << QString() << path1 << false
            << 540 << 75 << QVariantMap{{u"format"_s, u"jpg"_s}};
        QTest::newRow("format BMP kept")
            << QVariantMap{{u"format"_s, u"BMP"_s}} << u"BMP"_s << QString() << path1 << false
            << 540 << 75 << QVariantMap{{u"format"_s, u"BMP"_s}};
    }
    void storedValues()
    {
        QFETCH(QVariantMap, stored);
        QFETCH(QString, format);
        QFETCH(QString, checkedFormat);
        QFETCH(QString, checkedPath);
        QFETCH(bool, resize);
        QFETCH(int, width);
        QFETCH(int, quality);
        QFETCH(QVariantMap, storedAfter);
        Store(stored);

        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});

        QCOMPARE(StartButton(window).text(), u"Convert to "_s + format);
        QCOMPARE(CheckedFormat(window), checkedFormat);
        QCOMPARE(CheckedPath(window), checkedPath);
        QCOMPARE(Control<QCheckBox>(window, u"ChkWidth"_s).isChecked(), resize);
        QCOMPARE(SpinEdit(window, u"EditWidth"_s).isEnabled(), resize);
        QCOMPARE(SpinEdit(window, u"EditWidth"_s).Value(), width);
        QCOMPARE(SpinEdit(window, u"EditWidth"_s).text(), QString::number(width));
        QCOMPARE(SpinEdit(window, u"EditQuality"_s).Value(), quality);
        for (auto value = storedAfter.cbegin(); value != storedAfter.cend(); ++value)
            QCOMPARE(Stored(value.key(), value.value()), value.value());
    }

    void storedFolderIsShown()
    {
        const QString folder = FHome->Root() + u"/out put"_s;
        Store({{u"savepath"_s, folder}});

        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});

        QCOMPARE(ChosenFolderButton(window).text(), folder);
        QCOMPARE(CheckedPath(window), u"ChkPath_1"_s);
    }

    void wrongTypedValueEndsLoading_data()
    {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("savePath");
        QTest::addColumn<QString>("checkedPath");

        QTest::newRow("format as number") << QVariantMap{{u"format"_s, 7}, {u"width"_s, 900}}
                                          << QString() << 540 << QString() << QString();
        QTest::newRow("resize_w as text")
            << QVariantMap{{u"resize_w"_s, u"yes"_s}, {u"width"_s, 900}} << u"JPG"_s << 540
            << DesktopMorvane() << QString();
        QTest::newRow("quality as text") << QVariantMap{{u"quality"_s, u"80"_s}, {u"width"_s, 900}}
                                         << u"JPG"_s << 900 << DesktopMorvane() << QString();
        QTest::newRow("save as text") << QVariantMap{{u"save"_s, u"2"_s}, {u"width"_s, 900}}
                                      << u"JPG"_s << 900 << DesktopMorvane() << QString();
        QTest::newRow("jobs as text")
            << QVariantMap{{u"jobs"_s, u"1"_s}, {u"width"_s, 900}, {u"save"_s, 2}} << u"JPG"_s
            << 900 << DesktopMorvane() << u"ChkPath_2"_s;
    }
    void wrongTypedValueEndsLoading()
    {
        QFETCH(QVariantMap, stored);
        QFETCH(QString, format);
        QFETCH(int, width);
        QFETCH(QString, savePath);
        QFETCH(QString, checkedPath);
        Store(stored);
        const QString wrongName = stored.firstKey();
        const QString message = u"Invalid data type for '%1'"_s.arg(wrongName);
        QTest::ignoreMessage(QtWarningMsg, qPrintable(message));

        // A path that lists nothing, so that no run starts.
        TFrmMorvane window({u"morvane"_s, u"/auto"_s, u"PNG"_s, u"a.txt"_s}, TFrmMorvaneSetup{});

        // The controls not reached keep their initial state and start-up goes on.
        QCOMPARE(ChosenFolderButton(window).text(), savePath);
        QCOMPARE(SpinEdit(window, u"EditWidth"_s).Value(), width);
        QCOMPARE(SpinEdit(window, u"EditQuality"_s).Value(), 75);
        QCOMPARE(SpinEdit(window, u"EditJobs"_s).Value(), DefaultJobCount());
        QCOMPARE(CheckedPath(window), checkedPath);
        QCOMPARE(CheckedFormat(window), QString());
        QVERIFY(!TakesDrops(window));
        QCOMPARE(StartButton(window).text(), u"Convert to PNG"_s);

        auto& options = Control<TSettingsPage>(window, u"PnlSetting"_s);
        options.ReplaceFormat(QString());
        try {
            options.LoadSettings();
            QFAIL("LoadSettings did not end with the store's error");
        } catch (const TConfigError& error) {
            QCOMPARE(error.Message(), message);
        }
        QCOMPARE(options.SaveFormat(), format);
    }

    void formatChoice_data()
    {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("format");

        QTest::newRow("menu PNG") << u"ChkPNG"_s << u"PNG"_s << u"PNG"_s;
        QTest::newRow("menu TIFF") << u"ChkTIFF"_s << u"TIFF"_s << u"TIFF"_s;
        QTest::newRow("menu JPG") << u"ChkJPG"_s << u"JPG"_s << u"JPG"_s;
        QTest::newRow("button GIF") << u"BtnGIF"_s << u"GIF"_s << u"GIF"_s;
        QTest::newRow("button WEBP") << u"BtnWEBP"_s << u"WEBP"_s << u"WEBP"_s;
        // Some desktops give every menu item and button an accelerator of their own.
        QTest::newRow("menu PNG, accelerator added") << u"ChkPNG"_s << u"&PNG"_s << u"PNG"_s;
        QTest::newRow("button GIF, accelerator added") << u"BtnGIF"_s << u"G&IF"_s << u"GIF"_s;
    }
    void formatChoice()
    {
        QFETCH(QString, sender);
        QFETCH(QString, caption);
        QFETCH(QString, format);
        // No format button is checked, so every choice is a change.
        Store({{u"format"_s, u"jpg"_s}});
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});

        if (auto* item = window.findChild<QAction*>(sender)) {
            item->setText(caption);
            item->trigger();
        } else {
            auto& button = Control<QAbstractButton>(window, sender);
            button.setText(caption);
            button.click();
        }

        QCOMPARE(CheckedFormat(window), u"Btn"_s + format);
        QCOMPARE(StartButton(window).text(), u"Convert to "_s + format);
        QCOMPARE(Stored(u"format"_s, QString()), QVariant(format));
    }

    void popupMenus_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items");

        QTest::newRow("start button")
            << u"BtnStart"_s << u"PopSave"_s
            << QStringList{u"JPG"_s, u"PNG"_s, u"GIF"_s, u"WEBP"_s, u"TIFF"_s};
        QTest::newRow("file list")
            << u"ListFile"_s << u"PopList"_s << QStringList{u"Delete"_s, u"Delete All"_s};
    }
    void popupMenus()
    {
        QFETCH(QString, control);
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* target = window.findChild<QWidget*>(control);
        if (auto* list = qobject_cast<QTreeView*>(target))
            target = list->viewport();
        auto* popup = window.findChild<QMenu*>(menu);

        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5),
                                  target->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(target, &request);

        QTRY_VERIFY(popup->isVisible());
        QStringList captions;
        for (const QAction* item : popup->actions())
            captions.append(item->text());
        QCOMPARE(captions, items);
        popup->close();
    }

    void typingIntoQuality()
    {
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        Control<QAbstractButton>(window, u"BtnConfig"_s).click();
        TSpinEdit& quality = SpinEdit(window, u"EditQuality"_s);
        QLineEdit* text = quality.findChild<QLineEdit*>();
        quality.setFocus();
        QTRY_VERIFY(quality.hasFocus());

        text->selectAll();
        QTest::keyClick(text, Qt::Key_Backspace);
        QCOMPARE(text->text(), QString());
        QCOMPARE(Stored(u"quality"_s, 0), QVariant(40));
        QTest::keyClick(text, Qt::Key_8);
        QCOMPARE(Stored(u"quality"_s, 0), QVariant(8));
        QTest::keyClick(text, Qt::Key_0);
        QCOMPARE(Stored(u"quality"_s, 0), QVariant(80));
        QTest::keyClick(text, Qt::Key_Backspace);
        QCOMPARE(Stored(u"quality"_s, 0), QVariant(8));

        Control(window, u"ChkPath_1"_s).setFocus();

        QTRY_VERIFY(!quality.hasFocus());
        QCOMPARE(text->text(), u"40"_s);
        QCOMPARE(Stored(u"quality"_s, 0), QVariant(40));
    }

    void widthOption()
    {
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});
        auto& resize = Control<QCheckBox>(window, u"ChkWidth"_s);
        TSpinEdit& width = SpinEdit(window, u"EditWidth"_s);

        resize.click();
        QVERIFY(width.isEnabled());
        QCOMPARE(Stored(u"resize_w"_s, true), QVariant(true));
        width.stepBy(1);
        QCOMPARE(Stored(u"width"_s, 0), QVariant(541));

        resize.click();
        QVERIFY(!width.isEnabled());
        QCOMPARE(Stored(u"resize_w"_s, true), QVariant(false));
    }

    // Each file option starts off, is stored when clicked, is shown again on the next start and
    // reaches the conversion.
    void fileOptions_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("name");

        QTest::newRow("remove photo information") << u"ChkStrip"_s << u"strip"_s;
        QTest::newRow("keep file dates") << u"ChkKeepDates"_s << u"keep_dates"_s;
        QTest::newRow("keep folder structure") << u"ChkKeepTree"_s << u"keep_tree"_s;
    }
    void fileOptions()
    {
        QFETCH(QString, box);
        QFETCH(QString, name);
        const auto optionsOn = [](const TFrmMorvane& window) {
            const TConvertOptions options =
                Control<TSettingsPage>(window, u"PnlSetting"_s).ConvertOptions();
            QStringList on;
            if (options.PhotoInformation == TPhotoInformation::Remove)
                on << u"strip"_s;
            if (options.FileDates == TFileDates::OfSource)
                on << u"keep_dates"_s;
            if (options.FolderTree == TFolderTree::Kept)
                on << u"keep_tree"_s;
            return on;
        };
        {
            TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});
            QCOMPARE(optionsOn(window), QStringList());
            Control<QCheckBox>(window, box).click();
            QCOMPARE(Stored(name, false), QVariant(true));
            QCOMPARE(optionsOn(window), QStringList{name});
        }
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});
        QVERIFY(Control<QCheckBox>(window, box).isChecked());
        QCOMPARE(optionsOn(window), QStringList{name});

        Control<QCheckBox>(window, box).click();
        QCOMPARE(Stored(name, true), QVariant(false));
        QCOMPARE(optionsOn(window), QStringList());
    }

    void outputChoice_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("save");

        QTest::newRow("chosen folder") << u"ChkPath_2"_s << 2;
        QTest::newRow("beside the source") << u"ChkPath_1"_s << 1;
    }
    void outputChoice()
    {
        QFETCH(QString, button);
        QFETCH(int, save);
        Store({{u"save"_s, 3 - save}});
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});

        Control<QRadioButton>(window, button).click();

        QCOMPARE(Stored(u"save"_s, 0), QVariant(save));
    }

    void folderChooser_data()
    {
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("caption");

        QTest::newRow("confirmed") << true << u"/chosen/folder"_s;
        QTest::newRow("cancelled") << false << u"/stored/folder"_s;
    }
    void folderChooser()
    {
        QFETCH(bool, confirmed);
        QFETCH(QString, caption);
        Store({{u"savepath"_s, u"/stored/folder"_s}});
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});
        QString startedAt;
        window.SetFolderChooser([&](QString& folder) {
            startedAt = folder;
            if (confirmed)
                folder = u"/chosen/folder"_s;
            return confirmed;
        });

        Control<QAbstractButton>(window, u"BtnSaveDir"_s).click();

        QCOMPARE(startedAt, u"/stored/folder"_s);
        QCOMPARE(ChosenFolderButton(window).text(), caption);
        QCOMPARE(Stored(u"savepath"_s, QString()), QVariant(caption));
        QCOMPARE(CheckedPath(window), u"ChkPath_1"_s);
    }

    void folderDialog_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("accept");

        QTest::newRow("ko") << u"ko"_s << u"폴더 선택"_s << u"선택"_s;
        QTest::newRow("en") << u"en"_s << u"Select Folder"_s << u"OK"_s;
        QTest::newRow("fr") << u"fr"_s << u"Sélectionner un dossier"_s << u"OK"_s;
    }
    void folderDialog()
    {
        QFETCH(QString, language);
        QFETCH(QString, title);
        QFETCH(QString, accept);
        SetCurrentLanguage(language);

        const std::unique_ptr<QFileDialog> dialog(CreateFolderDialog(FHome->Root(), nullptr));

        QCOMPARE(dialog->windowTitle(), title);
        QCOMPARE(dialog->labelText(QFileDialog::Accept), accept);
        QCOMPARE(dialog->fileMode(), QFileDialog::Directory);
        QCOMPARE(QDir(dialog->directory()), QDir(FHome->Root()));
    }

    void selectFolder_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("confirmed") << true;
        QTest::newRow("cancelled") << false;
    }
    void selectFolder()
    {
        QFETCH(bool, confirm);
        const QString start = QDir::toNativeSeparators(FHome->Root());
        QDir(FHome->Root()).mkdir(u"inner"_s);
        QString folder = start;
        QTimer::singleShot(0, this, [confirm] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            if (confirm) {
                dialog->setDirectory(dialog->directory().filePath(u"inner"_s));
                static_cast<QDialog*>(dialog)->accept();
            } else {
                dialog->reject();
            }
        });

        const bool confirmed = SelectFolder(folder, nullptr);

        QCOMPARE(confirmed, confirm);
        QCOMPARE(folder, confirm ? QDir::toNativeSeparators(FHome->Root() + u"/inner"_s) : start);
    }

    void pageSwitching_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("card");

        QTest::newRow("config") << QStringList{u"BtnConfig"_s} << 1;
        QTest::newRow("config, home") << QStringList{u"BtnConfig"_s, u"BtnHome"_s} << 0;
        QTest::newRow("config twice") << QStringList{u"BtnConfig"_s, u"BtnConfig"_s} << 1;
        QTest::newRow("home on view") << QStringList{u"BtnHome"_s} << 0;
    }
    void pageSwitching()
    {
        QFETCH(QStringList, clicks);
        QFETCH(int, card);
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        for (const QString& name : clicks)
            QTest::mouseClick(&Control(window, name), Qt::LeftButton);

        QCOMPARE(ShownCard(window), card);
        QCOMPARE(Control<QAbstractButton>(window, u"BtnHome"_s).isChecked(), card == 0);
        QCOMPARE(Control<QAbstractButton>(window, u"BtnConfig"_s).isChecked(), card == 1);
    }

    // A header button pressed from the keyboard does what a click does.
    void headerButtonsAnswerTheKeyboard()
    {
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto& config = Control<QAbstractButton>(window, u"BtnConfig"_s);
        auto& home = Control<QAbstractButton>(window, u"BtnHome"_s);

        config.setFocus();
        QTest::keyClick(&config, Qt::Key_Space);
        QCOMPARE(ShownCard(window), 1);
        QVERIFY(config.isChecked() && !home.isChecked());

        home.setFocus();
        QTest::keyClick(&home, Qt::Key_Space);
        QCOMPARE(ShownCard(window), 0);
        QVERIFY(home.isChecked() && !config.isChecked());
    }

    void logoOpensTheProductPage()
    {
        TUrlCatcher catcher;
        QDesktopServices::setUrlHandler(u"https"_s, &catcher, "Open");
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QTest::mouseClick(&Control(window, u"ImgLogo"_s), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(u"https"_s);

        const QString version = u"%1.%2.%3.%4"_s.arg(MorvaneBuild::VersionMajor)
                                    .arg(MorvaneBuild::VersionMinor)
                                    .arg(MorvaneBuild::VersionRelease)
                                    .arg(MorvaneBuild::VersionBuild);
        QCOMPARE(catcher.Opened.size(), 1);
        const QUrl opened = catcher.Opened.constFirst();
        QCOMPARE(opened.adjusted(QUrl::RemoveQuery),
                 QUrl(QString::fromUtf8(MorvaneBuild::ProductUrl)));
        QVERIFY(opened.path().endsWith(u"/morvane"_s));
        QCOMPARE(opened.query(), u"v="_s + version);
        QCOMPARE(ShownCard(window), 0);
    }

    void versionLineClickLeavesNoFocus()
    {
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        Control<QAbstractButton>(window, u"BtnConfig"_s).click();
        QWidget& besideTheSource = Control(window, u"ChkPath_1"_s);
        besideTheSource.setFocus();
        QTRY_VERIFY(besideTheSource.hasFocus());
        auto& versionLine = Control<QLineEdit>(window, u"EditInfo"_s);

        QTest::mouseClick(&versionLine, Qt::LeftButton);

        QCOMPARE(QApplication::focusWidget(), nullptr);
        QVERIFY(!versionLine.hasSelectedText());
    }

    void closing_data()
    {
        QTest::addColumn<bool>("duringRun");
        QTest::newRow("idle") << false;
        QTest::newRow("during a run, answered no") << true;
    }
    void closing()
    {
        QFETCH(bool, duringRun);
        TStandIn standIn;
        standIn.SetWaitsForGate(u"magick"_s);
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{standIn.Folder(), {}});
        int questions = 0;
        window.SetCloseQuestion([&questions] {
            ++questions;
            return false;
        });
        window.AddFile({WriteJpeg(u"a.jpg"_s), WriteJpeg(u"b.jpg"_s)});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (duringRun) {
            StartButton(window).click();
            QTRY_COMPARE(ShownStatuses(window).constFirst(), u"Convert"_s);
        }

        QCOMPARE(window.close(), !duringRun);

        QCOMPARE(questions, duringRun ? 1 : 0);
        QCOMPARE(window.isVisible(), duringRun);
        QCOMPARE(FileRows(window).rowCount(), duringRun ? 2 : 0);
        standIn.OpenGate();
        QTRY_VERIFY(IsRunOver(window));
    }

    // Nothing stored, or 0, shows one job per core and stores nothing; a stored number is brought
    // into 1 to the number of cores.
    void jobsOption_data()
    {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QVariant>("storedAfter");

        const int cores = DefaultJobCount();
        QTest::newRow("nothing stored") << QVariantMap() << cores << QVariant();
        QTest::newRow("0") << QVariantMap{{u"jobs"_s, 0}} << cores << QVariant(0);
        QTest::newRow("1") << QVariantMap{{u"jobs"_s, 1}} << 1 << QVariant(1);
        QTest::newRow("negative") << QVariantMap{{u"jobs"_s, -4}} << cores << QVariant(-4);
        QTest::newRow("above the cores")
            << QVariantMap{{u"jobs"_s, cores + 3}} << cores << QVariant(cores + 3);
    }
    void jobsOption()
    {
        QFETCH(QVariantMap, stored);
        QFETCH(int, shown);
        QFETCH(QVariant, storedAfter);
        Store(stored);

        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});

        TSpinEdit& jobs = SpinEdit(window, u"EditJobs"_s);
        QCOMPARE(jobs.Value(), shown);
        QCOMPARE(jobs.text(), QString::number(shown));
        QCOMPARE(Stored(u"jobs"_s, 0), storedAfter);
        QCOMPARE(Control<QLabel>(window, u"LblJobs"_s).text(), u"Parallel"_s);
    }

    void jobsOptionIsStoredWhenChanged()
    {
        if (DefaultJobCount() < 2)
            QSKIP("One core leaves one choice.");
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});
        TSpinEdit& jobs = SpinEdit(window, u"EditJobs"_s);

        jobs.stepBy(-1);
        QCOMPARE(Stored(u"jobs"_s, 0), QVariant(DefaultJobCount() - 1));
        TFrmMorvane reopened(NoArguments, TFrmMorvaneSetup{});
        QCOMPARE(SpinEdit(reopened, u"EditJobs"_s).Value(), DefaultJobCount() - 1);

        jobs.stepBy(5);
        QCOMPARE(jobs.Value(), DefaultJobCount());
        QCOMPARE(Stored(u"jobs"_s, 0), QVariant(DefaultJobCount()));
    }

    void windowTexts_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("texts");

        QTest::newRow("ja")
            << u"ja"_s
            << QStringList{
                   u"ホーム"_s, u"設定"_s,       u"ファイル名"_s,           u"タイプ"_s,
                   u"状態"_s,   u"保存パス"_s,   u"変換オプション"_s,       u"フォーマット"_s,
                   u"サイズ"_s, u"品質調整"_s,   u"元のファイルフォルダ"_s, u"幅(px)"_s,
                   u"削除"_s,   u"すべて削除"_s, u"JPG に変換"_s,           u"バージョン: 1.0.0"_s};
        QTest::newRow("fr") << u"fr"_s
                            << QStringList{u"Accueil"_s,
                                           u"Config"_s,
                                           u"Nom du fichier"_s,
                                           u"Type"_s,
                                           u"Statut"_s,
                                           u"Chemin de sortie"_s,
                                           u"Option de conversion"_s,
                                           u"Format"_s,
                                           u"Taille"_s,
                                           u"Qualité"_s,
                                           u"Dossier de Fichier Original"_s,
                                           u"Larg(px)"_s,
                                           u"Supprimer"_s,
                                           u"Tout supprimer"_s,
                                           u"Convertir en JPG"_s,
                                           u"Version: 1.0.0"_s};
        QTest::newRow("ko") << u"ko"_s
                            << QStringList{u"처음화면"_s,
                                           u"환경설정"_s,
                                           u"파일이름"_s,
                                           u"타입"_s,
                                           u"상태"_s,
                                           u"저장경로"_s,
                                           u"변환옵션"_s,
                                           u"저장형식 :"_s,
                                           u"크기조정 :"_s,
                                           u"품질조정 :"_s,
                                           u"원본 파일 폴더"_s,
                                           u"너비(px)"_s,
                                           u"선택된 목록 삭제"_s,
                                           u"모든 목록 삭제"_s,
                                           u"JPG 로 변환하기"_s,
                                           u"버전: 1.0.0"_s};
    }
    void windowTexts()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, texts);
        SetCurrentLanguage(language);

        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});

        const QAbstractItemModel& columns = FileRows(window);
        const auto text = [&window](const QString& name) {
            return Control<QAbstractButton>(window, name).text();
        };
        const auto label = [&window](const QString& name) {
            return Control<QLabel>(window, name).text();
        };
        const auto item = [&window](const QString& name) {
            return Control<QAction>(window, name).text();
        };
        const QStringList shown = {text(u"BtnHome"_s),
                                   text(u"BtnConfig"_s),
                                   columns.headerData(0, Qt::Horizontal).toString(),
                                   columns.headerData(1, Qt::Horizontal).toString(),
                                   columns.headerData(2, Qt::Horizontal).toString(),
                                   Control<QGroupBox>(window, u"GrpOutput"_s).title(),
                                   Control<QGroupBox>(window, u"GrpOption"_s).title(),
                                   label(u"Label1"_s),
                                   label(u"LblResize"_s),
                                   label(u"LblQuality"_s),
                                   text(u"ChkPath_1"_s),
                                   text(u"ChkWidth"_s),
                                   item(u"BtnDelete"_s),
                                   item(u"BtnDeleteAll"_s),
                                   text(u"BtnStart"_s),
                                   Control<QLineEdit>(window, u"EditInfo"_s).text()};
        QCOMPARE(shown, texts);
        QCOMPARE(window.windowTitle(), u"Morvane"_s);
        QCOMPARE(SpinEdit(window, u"EditQuality"_s).toolTip(), u"손실 압축시 적용"_s);
    }

    void startCaptionFits_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("format");

        for (const QString& language : {u"ru"_s, u"fr"_s, u"it"_s, u"ko"_s})
            for (const QString& format : {u"JPG"_s, u"WEBP"_s, u"TIFF"_s})
                QTest::addRow("%s %s", qPrintable(language), qPrintable(format))
                    << language << format;
    }
    void startCaptionFits()
    {
        QFETCH(QString, language);
        QFETCH(QString, format);
        SetCurrentLanguage(language);
        Store({{u"format"_s, format}});

        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});

        const QAbstractButton& start = StartButton(window);
        const QString caption = start.text();
        QVERIFY(caption.contains(format));
        QVERIFY(QFontMetrics(start.font()).horizontalAdvance(caption) < start.width());
        QVERIFY(start.font().pixelSize() >= 8);
    }

    // Every row status is whole in its column in every language, also when the list scrolls.
    void rowStatusesFit_data()
    {
        QTest::addColumn<QString>("language");
        for (const QString& language :
             {u"ko"_s, u"en"_s, u"ja"_s, u"zh"_s, u"ru"_s, u"it"_s, u"fr"_s})
            QTest::newRow(qPrintable(language)) << language;
    }
    void rowStatusesFit()
    {
        QFETCH(QString, language);
        SetCurrentLanguage(language);
        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QStringList files;
        for (int index = 0; index < 60; ++index)
            files << WriteJpeg(u"photo-%1.jpg"_s.arg(index));
        window.AddFile(files);
        auto& list = Control<QTreeView>(window, u"ListFile"_s);
        QTRY_VERIFY(list.verticalScrollBar()->isVisible());

        // The item delegate's margins; it elides a text that fills the cell exactly.
        const int margin = 2 * (list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 1;
        const int column = list.header()->sectionSize(2);
        for (const QString& status : {u"준비"_s, u"변환"_s, u"성공"_s, u"실패"_s}) {
            const QString shown = TranslateText(status);
            QVERIFY2(list.fontMetrics().horizontalAdvance(shown) + margin <= column,
                     qPrintable(shown + u" in %1 px"_s.arg(column)));
        }
        // Room for a longer status comes from the file name; the columns still fit.
        QCOMPARE(list.header()->sectionSize(0) + column, 320);
        QCOMPARE(list.header()->sectionSize(1), 60);
        QVERIFY(list.header()->length() <= list.viewport()->width());
    }

    // The file options' captions are translated and whole in every language.
    void fileOptionCaptionsFit_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("strip");

        QTest::newRow("ko") << u"ko"_s << u"사진 정보 제거"_s;
        QTest::newRow("en") << u"en"_s << u"Remove photo information"_s;
        QTest::newRow("ja") << u"ja"_s << u"写真情報を削除"_s;
        QTest::newRow("zh") << u"zh"_s << u"删除照片信息"_s;
        QTest::newRow("ru") << u"ru"_s << u"Удалить сведения о снимке"_s;
        QTest::newRow("it") << u"it"_s << u"Rimuovi le informazioni della foto"_s;
        QTest::newRow("fr") << u"fr"_s << u"Supprimer les informations de la photo"_s;
    }
    void fileOptionCaptionsFit()
    {
        QFETCH(QString, language);
        QFETCH(QString, strip);
        SetCurrentLanguage(language);

        TFrmMorvane window(NoArguments, TFrmMorvaneSetup{});

        QCOMPARE(Control<QCheckBox>(window, u"ChkStrip"_s).text(), strip);
        const QRect group = Control<QGroupBox>(window, u"GrpFile"_s).contentsRect();
        for (const QString& name : {u"ChkStrip"_s, u"ChkKeepDates"_s, u"ChkKeepTree"_s}) {
            const auto& box = Control<QCheckBox>(window, name);
            QVERIFY2(box.sizeHint().width() <= box.width(),
                     qPrintable(name + u": "_s + box.text()));
            QVERIFY2(box.geometry().right() <= group.right(), qPrintable(name));
        }
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("autoMode");
        QTest::addColumn<QString>("format");

        // The paths list nothing, so that no run starts and the caption stays.
        QTest::newRow("/auto PNG a.txt")
            << QStringList{u"/auto"_s, u"PNG"_s, u"a.txt"_s} << true << u"PNG"_s;
        QTest::newRow("/auto png x keeps the case")
            << QStringList{u"/auto"_s, u"png"_s, u"x"_s} << true << u"png"_s;
        QTest::newRow("/auto BMP a b")
            << QStringList{u"/auto"_s, u"BMP"_s, u"a"_s, u"b"_s} << true << u"BMP"_s;
        QTest::newRow("/auto PNG only") << QStringList{u"/auto"_s, u"PNG"_s} << false << u"JPG"_s;
        QTest::newRow("/AUTO PNG a.jpg")
            << QStringList{u"/AUTO"_s, u"PNG"_s, u"a.jpg"_s} << false << u"JPG"_s;
        QTest::newRow("three files")
            << QStringList{u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s} << false << u"JPG"_s;
        QTest::newRow("no arguments") << QStringList() << false << u"JPG"_s;
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, autoMode);
        QFETCH(QString, format);

        TFrmMorvane window(QStringList{u"morvane"_s} + arguments, TFrmMorvaneSetup{});

        // Automatic mode takes no drops.
        QCOMPARE(TakesDrops(window), !autoMode);
        QCOMPARE(StartButton(window).text(), u"Convert to "_s + format);
        // The command line's format is neither stored nor shown on the format buttons.
        QCOMPARE(CheckedFormat(window), u"BtnJPG"_s);
        QCOMPARE(Stored(u"format"_s, QString()), QVariant(u"JPG"_s));
    }

    // Outside automatic mode the paths after the program's own are listed as if dropped ("Open
    // with" from a file manager): folders are walked, a path is listed once, and nothing starts.
    void filesOnTheCommandLineAreListed_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("listed");

        QTest::newRow("a file and a folder")
            << QStringList{u"a.jpg"_s, u"folder"_s} << QStringList{u"a.jpg"_s, u"b.jpg"_s};
        QTest::newRow("a name like a Qt option")
            << QStringList{u"-reverse.jpg"_s} << QStringList{u"-reverse.jpg"_s};
        QTest::newRow("the same file twice")
            << QStringList{u"a.jpg"_s, u"a.jpg"_s} << QStringList{u"a.jpg"_s};
        QTest::newRow("automatic mode without files lists nothing")
            << QStringList{u"/auto"_s, u"a.jpg"_s} << QStringList();
    }
    void filesOnTheCommandLineAreListed()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, listed);
        WriteJpeg(u"a.jpg"_s);
        WriteJpeg(u"-reverse.jpg"_s);
        QVERIFY(QDir(FHome->Root()).mkdir(u"folder"_s));
        WriteJpeg(u"folder/b.jpg"_s);
        QStringList arguments{u"morvane"_s};
        for (const QString& name : names)
            arguments << (name.startsWith(u'/') ? name : FHome->Root() + u'/' + name);

        TFrmMorvane window(arguments, TFrmMorvaneSetup{});

        QCOMPARE(ShownColumn(window, TFileListModel::ColumnTitle), listed);
        QVERIFY(TakesDrops(window));
        QCOMPARE(StartButton(window).text(), u"Convert to JPG"_s);
    }
};

QTEST_MAIN(TFrmMorvaneTest)
#include "tst_frmmorvane.moc"
