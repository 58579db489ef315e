#pragma once

#include <QString>

// Upper- or lower-cases a to z only, whatever the locale; every other character stays as it is, so
// positions in the result are positions in the original. Matching of catalogue texts, extensions
// and reply tags ignores case this way.
inline QString AsciiUpper(QString text)
{
    for (QChar& c : text) {
        if (c >= u'a' && c <= u'z')
            c = QChar(char16_t(c.unicode() - (u'a' - u'A')));
    }
    return text;
}

inline QString AsciiLower(QString text)
{
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(char16_t(c.unicode() + (u'a' - u'A')));
    }
    return text;
}
