#include "i18n/Translate.h"
#include "translation/TranslateComponent.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Catalogue =
    "ko=처음화면\r\nen=Home\r\nja=ホーム\r\nfr=Accueil\r\n\r\n"
    "ko=파일이름\r\nen=FileName\r\nja=ファイル名\r\nfr=Nom du fichier\r\n\r\n"
    "ko=준비\r\nen=Ready\r\nja=準備完了\r\nfr=Prêt\r\n";

// A window holding one control of every kind, each captioned "처음화면".
struct TSampleWindow
{
    TSampleWindow()
    {
        Window->setWindowTitle(u"처음화면"_s);
        Label = new QLabel(u"처음화면"_s, Window.get());
        Push = new QPushButton(u"처음화면"_s, Window.get());
        Group = new QGroupBox(u"처음화면"_s, Window.get());
        Check = new QCheckBox(u"처음화면"_s, Group);
        Radio = new QRadioButton(u"처음화면"_s, Group);
        Tool = new QToolButton(Window.get());
        Tool->setText(u"처음화면"_s);
        Tool->setToolTip(u"처음화면"_s);
        Edit = new QLineEdit(u"처음화면"_s, Window.get());

        Menu = new QMenu(Window.get());
        Item = Menu->addAction(u"처음화면"_s);
        SubMenu = Menu->addMenu(u"처음화면"_s);
        SubItem = SubMenu->addAction(u"준비"_s);

        Combo = new QComboBox(Window.get());
        Combo->addItems({u"처음화면"_s, u"준비"_s, u"파일이름"_s});
        Combo->setCurrentIndex(1);
        ComboChild = new QLabel(u"처음화면"_s, Combo);

        List = new QTreeView(Window.get());
        auto* rows = new QStandardItemModel(3, 2, List);
        rows->setHorizontalHeaderLabels({u"파일이름"_s, u"준비"_s});
        List->setModel(rows);
        List->setSelectionMode(QAbstractItemView::ExtendedSelection);
        List->setSelectionBehavior(QAbstractItemView::SelectRows);
        List->selectionModel()->select(rows->index(2, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        List->selectionModel()->select(rows->index(0, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    QStringList Texts() const
    {
        return {Window->windowTitle(),
                Label->text(),
                Push->text(),
                Group->title(),
                Check->text(),
                Radio->text(),
                Tool->text(),
                Tool->toolTip(),
                Edit->text(),
                Item->text(),
                SubMenu->title(),
                SubItem->text(),
                Combo->itemText(0),
                Combo->itemText(1),
                ComboChild->text(),
                List->model()->headerData(0, Qt::Horizontal).toString(),
                List->model()->headerData(1, Qt::Horizontal).toString()};
    }

    std::unique_ptr<QWidget> Window = std::make_unique<QWidget>();
    QLabel* Label;
    QPushButton* Push;
    QGroupBox* Group;
    QCheckBox* Check;
    QRadioButton* Radio;
    QToolButton* Tool;
    QLineEdit* Edit;
    QMenu* Menu;
    QAction* Item;
    QMenu* SubMenu;
    QAction* SubItem;
    QComboBox* Combo;
    QLabel* ComboChild;
    QTreeView* List;
};

} // namespace

class TTranslateComponentTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        LoadCatalogue(Catalogue);
        SetCurrentLanguage(u"ko"_s);
    }

    void captionsByKind_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("ready");
        QTest::addColumn<QString>("fileName");

        QTest::newRow("ja") << u"ja"_s << u"Home"_s << u"ホーム"_s << u"準備完了"_s
                            << u"ファイル名"_s;
        QTest::newRow("fr") << u"fr"_s << u"Home"_s << u"Accueil"_s << u"Prêt"_s
                            << u"Nom du fichier"_s;
        QTest::newRow("ko") << u"ko"_s << u"처음화면"_s << u"처음화면"_s << u"준비"_s
                            << u"파일이름"_s;
        QTest::newRow("de falls back to en")
            << u"de"_s << u"Home"_s << u"Home"_s << u"Ready"_s << u"FileName"_s;
    }
    void captionsByKind()
    {
        QFETCH(QString, language);
        QFETCH(QString, title);
        QFETCH(QString, caption);
        QFETCH(QString, ready);
        QFETCH(QString, fileName);
        TSampleWindow sample;

        TranslateComponent(sample.Window.get(), language);

        QCOMPARE(CurrentLanguage(), language);
        const QStringList expected = {title,
                                      caption,       // label
                                      caption,       // push button
                                      caption,       // group box
                                      caption,       // check box
                                      caption,       // radio button
                                      caption,       // tool button
                                      u"처음화면"_s, // tool tip
                                      u"처음화면"_s, // line edit
                                      caption,       // menu item
                                      caption,       // sub-menu
                                      ready,         // sub-menu item
                                      caption,       // combo box items
                                      ready,
                                      u"처음화면"_s, // owned by the combo box: not visited
                                      fileName,      // list columns
                                      ready};
        QCOMPARE(sample.Texts(), expected);
    }

    void selectionKept()
    {
        TSampleWindow sample;
        const QModelIndexList selectedBefore = sample.List->selectionModel()->selectedRows();

        TranslateComponent(sample.Window.get(), u"ja"_s);

        QCOMPARE(sample.Combo->currentIndex(), 1);
        QCOMPARE(sample.List->selectionModel()->selectedRows(), selectedBefore);
    }

    void translatingTwiceChangesNothing_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("ja") << u"ja"_s;
        QTest::newRow("fr") << u"fr"_s;
        QTest::newRow("ko") << u"ko"_s;
    }
    void translatingTwiceChangesNothing()
    {
        QFETCH(QString, language);
        TSampleWindow sample;
        TranslateComponent(sample.Window.get(), language);
        const QStringList once = sample.Texts();

        TranslateComponent(sample.Window.get());

        QCOMPARE(sample.Texts(), once);
    }

    void emptyLanguageKeepsTheCurrentOne()
    {
        SetCurrentLanguage(u"fr"_s);
        QLabel label(u"준비"_s);

        TranslateComponent(&label);

        QCOMPARE(CurrentLanguage(), u"fr"_s);
        QCOMPARE(label.text(), u"Prêt"_s);
    }

    void nullComponentStillSetsTheLanguage()
    {
        TranslateComponent(nullptr, u"ja"_s);
        QCOMPARE(CurrentLanguage(), u"ja"_s);
    }

    void menuItemsDepthFirst()
    {
        SetCurrentLanguage(u"fr"_s);
        QMenu root;
        QMenu* first = root.addMenu(u"처음화면"_s);
        QMenu* nested = first->addMenu(u"파일이름"_s);
        QAction* deepest = nested->addAction(u"준비"_s);

        TranslateMenuItem(root.menuAction());

        QCOMPARE(root.title(), QString());
        QCOMPARE(first->title(), u"Accueil"_s);
        QCOMPARE(nested->title(), u"Nom du fichier"_s);
        QCOMPARE(deepest->text(), u"Prêt"_s);
    }

    void stringsInPlace()
    {
        SetCurrentLanguage(u"ja"_s);
        QStringList lines = {u"준비"_s, QString(), u"unknown"_s};

        TranslateStrings(&lines);
        TranslateStrings(nullptr);

        QCOMPARE(lines, (QStringList{u"準備完了"_s, QString(), u"unknown"_s}));
    }
};

QTEST_MAIN(TTranslateComponentTest)
#include "tst_translatecomponent.moc"
