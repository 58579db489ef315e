#include "cli/BatchReport.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {
QString WithoutControls(QString text, QChar replacement)
{
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = replacement;
    }
    return text;
}

// A program's message of several lines as one.
QString JoinLines(const QString& text)
{
    static const QRegularExpression lineBreaks(u"\\r\\n|\\r|\\n"_s);
    return text.split(lineBreaks, Qt::SkipEmptyParts).join(u"; "_s);
}
} // namespace

QString ResultLine(const QString& fileName, const TResult<>& result)
{
    // As a terminal's file listing shows such names.
    const QString path = WithoutControls(fileName, u'?');
    if (result.IsOk())
        return u"ok\t"_s + path;
    return u"fail\t"_s + path + u'\t' + WithoutControls(JoinLines(result.Reason()), u' ');
}

QString SummaryLine(qsizetype converted, qsizetype failed)
{
    return u"%1 converted, %2 failed"_s.arg(converted).arg(failed);
}

TProgressBar::TProgressBar(std::FILE* terminal, qsizetype total)
    : FTerminal(terminal), FTotal(total)
{}

void TProgressBar::Show(qsizetype done)
{
    constexpr qsizetype Width = 40;
    const qsizetype filled = FTotal > 0 ? Width * done / FTotal : Width;
    const QByteArray bar = QByteArray(filled, '#') + QByteArray(Width - filled, '-');
    std::fprintf(FTerminal, "\r[%s] %lld/%lld", bar.constData(), static_cast<long long>(done),
                 static_cast<long long>(FTotal));
    std::fflush(FTerminal);
    FIsShown = true;
}

void TProgressBar::Clear()
{
    if (!FIsShown)
        return;
    // Carriage return, then erase to the end of the line.
    std::fputs("\r\x1b[K", FTerminal);
    std::fflush(FTerminal);
    FIsShown = false;
}
