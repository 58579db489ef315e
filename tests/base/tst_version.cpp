#include "base/Version.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TVersionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formats_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QString>("expected");

        QTest::newRow("four parts") << QByteArray("%d.%d.%d.%d") << true << u"1.5.7.0"_s;
        QTest::newRow("three parts") << QByteArray("%d.%d.%d") << true << u"1.5.7"_s;
        QTest::newRow("unknown, four") << QByteArray("%d.%d.%d.%d") << false << u"0.0.0.0"_s;
        QTest::newRow("unknown, three") << QByteArray("%d.%d.%d") << false << u"0.0.0.0"_s;
    }
    void formats()
    {
        QFETCH(QByteArray, format);
        QFETCH(bool, known);
        QFETCH(QString, expected);
        const auto version = known ? std::optional(TFileVersion{1, 5, 7, 0}) : std::nullopt;
        QCOMPARE(FormatFileVersion(format.constData(), version), expected);
    }

    // Whatever number the project is built as, the program tells that one.
    void programVersionComesFromTheBuild()
    {
        const QString project = QStringLiteral(MORVANE_PROJECT_VERSION);
        QCOMPARE(GetFileVersion("%d.%d.%d.%d"), project);
        QCOMPARE(GetFileVersion("%d.%d.%d"), project.section(u'.', 0, 2));
    }
};

QTEST_GUILESS_MAIN(TVersionTest)
#include "tst_version.moc"
