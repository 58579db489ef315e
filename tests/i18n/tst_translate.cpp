#include "i18n/Translate.h"

#include <QFile>
#include <QHash>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList Languages = {u"ko"_s, u"en"_s, u"ja"_s, u"zh"_s, u"ru"_s, u"it"_s, u"fr"_s};

QByteArray Resource(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray ShippedCatalogue()
{
    return Resource(u":/translate.txt"_s);
}

QByteArray AddedCatalogue()
{
    return Resource(u":/translate-added.txt"_s);
}

// The blocks of a catalogue file, each a list of its lines; any line break.
QList<QStringList> Blocks(const QByteArray& catalogue)
{
    QList<QStringList> blocks;
    QString text = QString::fromUtf8(catalogue.mid(3)).replace(u"\r\n"_s, u"\n"_s);
    for (const QString& block : text.split(u"\n\n"_s))
        blocks << block.split(u'\n', Qt::SkipEmptyParts);
    return blocks;
}

} // namespace

class TTranslateTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        LoadTranslations();
        SetCurrentLanguage(u"ko"_s);
    }

    void everyLanguage_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("expected");

        QList<QStringList> blocks = {
            {u"후원하기"_s, u"Donate"_s, u"寄付"_s, u"捐赠"_s, u"Донат"_s, u"Dona"_s, u"Donner"_s},
            {u"저장형식 :"_s, u"Format"_s, u"フォーマット"_s, u"格式"_s, u"Формат"_s, u"Formato"_s,
             u"Format"_s},
            {u"%s 로 변환하기"_s, u"Convert to %s"_s, u"%s に変換"_s, u"转换为 %s"_s,
             u"Конвертировать в %s"_s, u"Converti in %s"_s, u"Convertir en %s"_s},
            {u"준비"_s, u"Ready"_s, u"準備完了"_s, u"准备"_s, u"Готово"_s, u"Pronto"_s, u"Prêt"_s},
            {u"모든 목록 삭제"_s, u"Delete All"_s, u"すべて削除"_s, u"全部删除"_s, u"Удалить все"_s,
             u"Elimina tutto"_s, u"Tout supprimer"_s},
        };
        // Every block of the added catalogue, as the program finds it after the shipped one.
        for (const QStringList& lines : Blocks(AddedCatalogue())) {
            QStringList block;
            for (const QString& line : lines)
                block << line.section(u'=', 1);
            blocks << block;
        }
        for (const QStringList& block : blocks) {
            for (qsizetype i = 0; i < Languages.size(); ++i) {
                QTest::addRow("%s/%s", qUtf8Printable(block[1]), qUtf8Printable(Languages[i]))
                    << block[0] << Languages[i] << block[i];
            }
        }
    }
    void everyLanguage()
    {
        QFETCH(QString, source);
        QFETCH(QString, language);
        QFETCH(QString, expected);
        SetCurrentLanguage(language);
        QCOMPARE(TranslateText(source), expected);
    }

    void lookup_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty source") << QString() << u"en"_s << QString();
        QTest::newRow("explicit language wins") << u"준비"_s << u"ja"_s << u"準備完了"_s;
        QTest::newRow("no German: English") << u"준비"_s << u"de"_s << u"Ready"_s;
        QTest::newRow("upper-case English value") << u"READY"_s << u"ko"_s << u"준비"_s;
        QTest::newRow("lower-case English value") << u"ready"_s << u"ko"_s << u"준비"_s;
        QTest::newRow("non-ASCII letters keep their case") << u"PRÊT"_s << u"en"_s << u"PRÊT"_s;
        QTest::newRow("French value finds its block") << u"Prêt"_s << u"en"_s << u"Ready"_s;
        QTest::newRow("Japanese value to Korean") << u"準備完了"_s << u"ko"_s << u"준비"_s;
        QTest::newRow("unknown text") << u"PnlHome"_s << u"en"_s << u"PnlHome"_s;
        QTest::newRow("key is not trimmed") << u"저장형식"_s << u"en"_s << u"저장형식"_s;
        QTest::newRow("unknown text with line breaks")
            << u"하나\\n둘\\n"_s << u"en"_s << u"하나\r둘\r"_s;
    }
    void lookup()
    {
        QFETCH(QString, source);
        QFETCH(QString, language);
        QFETCH(QString, expected);
        QCOMPARE(TranslateText(source, language), expected);
    }

    void shippedCatalogueBytes()
    {
        const QByteArray bytes = ShippedCatalogue();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));

        // One lone LF ends the Italian line of block 5; every other line ends in CR LF.
        const QByteArray loneLf = "\r\nit=Dona\nfr=Donner\r\n";
        QVERIFY(bytes.contains(loneLf));
        QByteArray body = bytes.mid(3);
        body.replace(loneLf, "\r\nit=Dona\r\nfr=Donner\r\n");
        QVERIFY(body.endsWith("\r\n"));
        QCOMPARE(body.count('\r'), body.count("\r\n"));
        QCOMPARE(body.count('\n'), body.count("\r\n"));

        body.chop(2);
        const QStringList blocks = QString::fromUtf8(body).split(u"\r\n\r\n"_s);
        QCOMPARE(blocks.size(), 26);
        for (const QString& block : blocks) {
            const QStringList lines = block.split(u"\r\n"_s);
            QCOMPARE(lines.size(), Languages.size());
            for (qsizetype i = 0; i < lines.size(); ++i)
                QVERIFY2(lines[i].startsWith(Languages[i] + u'=') && lines[i].size() > 3,
                         qUtf8Printable(lines[i]));
        }
    }

    // Texts added later keep the shipped format, every line ended by CR LF.
    void addedCatalogueBytes()
    {
        const QByteArray bytes = AddedCatalogue();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QVERIFY(!bytes.contains("\r\n\r\n\r\n"));
        const QList<QStringList> blocks = Blocks(bytes);
        QVERIFY(!blocks.isEmpty());
        for (const QStringList& lines : blocks) {
            QCOMPARE(lines.size(), Languages.size());
            for (qsizetype i = 0; i < lines.size(); ++i)
                QVERIFY2(lines[i].startsWith(Languages[i] + u'=') && lines[i].size() > 3,
                         qUtf8Printable(lines[i]));
        }
    }

    // A value shared by two blocks, in either catalogue, would make one of them unreachable.
    void everyValueLeadsToOneBlock()
    {
        QHash<QString, QString> blockOfValue;
        const QList<QStringList> blocks = Blocks(ShippedCatalogue()) + Blocks(AddedCatalogue());
        QVERIFY(blocks.size() > 1);
        for (const QStringList& block : blocks) {
            const QString key = block.value(0);
            for (const QString& line : block) {
                QString value = line.section(u'=', 1);
                for (QChar& c : value) {
                    if (c >= u'a' && c <= u'z')
                        c = QChar(char16_t(c.unicode() - (u'a' - u'A')));
                }
                const QString owner = blockOfValue.value(value, key);
                QVERIFY2(owner == key, qUtf8Printable(value));
                blockOfValue.insert(value, key);
            }
        }
    }

    void customCatalogue_data()
    {
        QTest::addColumn<QByteArray>("catalogue");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("expected");

        QTest::newRow("CR LF") << QByteArray("ko=\xEA\xB0\x80\r\nen=A\r\n\r\nko=B-ko\r\nen=B\r\n")
                               << u"B-ko"_s << u"ja"_s << u"B"_s;
        QTest::newRow("lone CR") << QByteArray("ko=\xEA\xB0\x80\ren=A\r\rko=B-ko\ren=B")
                                 << u"B-ko"_s << u"ja"_s << u"B"_s;
        QTest::newRow("lone LF") << QByteArray("ko=\xEA\xB0\x80\nen=A\n\nko=B-ko\nen=B\n")
                                 << u"B-ko"_s << u"ja"_s << u"B"_s;
        QTest::newRow("LF then CR is two breaks")
            << QByteArray("ko=\xEA\xB0\x80\nen=A\n\rko=B-ko\ren=B") << u"B-ko"_s << u"ja"_s
            << u"B"_s;
        QTest::newRow("line of blanks joins blocks")
            << QByteArray("ko=\xEA\xB0\x80\r\nen=A\r\n \r\nko=B-ko\r\n") << u"B-ko"_s << u"en"_s
            << u"A"_s;
        QTest::newRow("byte-order mark skipped")
            << QByteArray("\xEF\xBB\xBFko=\xEA\xB0\x80\r\nen=A") << u"A"_s << u"ko"_s << u"가"_s;
        QTest::newRow("no byte-order mark")
            << QByteArray("ko=\xEA\xB0\x80\r\nen=A") << u"A"_s << u"ko"_s << u"가"_s;
        QTest::newRow("later equals signs belong to the value")
            << QByteArray("ko=a=b\r\nen=A=B") << u"a=b"_s << u"en"_s << u"A=B"_s;
        QTest::newRow("escape in the value") << QByteArray("ko=\xEA\xB0\x80\r\nen=Line\\nbreak")
                                             << u"가"_s << u"en"_s << u"Line\rbreak"_s;
        QTest::newRow("language names are case-sensitive")
            << QByteArray("ko=\xEA\xB0\x80\r\nEN=A") << u"가"_s << u"en"_s << u"가"_s;
        QTest::newRow("neither language nor English")
            << QByteArray("ko=\xEA\xB0\x80\r\nja=X") << u"가"_s << u"fr"_s << u"가"_s;
        QTest::newRow("line without equals sign")
            << QByteArray("ko=\xEA\xB0\x80\r\nnoise\r\nen=A") << u"가"_s << u"en"_s << u"A"_s;
    }
    void customCatalogue()
    {
        QFETCH(QByteArray, catalogue);
        QFETCH(QString, source);
        QFETCH(QString, language);
        QFETCH(QString, expected);
        LoadCatalogue(catalogue);
        QCOMPARE(TranslateText(source, language), expected);
    }

    void unusableCatalogue_data()
    {
        QTest::addColumn<QByteArray>("catalogue");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("byte-order mark only") << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("not UTF-8") << QByteArray("\xFF\xFE\x00k\x00o\x00=\x00");
    }
    void unusableCatalogue()
    {
        QFETCH(QByteArray, catalogue);
        LoadCatalogue(catalogue);
        QCOMPARE(TranslateText(u"준비"_s, u"en"_s), u"준비"_s);
        QCOMPARE(TranslateText(u"a\\nb"_s, u"en"_s), u"a\rb"_s);
    }

    void languageOfLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Korean") << QLocale(u"ko_KR"_s) << u"ko"_s;
        QTest::newRow("Japanese") << QLocale(u"ja_JP"_s) << u"ja"_s;
        QTest::newRow("Chinese, simplified") << QLocale(u"zh_CN"_s) << u"zh"_s;
        QTest::newRow("Chinese, traditional") << QLocale(u"zh_TW"_s) << u"zh"_s;
        QTest::newRow("German") << QLocale(u"de_DE"_s) << u"de"_s;
        QTest::newRow("C locale") << QLocale::c() << u"en"_s;
    }
    void languageOfLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        QCOMPARE(LanguageOfLocale(locale), expected);
    }
};

QTEST_GUILESS_MAIN(TTranslateTest)
#include "tst_translate.moc"
