// Screenshots of the window's pages in every interface language, for a person to look at.
// Usage: morvane_shots <folder>
#include "StandIn.h"
#include "TestHome.h"
#include "config/Config.h"
#include "i18n/Translate.h"
#include "theme/DovrelanButtonStyles.h"
#include "window/FrmMorvane.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
template <typename TControl> TControl* Control(const QWidget& window, const QString& name)
{
    auto* control = window.findChild<TControl*>(name);
    if (!control)
        qFatal("the window has no %s", qPrintable(name));
    return control;
}

void Save(QWidget& window, const QString& folder, const QString& name)
{
    QCoreApplication::processEvents();
    window.grab().save(folder + u'/' + name + u".png"_s);
}

// An automatic run over three pictures, one of which fails, once it has ended.
bool SaveAutomaticRun(const QString& folder, const QString& name)
{
    TStandIn standIn;
    standIn.SetWritesNothing(u"magick"_s, u"broken"_s);
    const QTemporaryDir pictures;
    const QByteArray jpeg = QByteArray::fromHex("FFD8FFE000104A4649460001") + "rest of it";
    QStringList arguments = {u"morvane"_s, u"/auto"_s, u"WEBP"_s};
    for (const QString& picture : {u"holiday.jpg"_s, u"broken.jpg"_s, u"logo.jpg"_s}) {
        QFile file(pictures.filePath(picture));
        if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size())
            return false;
        arguments << file.fileName();
    }
    TFrmMorvane window(arguments, TFrmMorvaneSetup{standIn.Folder(), {}});
    window.show();
    const auto& start = *Control<QAbstractButton>(window, u"BtnStart"_s);
    if (!QTest::qWaitForWindowExposed(&window) ||
        !QTest::qWaitFor([&start] { return start.isEnabled(); }, 60000))
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
        TConfig(u"Dovrelan\\Morvane"_s).WriteString(u"format"_s, u"WEBP"_s);
        TFrmMorvane window({u"morvane"_s}, TFrmMorvaneSetup{});
        // Missing files with a known extension are listed all the same.
        window.AddFile({u"/nowhere/holiday-2023-07-14.jpeg"_s, u"/nowhere/scan.pdf"_s,
                        u"/nowhere/logo.png"_s});
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return 1;
        Save(window, folder, language + u"-home"_s);
        Control<QAbstractButton>(window, u"BtnConfig"_s)->click();
        Save(window, folder, language + u"-options"_s);
        Control<QAbstractButton>(window, u"BtnHome"_s)->click();
        // What a run shows, without starting one.
        Control<QAbstractButton>(window, u"BtnStart"_s)->setText(QString());
        Control<QWidget>(window, u"Indicator"_s)->show();
        auto* progress = Control<QProgressBar>(window, u"ProgressBar"_s);
        progress->show();
        progress->setValue(40);
        Save(window, folder, language + u"-running"_s);
        if (!SaveAutomaticRun(folder, language + u"-done"_s))
            return 1;
    }
    return 0;
}
