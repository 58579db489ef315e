#include "update/ReplyText.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Escaped literals rather than raw ones: moc 6.4 loses the test class after some raw strings.

class TReplyTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void extractBetween_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("startTag");
        QTest::addColumn<QString>("endTag");
        QTest::addColumn<QString>("expected");

        const QString quote = u"\""_s;
        const QString update = u"\"update\":\""_s;
        QTest::newRow("plain value") << u"{\"update\":\"https://a.example/x\",\"notify\":\"\"}"_s
                                     << update << quote << u"https://a.example/x"_s;
        QTest::newRow("key in capitals") << u"{\"Update\":\"u1\"}"_s << update << quote << u"u1"_s;
        QTest::newRow("tag in capitals")
            << u"{\"update\":\"u1\"}"_s << u"\"UPDATE\":\""_s << quote << u"u1"_s;
        QTest::newRow("value keeps its case")
            << u"{\"update\":\"MiXeD\"}"_s << update << quote << u"MiXeD"_s;
        QTest::newRow("only ASCII letters fold")
            << u"{\"é\":\"small\",\"É\":\"capital\"}"_s << u"\"É\":\""_s << quote << u"capital"_s;
        QTest::newRow("first occurrence wins")
            << u"{\"update\":\"one\",\"update\":\"two\"}"_s << update << quote << u"one"_s;
        QTest::newRow("space after the colon")
            << u"{\"update\": \"u1\"}"_s << update << quote << QString();

        QTest::newRow("escaped quote") << u"{\"notify\":\"say \\\"hi\\\" now\",\"x\":1}"_s
                                       << u"\"notify\":\""_s << quote << u"say \\\"hi\\\" now"_s;
        QTest::newRow("escaped backslash before the closing quote")
            << u"{\"notify\":\"C:\\\\\",\"x\":\"y\"}"_s << u"\"notify\":\""_s << quote
            << u"C:\\\\"_s;
        QTest::newRow("escaped backslash, then escaped quote")
            << u"{\"notify\":\"a\\\\\\\"b\",\"x\":\"y\"}"_s << u"\"notify\":\""_s << quote
            << u"a\\\\\\\"b"_s;
        QTest::newRow("key quoted inside another value")
            << u"{\"text\":\"\\\"update\\\":\\\"fake\\\"\",\"update\":\"real\"}"_s << update
            << quote << u"real"_s;
        QTest::newRow("apostrophe end tag")
            << u"{'k':'it\\'s','n':1}"_s << u"'k':'"_s << u"'"_s << u"it\\'s"_s;
        QTest::newRow("escapes matter only for quote tags")
            << u"{\"info\":{\"a\":\"\\}\"}}"_s << u"\"info\":{"_s << u"}"_s << u"\"a\":\"\\"_s;
        QTest::newRow("end tag searched after the start")
            << u"}{\"info\":{\"a\":\"b\"}}"_s << u"\"info\":{"_s << u"}"_s << u"\"a\":\"b\""_s;

        QTest::newRow("missing start tag")
            << u"{\"notify\":\"n\"}"_s << update << quote << QString();
        QTest::newRow("missing end tag") << u"{\"update\":\"open"_s << update << quote << QString();
        QTest::newRow("empty start tag") << u"abc\"def"_s << QString() << quote << u"abc"_s;
        QTest::newRow("empty end tag")
            << u"{\"info\":{x}"_s << u"\"info\":{"_s << QString() << u"x}"_s;
        QTest::newRow("both tags empty") << u"whole"_s << QString() << QString() << u"whole"_s;
        QTest::newRow("empty text") << QString() << update << quote << QString();
    }
    void extractBetween()
    {
        QFETCH(QString, text);
        QFETCH(QString, startTag);
        QFETCH(QString, endTag);
        QFETCH(QString, expected);
        QCOMPARE(ExtractBetween(text, startTag, endTag), expected);
    }

    void unescapeJson_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("no escapes") << u"plain text é"_s << u"plain text é"_s;
        QTest::newRow("lower-case hex") << u"caf\\u00e9"_s << u"café"_s;
        QTest::newRow("upper-case hex") << u"caf\\u00E9"_s << u"café"_s;
        QTest::newRow("surrogate pair") << u"\\ud83d\\ude00!"_s << u"\U0001F600!"_s;
        QTest::newRow("quotes, slash, backslash") << u"\\\"\\'\\/\\\\"_s << u"\"'/\\"_s;
        QTest::newRow("control characters") << u"\\b\\f\\n\\r\\t"_s << u"\b\f\n\r\t"_s;
        QTest::newRow("unknown escape") << u"a\\qb"_s << u"ab"_s;
        QTest::newRow("escape letters are lower case") << u"a\\Nb"_s << u"ab"_s;
        QTest::newRow("escaped backslash before u") << u"\\\\u0041"_s << u"\\u0041"_s;
        QTest::newRow("trailing backslash") << u"ab\\"_s << u"ab"_s;
        QTest::newRow("empty") << QString() << QString();
    }
    void unescapeJson()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(UnescapeJson(text), expected);
    }

    void malformedUnicodeEscape_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing after u") << u"abc\\u"_s;
        QTest::newRow("three digits at the end") << u"abc\\u00e"_s;
        QTest::newRow("non-hex digit") << u"\\u00g1 more"_s;
        QTest::newRow("sign") << u"\\u+123 more"_s;
        QTest::newRow("space") << u"\\u 123 more"_s;
        QTest::newRow("hex prefix") << u"\\u0x12 more"_s;
    }
    void malformedUnicodeEscape()
    {
        QFETCH(QString, text);
        QVERIFY_THROWS_EXCEPTION(TJsonEscapeError, UnescapeJson(text));
    }

    void extractedValueUnescapes()
    {
        const QString reply =
            u"{\"notify\":\"Say \\\"caf\\u00e9\\\" at C:\\\\\",\"update\":\"\"}"_s;
        QCOMPARE(UnescapeJson(ExtractBetween(reply, u"\"notify\":\""_s, u"\""_s)),
                 u"Say \"café\" at C:\\"_s);
    }
};

QTEST_GUILESS_MAIN(TReplyTextTest)
#include "tst_replytext.moc"
