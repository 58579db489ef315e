#include "i18n/Translate.h"
#include "input/FileList.h"
#include "window/FileListModel.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TRowStatus)

namespace {

QStringList FileNames(const TFileListModel& list)
{
    QStringList names;
    for (int row = 0; row < list.rowCount(); ++row)
        names << list.Info(row).FileName;
    return names;
}

QString Shown(const TFileListModel& list, int row, TFileListModel::TColumn column,
              int role = Qt::DisplayRole)
{
    return list.index(row, column).data(role).toString();
}

} // namespace

// The rows of the window's file list as the list view shows them.
class TFileListModelTest : public QObject
{
    Q_OBJECT

private:
    QString Write(const QString& name)
    {
        const QString path = FDir->filePath(name);
        QFile file(path);
        const QByteArray jpeg = QByteArray::fromHex("FFD8FFE000104A4649460001") + "rest of it";
        if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size())
            qFatal("cannot write the fixture %s", qPrintable(path));
        return path;
    }

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TFileListModel> FList;

private Q_SLOTS:
    void initTestCase() { LoadTranslations(); }

    void init()
    {
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
        FList = std::make_unique<TFileListModel>();
        SetCurrentLanguage(u"ko"_s);
    }

    void a_file_becomes_a_ready_row()
    {
        const QString path = Write(u"cat.dat"_s);
        AddPath(*FList, path);

        QCOMPARE(FileNames(*FList), QStringList{path});
        QCOMPARE(FList->Status(0), TRowStatus::Ready);
        QCOMPARE(Shown(*FList, 0, TFileListModel::ColumnTitle), u"cat.dat"_s);
        QCOMPARE(Shown(*FList, 0, TFileListModel::ColumnFormat), u"JPG"_s);
        QCOMPARE(Shown(*FList, 0, TFileListModel::ColumnStatus), u"준비"_s);
    }

    // Only the platform's own delimiters end a folder; elsewhere they belong to the name.
    void the_name_column_shows_the_whole_file_name_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("colon") << u"shot 10:30.jpg"_s;
        QTest::newRow("backslash") << u"before\\after.jpg"_s;
    }
    void the_name_column_shows_the_whole_file_name()
    {
        if (QDir::separator() == u'\\')
            QSKIP("these characters are delimiters in Windows paths");
        QFETCH(QString, name);
        AddPath(*FList, Write(name));

        QCOMPARE(Shown(*FList, 0, TFileListModel::ColumnTitle), name);
    }

    // The row holds where it stands; the words are the interface language's when shown.
    void a_status_is_shown_in_the_interface_language_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<TRowStatus>("status");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ko ready") << u"ko"_s << TRowStatus::Ready << u"준비"_s;
        QTest::newRow("en converting") << u"en"_s << TRowStatus::Converting << u"Convert"_s;
        QTest::newRow("ja succeeded") << u"ja"_s << TRowStatus::Succeeded << u"成功"_s;
        QTest::newRow("fr failed") << u"fr"_s << TRowStatus::Failed << u"Échec"_s;
        QTest::newRow("ru ready") << u"ru"_s << TRowStatus::Ready << u"Готово"_s;
        QTest::newRow("no entries: English") << u"de"_s << TRowStatus::Failed << u"Fail"_s;
    }
    void a_status_is_shown_in_the_interface_language()
    {
        QFETCH(QString, language);
        QFETCH(TRowStatus, status);
        QFETCH(QString, shown);
        SetCurrentLanguage(language);
        FList->Append({u"a.jpg"_s, u"a.jpg"_s, u"JPG"_s});

        FList->SetStatus(0, status);
        QCOMPARE(FList->Status(0), status);
        QCOMPARE(Shown(*FList, 0, TFileListModel::ColumnStatus), shown);
    }

    void removing_rows_keeps_the_others_in_order_data()
    {
        QTest::addColumn<QList<int>>("removed");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("none") << QList<int>{}
                              << QStringList{u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s};
        QTest::newRow("scattered, unsorted")
            << QList<int>{3, 0} << QStringList{u"1"_s, u"2"_s, u"4"_s};
        QTest::newRow("neighbours and a single one")
            << QList<int>{1, 2, 4} << QStringList{u"0"_s, u"3"_s};
        QTest::newRow("repeated") << QList<int>{2, 2}
                                  << QStringList{u"0"_s, u"1"_s, u"3"_s, u"4"_s};
        QTest::newRow("all") << QList<int>{4, 3, 2, 1, 0} << QStringList{};
    }
    void removing_rows_keeps_the_others_in_order()
    {
        QFETCH(QList<int>, removed);
        QFETCH(QStringList, kept);
        for (int row = 0; row < 5; ++row)
            FList->Append({QString::number(row), QString::number(row), u"JPG"_s});

        FList->RemoveRowsAt(removed);
        QCOMPARE(FileNames(*FList), kept);
    }

    void a_removed_path_can_be_listed_again()
    {
        const QString path = Write(u"again.jpg"_s);
        AddPath(*FList, path);
        FList->RemoveRowsAt({0});
        AddPath(*FList, path);
        QCOMPARE(FileNames(*FList), QStringList{path});

        FList->Clear();
        AddPath(*FList, path);
        QCOMPARE(FileNames(*FList), QStringList{path});
    }

    void a_status_carries_its_reason_as_a_tool_tip()
    {
        FList->Append({u"a.jpg"_s, u"a.jpg"_s, u"JPG"_s});
        QSignalSpy changed(FList.get(), &TFileListModel::dataChanged);

        FList->SetStatus(0, TRowStatus::Failed, u"no output was written"_s);
        QCOMPARE(Shown(*FList, 0, TFileListModel::ColumnStatus), u"실패"_s);
        QCOMPARE(Shown(*FList, 0, TFileListModel::ColumnStatus, Qt::ToolTipRole),
                 u"no output was written"_s);
        QVERIFY(!changed.isEmpty());
        QCOMPARE(changed.constLast().at(0).value<QModelIndex>(),
                 FList->index(0, TFileListModel::ColumnStatus));

        FList->SetStatus(0, TRowStatus::Ready);
        QVERIFY(!FList->index(0, TFileListModel::ColumnStatus).data(Qt::ToolTipRole).isValid());
    }
};

QTEST_GUILESS_MAIN(TFileListModelTest)
#include "tst_filelistmodel.moc"
