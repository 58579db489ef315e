#include "drop/DragFile.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<QMimeData> Urls(const QList<QUrl>& urls)
{
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

QList<QUrl> LocalUrls(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    return urls;
}

} // namespace

class TDragFileTest : public QObject
{
    Q_OBJECT

private:
    // Sends a drag entering the list and, when it is accepted, the drop; true when both were.
    bool DropOnList(const QMimeData& data)
    {
        QWidget* viewport = FList->viewport();
        const QPoint place = viewport->rect().center();
        QDragEnterEvent enter(place, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(place, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
        return drop.isAccepted();
    }

    TDragFile::TDropProc Recorder()
    {
        return [this](const QStringList& paths) { FDrops << paths; };
    }

    std::unique_ptr<QTreeView> FList;
    QList<QStringList> FDrops;

private Q_SLOTS:
    void init()
    {
        FList = std::make_unique<QTreeView>();
        auto* rows = new QStandardItemModel(3, 1, FList.get());
        for (int row = 0; row < 3; ++row)
            rows->setItem(row, new QStandardItem(QString::number(row)));
        FList->setModel(rows);
        FList->resize(200, 200);
        FDrops.clear();
    }

    void a_drop_reaches_the_callback_once_in_order_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QStringList>("expected");

        const QString longName = u"/tmp/"_s + QString(600, u'n') + u".jpg"_s;
        QTest::newRow("files and a folder")
            << LocalUrls({u"/tmp/b.jpg"_s, u"/tmp/folder"_s, u"/tmp/a.png"_s})
            << QStringList{u"/tmp/b.jpg"_s, u"/tmp/folder"_s, u"/tmp/a.png"_s};
        QTest::newRow("web address among them")
            << QList<QUrl>{QUrl::fromLocalFile(u"/tmp/a.jpg"_s), QUrl(u"https://x.example/b.jpg"_s),
                           QUrl::fromLocalFile(u"/tmp/c.jpg"_s)}
            << QStringList{u"/tmp/a.jpg"_s, u"/tmp/c.jpg"_s};
        QTest::newRow("name longer than 510 characters")
            << LocalUrls({longName}) << QStringList{longName};
        QTest::newRow("blank and non-Latin names") << LocalUrls({u"/tmp/my photos/사진 1.jpg"_s})
                                                   << QStringList{u"/tmp/my photos/사진 1.jpg"_s};
    }
    void a_drop_reaches_the_callback_once_in_order()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(QStringList, expected);
        TDragFile receiver(FList.get(), Recorder());

        QVERIFY(DropOnList(*Urls(urls)));
        QCOMPARE(FDrops, QList<QStringList>{expected});
    }

    void drags_without_local_files_are_refused_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::newRow("web address only") << QList<QUrl>{QUrl(u"https://x.example/a.jpg"_s)};
        QTest::newRow("no addresses") << QList<QUrl>{};
    }
    void drags_without_local_files_are_refused()
    {
        QFETCH(QList<QUrl>, urls);
        TDragFile receiver(FList.get(), Recorder());

        QVERIFY(!DropOnList(*Urls(urls)));
        QVERIFY(FDrops.isEmpty());
    }

    void plain_text_is_refused()
    {
        TDragFile receiver(FList.get(), Recorder());
        QMimeData text;
        text.setText(u"/tmp/a.jpg"_s);
        QVERIFY(!DropOnList(text));
        QVERIFY(FDrops.isEmpty());
    }

    // A drop on the list only reads the files: it is always answered as a copy, so that a source
    // offering a move never deletes its originals; one that offers no copy is refused.
    void a_drop_is_answered_as_a_copy_data()
    {
        QTest::addColumn<Qt::DropActions>("offered");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("isAccepted");

        QTest::newRow("move proposed, copy offered")
            << Qt::DropActions(Qt::CopyAction | Qt::MoveAction)
            << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
        QTest::newRow("link proposed, copy offered")
            << Qt::DropActions(Qt::CopyAction | Qt::LinkAction)
            << Qt::KeyboardModifiers(Qt::AltModifier) << true;
        QTest::newRow("copy proposed") << Qt::DropActions(Qt::CopyAction | Qt::MoveAction)
                                       << Qt::KeyboardModifiers(Qt::NoModifier) << true;
        QTest::newRow("only a move offered")
            << Qt::DropActions(Qt::MoveAction) << Qt::KeyboardModifiers(Qt::NoModifier) << false;
    }
    void a_drop_is_answered_as_a_copy()
    {
        QFETCH(Qt::DropActions, offered);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, isAccepted);
        TDragFile receiver(FList.get(), Recorder());
        const auto data = Urls(LocalUrls({u"/tmp/a.jpg"_s}));
        QWidget* viewport = FList->viewport();
        const QPoint place = viewport->rect().center();

        QDragEnterEvent enter(place, offered, data.get(), Qt::LeftButton, modifiers);
        QDragMoveEvent move(place, offered, data.get(), Qt::LeftButton, modifiers);
        QDropEvent drop(place, offered, data.get(), Qt::LeftButton, modifiers);
        for (QDropEvent* event : std::initializer_list<QDropEvent*>{&enter, &move, &drop}) {
            QCoreApplication::sendEvent(viewport, event);
            QCOMPARE(event->isAccepted(), isAccepted);
            if (isAccepted)
                QCOMPARE(event->dropAction(), Qt::CopyAction);
        }
        QCOMPARE(FDrops.size(), isAccepted ? 1 : 0);
    }

    void detaching_refuses_drops_again()
    {
        QVERIFY(!FList->viewport()->acceptDrops());
        {
            TDragFile receiver(FList.get(), Recorder());
            QVERIFY(FList->viewport()->acceptDrops());
        }
        QVERIFY(!FList->viewport()->acceptDrops());
        QVERIFY(!DropOnList(*Urls(LocalUrls({u"/tmp/a.jpg"_s}))));
        QVERIFY(FDrops.isEmpty());
    }

    void the_list_keeps_its_own_mouse_handling()
    {
        TDragFile receiver(FList.get(), Recorder());
        FList->show();
        QVERIFY(QTest::qWaitForWindowExposed(FList.get()));

        const QModelIndex second = FList->model()->index(1, 0);
        QTest::mouseClick(FList->viewport(), Qt::LeftButton, {},
                          FList->visualRect(second).center());
        QCOMPARE(FList->currentIndex(), second);
    }

    // The receiver outlives its list without touching it, and still lets go of its callback.
    void a_list_destroyed_first_leaves_a_harmless_receiver()
    {
        const auto heldByTheCallback = std::make_shared<int>();
        auto receiver =
            std::make_unique<TDragFile>(FList.get(), [heldByTheCallback](const QStringList&) {});
        QCOMPARE(heldByTheCallback.use_count(), 2);

        FList.reset();
        receiver.reset();
        QCOMPARE(heldByTheCallback.use_count(), 1);
    }
};

QTEST_MAIN(TDragFileTest)
#include "tst_dragfile.moc"
