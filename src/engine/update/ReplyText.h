#pragma once

#include <QString>

#include <stdexcept>

// A backslash-u escape that is not followed by four hexadecimal digits.
class TJsonEscapeError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The raw text between the first startTag and the first endTag after it, both matched ignoring
// ASCII case; "" when either is missing. An empty startTag starts at the beginning, an empty
// endTag runs to the end. With a quote as endTag, escaped quotes do not end the value. Any thread.
QString ExtractBetween(const QString& text, const QString& startTag, const QString& endTag);

// The text with JSON string escapes decoded; unknown escapes and a trailing backslash are
// dropped. Throws TJsonEscapeError on a malformed backslash-u escape. Any thread.
QString UnescapeJson(const QString& text);
