// Catalogue parsing and TranslateText. Input: source text, language, then the catalogue's bytes.
#include "i18n/Translate.h"

#include "FuzzInput.h"

using namespace Qt::StringLiterals;

namespace {

QString ExpandedLineBreaks(QString text)
{
    return text.replace(u"\\n"_s, u"\r"_s);
}

// A catalogue line cannot hold a line break, so every CR of a translation was written "\n".
QString AsWritten(QString translation)
{
    return translation.replace(u'\r', u"\\n"_s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TFuzzInput input(data, size);
    const QString source = input.Text();
    const QString language = input.Text();
    const QByteArray catalogue = input.Rest();

    LoadCatalogue(catalogue);
    const QString translation = TranslateText(source, language);
    FuzzCheck(translation == ExpandedLineBreaks(source) ||
                  QString::fromUtf8(catalogue).contains(AsWritten(translation)),
              "a translation is the source itself or a value from the catalogue");
    FuzzCheck(TranslateText(source, language) == translation, "translation is repeatable");
    return 0;
}
