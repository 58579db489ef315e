// ExtractBetween and UnescapeJson on arbitrary replies. Input: start tag, end tag, then the reply.
#include "update/ReplyText.h"

#include "FuzzInput.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

// A malformed \u escape is the one failure callers handle; anything else escapes to libFuzzer.
void Unescape(const QString& text)
{
    try {
        const QString plain = UnescapeJson(text);
        FuzzCheck(plain.size() <= text.size(), "unescaping never lengthens a text");
        if (!text.contains(u'\\'))
            FuzzCheck(plain == text, "a text without backslashes is left alone");
    } catch (const TJsonEscapeError&) {
    }
}

// Whatever a well-formed reply's string holds, the value read from it is that string.
void CheckRoundTrip(const QString& value)
{
    const QString reply = QString::fromUtf8(
        QJsonDocument(QJsonObject{{u"update"_s, value}}).toJson(QJsonDocument::Compact));
    FuzzCheck(UnescapeJson(ExtractBetween(reply, u"\"UPDATE\":\""_s, u"\""_s)) == value,
              "a JSON string value reads back unchanged");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TFuzzInput input(data, size);
    const QString startTag = input.Text();
    const QString endTag = input.Text();
    const QString reply = QString::fromUtf8(input.Rest());

    const QString between = ExtractBetween(reply, startTag, endTag);
    FuzzCheck(reply.contains(between), "the text between tags is part of the reply");
    Unescape(between);
    Unescape(reply);
    const QString info = ExtractBetween(reply, u"\"info\":{"_s, u"}"_s);
    FuzzCheck(reply.contains(info), "the info object is part of the reply");
    for (const QString& key : {u"update"_s, u"notify"_s})
        Unescape(ExtractBetween(reply, u'"' + key + u"\":\""_s, u"\""_s));
    for (const QString& key : {u"style"_s, u"text"_s, u"flag"_s, u"url"_s})
        Unescape(ExtractBetween(info, u'"' + key + u"\":\""_s, u"\""_s));
    CheckRoundTrip(reply);
    return 0;
}
