#include "i18n/Translate.h"

#include "base/AsciiCase.h"

#include <QFile>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const auto CatalogueResource = u":/translate.txt"_s;
// Texts added since: the same format, in a file of their own, so that the shipped one stays
// byte for byte as it is.
const auto AddedCatalogueResource = u":/translate-added.txt"_s;
const QByteArray ByteOrderMark = "\xEF\xBB\xBF";
const auto FallbackLanguage = u"en"_s;

struct TCatalogueLine
{
    bool IsEmpty = true;
    QString Name;
    QString Value;
    QString FoldedValue;
};

using TCatalogue = std::vector<TCatalogueLine>;

// Written at start-up, read from any thread: readers copy the pointer under the mutex and scan
// the catalogue without it, since a loaded catalogue is never changed, only replaced.
struct TTranslationState
{
    std::mutex Mutex;
    std::shared_ptr<const TCatalogue> Catalogue = std::make_shared<const TCatalogue>();
    QString Language = FallbackLanguage;
};

TTranslationState& State()
{
    static TTranslationState state;
    return state;
}

QString ExpandLineBreaks(QString text)
{
    return text.replace(u"\\n"_s, u"\r"_s);
}

// Lines end at CR LF, a lone CR or a lone LF; a break after the last line adds no empty line.
QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

TCatalogueLine ParseLine(const QString& text)
{
    TCatalogueLine line;
    line.IsEmpty = text.isEmpty();
    const qsizetype separator = text.indexOf(u'=');
    if (separator >= 0) {
        line.Name = text.left(separator);
        line.Value = text.mid(separator + 1);
        line.FoldedValue = AsciiUpper(line.Value);
    }
    return line;
}

std::optional<size_t> FindValue(const TCatalogue& catalogue, const QString& foldedSource)
{
    for (size_t i = 0; i < catalogue.size(); ++i) {
        if (!catalogue[i].IsEmpty && catalogue[i].FoldedValue == foldedSource)
            return i;
    }
    return std::nullopt;
}

size_t BlockStart(const TCatalogue& catalogue, size_t line)
{
    while (line > 0 && !catalogue[line - 1].IsEmpty)
        --line;
    return line;
}

const TCatalogueLine* FindInBlock(const TCatalogue& catalogue, size_t blockStart,
                                  const QString& language)
{
    for (size_t i = blockStart; i < catalogue.size() && !catalogue[i].IsEmpty; ++i) {
        if (catalogue[i].Name == language)
            return &catalogue[i];
    }
    return nullptr;
}

QByteArray ReadResource(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArrayView WithoutByteOrderMark(QByteArrayView bytes)
{
    return bytes.startsWith(ByteOrderMark) ? bytes.sliced(ByteOrderMark.size()) : bytes;
}

} // namespace

void LoadTranslations()
{
    // An empty line keeps the added blocks apart from the last shipped one.
    LoadCatalogue(ReadResource(CatalogueResource) + "\r\n\r\n" +
                  WithoutByteOrderMark(ReadResource(AddedCatalogueResource)));
    SetCurrentLanguage(GetUserLanguage().left(2));
}

void LoadCatalogue(const QByteArray& text)
{
    auto catalogue = std::make_shared<TCatalogue>();
    for (const QString& line : SplitLines(QString::fromUtf8(WithoutByteOrderMark(text))))
        catalogue->push_back(ParseLine(line));

    TTranslationState& state = State();
    const std::lock_guard lock(state.Mutex);
    state.Catalogue = std::move(catalogue);
}

QString TranslateText(const QString& source, const QString& language)
{
    const QString unchanged = ExpandLineBreaks(source);
    if (source.isEmpty())
        return unchanged;

    std::shared_ptr<const TCatalogue> catalogue;
    QString wanted = language;
    {
        TTranslationState& state = State();
        const std::lock_guard lock(state.Mutex);
        catalogue = state.Catalogue;
        if (wanted.isEmpty())
            wanted = state.Language;
    }

    const std::optional<size_t> match = FindValue(*catalogue, AsciiUpper(source));
    if (!match)
        return unchanged;
    const size_t blockStart = BlockStart(*catalogue, *match);
    for (const QString& code : {wanted, FallbackLanguage}) {
        if (const TCatalogueLine* line = FindInBlock(*catalogue, blockStart, code))
            return ExpandLineBreaks(line->Value);
    }
    return unchanged;
}

QString CurrentLanguage()
{
    TTranslationState& state = State();
    const std::lock_guard lock(state.Mutex);
    return state.Language;
}

void SetCurrentLanguage(const QString& language)
{
    TTranslationState& state = State();
    const std::lock_guard lock(state.Mutex);
    state.Language = language;
}

QString GetUserLanguage()
{
    return LanguageOfLocale(QLocale::system());
}

QString LanguageOfLocale(const QLocale& locale)
{
    const QLocale::Language language = locale.language();
    if (language == QLocale::C || language == QLocale::AnyLanguage)
        return FallbackLanguage;
    const QString code = QLocale::languageToCode(language).toLower();
    return code.isEmpty() ? FallbackLanguage : code;
}
