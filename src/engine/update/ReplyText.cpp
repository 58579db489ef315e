#include "update/ReplyText.h"

#include "base/AsciiCase.h"

using namespace Qt::StringLiterals;

namespace {

bool IsQuoteTag(const QString& tag)
{
    return tag == u"\""_s || tag == u"'"_s || tag == u"\"'"_s;
}

// A backslash escapes the character after it: an escaped end tag is masked so that it cannot
// end the value, and an escaped backslash cannot hide the real end tag after it.
void MaskEscapedEndTags(QString& searchText, const QString& endTag)
{
    for (qsizetype i = 0; i + 1 < searchText.size(); ++i) {
        if (searchText.at(i) != u'\\')
            continue;
        if (QStringView(searchText).sliced(i + 1).startsWith(endTag))
            searchText[i + 1] = u'\\';
        ++i;
    }
}

int HexDigitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

QChar HexCodeUnit(const QString& text, qsizetype from)
{
    constexpr qsizetype DigitCount = 4;
    if (from + DigitCount > text.size())
        throw TJsonEscapeError("backslash-u escape cut short");
    char16_t unit = 0;
    for (qsizetype i = from; i < from + DigitCount; ++i) {
        const int digit = HexDigitValue(text.at(i));
        if (digit < 0)
            throw TJsonEscapeError("backslash-u escape with a non-hexadecimal digit");
        unit = char16_t(unit * 16 + digit);
    }
    return QChar(unit);
}

} // namespace

QString ExtractBetween(const QString& text, const QString& startTag, const QString& endTag)
{
    QString searchText = AsciiUpper(text);
    const QString searchStart = AsciiUpper(startTag);
    const QString searchEnd = AsciiUpper(endTag);
    if (IsQuoteTag(searchEnd))
        MaskEscapedEndTags(searchText, searchEnd);

    qsizetype start = 0;
    if (!searchStart.isEmpty()) {
        const qsizetype found = searchText.indexOf(searchStart);
        if (found < 0)
            return QString();
        start = found + searchStart.size();
    }

    qsizetype end = text.size();
    if (!searchEnd.isEmpty()) {
        end = searchText.indexOf(searchEnd, start);
        if (end < 0)
            return QString();
    }
    return text.mid(start, end - start);
}

QString UnescapeJson(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\') {
            result.append(c);
            continue;
        }
        if (++i == text.size())
            break;
        switch (const QChar escaped = text.at(i); escaped.unicode()) {
        case u'"':
        case u'\'':
        case u'/':
        case u'\\':
            result.append(escaped);
            break;
        case u'b':
            result.append(u'\b');
            break;
        case u'f':
            result.append(u'\f');
            break;
        case u'n':
            result.append(u'\n');
            break;
        case u'r':
            result.append(u'\r');
            break;
        case u't':
            result.append(u'\t');
            break;
        case u'u':
            result.append(HexCodeUnit(text, i + 1));
            i += 4;
            break;
        default:
            break;
        }
    }
    return result;
}
