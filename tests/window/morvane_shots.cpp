// Screenshots of the window in every interface language, for a person to look at: the empty
// list, both pages, a run under way with its stop button and the question a close asks then, a
// finished run with its summary, and the end of an automatic run.
// Usage: morvane_shots <folder>
#include "StandIn.h"
#include "TestFiles.h"
#include "TestHome.h"
#include "config/Config.h"
#include "i18n/Translate.h"
#include "theme/DovrelanButtonStyles.h"
#include "window/FrmMorvane.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {
const QString SettingsPath = u"Dovrelan\\Morvane"_s;

template <typename TControl> TControl* Control(const QWidget& window, const QString& name)
{
    auto* control = window.findChild<TControl*>(name);
    if (!control)
        qFatal("the window has no %s", qPrintable(name));
    return control;
}

void Save(QWidget& widget, const QString& folder, const QString& name)
{
    QCoreApplication::processEvents();
    widget.grab().save(folder + u'/' + name + u".png"_s);
}

// Pictures with telling names; the stand-ins fail the broken one.
QStringList WritePictures(const QTemporaryDir& pictures)
{
    QStringList paths;
    for (const QString& picture :
         {u"holiday-2023-07-14.jpg"_s, u"broken.jpg"_s, u"logo.jpg"_s, u"scan-0042.jpg"_s}) {
        // Ends with its name, which tells the stand-ins what they read under a plain name.
        const QByteArray bytes = JpegBytes + picture.toUtf8();
        QFile file(pictures.filePath(picture));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        paths << file.fileName();
    }
    return paths;
}

bool WaitUntil(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 60000);
}

bool WaitForTheEndOfTheRun(const QWidget& window)
{
    const auto& progress = *Control<QWidget>(window, u"ProgressBar"_s);
    return WaitUntil([&] { return progress.isHidden(); });
}

// An interactive run into a chosen folder, under way with two files at once and when it has
// ended with its summary; while it runs, a close asks its question, which is answered no.
bool SaveInteractiveRun(const QString& folder, const QString& language)
{
    TStandIn standIn;
    standIn.SetWritesNothing(u"magick"_s, u"broken"_s);
    standIn.SetWaitsForGate(u"magick"_s);
    const QTemporaryDir pictures;
    TConfig(SettingsPath).WriteInteger(u"save"_s, 2);
    TConfig(SettingsPath).WriteString(u"savepath"_s, pictures.filePath(u"out"_s));
    TConfig(SettingsPath).WriteInteger(u"jobs"_s, 2);
    TFrmMorvane window({u"morvane"_s}, TFrmMorvaneSetup{standIn.Folder(), {}});
    window.AddFile(WritePictures(pictures));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    auto& start = *Control<QAbstractButton>(window, u"BtnStart"_s);
    start.click();
    if (!WaitUntil([&] { return standIn.Calls().size() >= 2; }))
        return false;
    Save(window, folder, language + u"-running"_s);
    // The window's own question, answered no.
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            Save(*box, folder, language + u"-close-question"_s);
            box->reject();
        }
    });
    window.close();
    standIn.OpenGate();
    if (!WaitForTheEndOfTheRun(window))
        return false;
    Save(window, folder, language + u"-done"_s);
    return true;
}

// An automatic run over the pictures, once it has ended.
bool SaveAutomaticRun(const QString& folder, const QString& name)
{
    TStandIn standIn;
    standIn.SetWritesNothing(u"magick"_s, u"broken"_s);
    const QTemporaryDir pictures;
    TFrmMorvane window(QStringList{u"morvane"_s, u"/auto"_s, u"WEBP"_s} + WritePictures(pictures),
                       TFrmMorvaneSetup{standIn.Folder(), {}});
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !WaitForTheEndOfTheRun(window))
        return false;
    Save(window, folder, name);
    return true;
}
} // namespace

int main(int argc, char* argv[])
{
    // As the program starts.
    RegisterDovrelanButtonStyles();
    LoadTranslations();
    QApplication application(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"shots"_s;
    QDir().mkpath(folder);
    for (const QString& language :
         {u"ko"_s, u"en"_s, u"ja"_s, u"zh"_s, u"ru"_s, u"it"_s, u"fr"_s}) {
        TTestHome home;
        SetCurrentLanguage(language);
        // The longest format name gives the longest start button caption.
        TConfig(SettingsPath).WriteString(u"format"_s, u"WEBP"_s);
        {
            TFrmMorvane window({u"morvane"_s}, TFrmMorvaneSetup{});
            window.show();
            if (!QTest::qWaitForWindowExposed(&window))
                return 1;
            Save(window, folder, language + u"-empty"_s);
            // Missing files with a known extension are listed all the same.
            window.AddFile({u"/nowhere/holiday-2023-07-14.jpeg"_s, u"/nowhere/scan.pdf"_s,
                            u"/nowhere/logo.png"_s});
            Save(window, folder, language + u"-home"_s);
            Control<QAbstractButton>(window, u"BtnConfig"_s)->click();
            Save(window, folder, language + u"-options"_s);
        }
        if (!SaveInteractiveRun(folder, language) ||
            !SaveAutomaticRun(folder, language + u"-autodone"_s))
            return 1;
    }
    return 0;
}
