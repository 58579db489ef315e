#include "HomeFixture.h"
#include "WindowControls.h"
#include "X11Property.h"
#include "i18n/Translate.h"
#include "window/FrmMorvane.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QTest>
#include <QTimer>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The title that the window manager shows for a window.
QString ShownTitle(WId window)
{
    return X11Property(window, u"_NET_WM_NAME"_s);
}

QString TitleProperty(const QString& title)
{
    return u"_NET_WM_NAME(UTF8_STRING) = \""_s + title + u'"';
}

} // namespace

// The window's titles as a desktop shows them; runs under a real X server only (CTest starts it
// with xvfb-run) and skips anywhere else.
class TWindowX11Test : public THomeTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (const char* reason = X11PropertiesUnavailable())
            QSKIP(reason);
        LoadTranslations();
    }

    // The folder dialog is titled with its own text alone, the program's name not added.
    void theFolderDialogKeepsItsTitle_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("title");
        QTest::newRow("ko") << u"ko"_s << u"폴더 선택"_s;
        QTest::newRow("en") << u"en"_s << u"Select Folder"_s;
    }
    void theFolderDialogKeepsItsTitle()
    {
        QFETCH(QString, language);
        QFETCH(QString, title);
        SetCurrentLanguage(language);
        TFrmMorvane window({u"morvane"_s}, TFrmMorvaneSetup{});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(ShownTitle(window.winId()), TitleProperty(u"Morvane"_s));
        Control<QAbstractButton>(window, u"BtnConfig"_s).click();

        QString dialogTitle;
        QTimer::singleShot(0, this, [&dialogTitle] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (QTest::qWaitForWindowExposed(dialog))
                dialogTitle = ShownTitle(dialog->winId());
            dialog->reject();
        });
        Control<QAbstractButton>(window, u"BtnSaveDir"_s).click();

        QCOMPARE(dialogTitle, TitleProperty(title));
    }
};

QTEST_MAIN(TWindowX11Test)
#include "tst_windowx11.moc"
