#include "i18n/Translate.h"

#include "base/AsciiCase.h"

#include <QFile>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The shipped catalogue, then the texts added since; a text found in both takes the shipped one.
const QStringList CatalogueResources = {u":/translate.txt"_s, u":/translate-added.txt"_s};
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

} // namespace

void LoadTranslations()
{
    QList<QByteArray> texts;
    for (const QString& resource : CatalogueResources) {
        QFile file(resource);
        if (file.open(QIODevice::ReadOnly))
            texts.append(file.readAll());
    }
    LoadCatalogue(texts);
    SetCurrentLanguage(GetUserLanguage().left(2));
}

void LoadCatalogue(const QByteArray& text)
{
    LoadCatalogue(QList<QByteArray>{text});
}

void LoadCatalogue(const QList<QByteArray>& texts)
{
    auto catalogue = std::make_shared<TCatalogue>();
    for (const QByteArray& text : texts) {
        QByteArrayView bytes(text);
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes = bytes.sliced(3);
        // An empty line keeps the last block of one text apart from the first of the next.
        if (!catalogue->empty())
            catalogue->push_back(ParseLine(QString()));
        for (const QString& line : SplitLines(QString::fromUtf8(bytes)))
            catalogue->push_back(ParseLine(line));
    }

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
