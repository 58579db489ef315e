// Screenshots of the window's pages in every interface language, for a person to look at.
// Usage: morvane_shots <folder>
#include "TestHome.h"
#include "config/Config.h"
#include "controls/ActivityIndicator.h"
#include "i18n/Translate.h"
#include "window/FrmMorvane.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QProgressBar>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace {
void AddSampleRows(QTreeView* list)
{
    auto* rows = qobject_cast<QStandardItemModel*>(list->model());
    for (const QString& name : {u"holiday-2023-07-14.jpeg"_s, u"scan.pdf"_s, u"logo.png"_s})
        rows->appendRow({new QStandardItem(name), new QStandardItem(u"JPG"_s),
                         new QStandardItem(TranslateText(u"준비"_s))});
}

void Save(QWidget& window, const QString& folder, const QString& name)
{
    QCoreApplication::processEvents();
    window.grab().save(folder + u'/' + name + u".png"_s);
}
} // namespace

int main(int argc, char* argv[])
{
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
        AddSampleRows(window.ListFile);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return 1;
        Save(window, folder, language + u"-home"_s);
        window.BtnConfig->click();
        Save(window, folder, language + u"-options"_s);
        window.BtnHome->click();
        window.BtnStart->setText(QString());
        window.Indicator->show();
        window.ProgressBar->show();
        window.ProgressBar->setValue(40);
        Save(window, folder, language + u"-running"_s);
    }
    return 0;
}
