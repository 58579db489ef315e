#include "config/Config.h"
#include "update/ClientId.h"

#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString MakerKey = u"Dovrelan"_s;

QString StoredClientId()
{
    return TConfig(MakerKey).ReadString(u"DUID"_s, u"(missing)"_s);
}

} // namespace

class TClientIdTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isCreatedOnceAndKept()
    {
        TTestHome home;
        const QString id = GetClientId();
        QCOMPARE(id.size(), 32);
        QCOMPARE(StoredClientId(), id);
        QCOMPARE(GetClientId(), id);
    }

    void isRecreatedAfterDeletion()
    {
        TTestHome home;
        const QString first = GetClientId();
        QFile values(home.ConfigHome() + u"/Dovrelan/values.json"_s);
        QVERIFY(values.open(QIODevice::WriteOnly));
        values.write(R"({"other": "kept"})");
        values.close();

        const QString second = GetClientId();
        QCOMPARE(second.size(), 32);
        QVERIFY(second != first);
        QCOMPARE(StoredClientId(), second);
        QCOMPARE(TConfig(MakerKey).ReadString(u"other"_s, {}), u"kept"_s);
    }

    void storedTextIsReturnedAsItStands_data()
    {
        QTest::addColumn<QString>("stored");

        QTest::newRow("edited") << u"edited by hand"_s;
        QTest::newRow("empty") << QString();
    }
    void storedTextIsReturnedAsItStands()
    {
        QFETCH(QString, stored);
        TTestHome home;
        TConfig(MakerKey).WriteString(u"DUID"_s, stored);
        QCOMPARE(GetClientId(), stored);
        QCOMPARE(StoredClientId(), stored);
    }

    void valueOfAnotherKindGivesEmpty()
    {
        TTestHome home;
        TConfig(MakerKey).WriteInteger(u"DUID"_s, 5);
        QCOMPARE(GetClientId(), QString());
        QCOMPARE(TConfig(MakerKey).ReadInteger(u"DUID"_s, 0), 5);
    }

    void unusableStoreGivesEmpty()
    {
        TTestHome home;
        QFile blocker(home.ConfigHome() + u"/Dovrelan"_s);
        QVERIFY(QDir().mkpath(home.ConfigHome()));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QCOMPARE(GetClientId(), QString());
    }

    void newIdHasItsFields_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");

        QTest::newRow("afternoon")
            << QDateTime(QDate(2026, 3, 9), QTime(14, 5, 7)) << u"260309"_s << u"140507"_s;
        QTest::newRow("first second of a century")
            << QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0)) << u"000101"_s << u"000000"_s;
        QTest::newRow("last second of a year")
            << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)) << u"991231"_s << u"235959"_s;
    }
    void newIdHasItsFields()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, date);
        QFETCH(QString, time);
        const QString id = NewClientId(now);
        static const QRegularExpression shape(
            u"^[0-7][0-9A-F]{7}[0-9]{6}[0-9A-F]{4}[0-9]{6}[0-7][0-9A-F]{7}$"_s);
        QVERIFY2(shape.match(id).hasMatch(), qPrintable(id));
        QCOMPARE(id.mid(8, 6), date);
        QCOMPARE(id.mid(18, 6), time);
    }

    void idsMadeInTheSameSecondDiffer()
    {
        const QDateTime now(QDate(2026, 3, 9), QTime(14, 5, 7));
        QVERIFY(NewClientId(now) != NewClientId(now));
    }
};

QTEST_GUILESS_MAIN(TClientIdTest)
#include "tst_clientid.moc"
