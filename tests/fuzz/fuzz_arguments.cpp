// Argument building for arbitrary path texts. Input: the paths of every role, the target format,
// the source type, then option bytes. Each argument list is built twice, with the fuzzed paths and
// with plain ones: arguments that carry no path must be the same in both, and each path must sit
// whole in the one argument where its plain counterpart sits, in a form its program reads back
// as that path and never as an option, a list file or a device.
#include "convert/ConvertArguments.h"

#include "FuzzInput.h"

#include <QDir>

#include <array>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

enum class TPathRole
{
    Input,
    Output,
    Bitmap,
    Jpeg,
    PagePrefix,
    AiPng,
    Document,
    Profile,
    Exif,
    Count
};

constexpr auto RoleCount = static_cast<std::size_t>(TPathRole::Count);
using TPaths = std::array<QString, RoleCount>;

// How a program reads "%" in a file name.
enum class TPercent
{
    Literal,
    // "%d" and the like are expanded; "%%" is one "%".
    Doubled
};

QString PlainPath(std::size_t role)
{
    return u"/plain-"_s + QString::number(role);
}

// ImageMagick expands "%" in every file name, Ghostscript in its output file only.
TPercent PercentRule(const QString& program, const QString& textBefore)
{
    if (program == u"magick" || (program == u"gs" && textBefore.startsWith(u"-sOutputFile=")))
        return TPercent::Doubled;
    return TPercent::Literal;
}

std::optional<QString> Decode(const QString& text, TPercent rule)
{
    if (rule == TPercent::Literal)
        return text;
    QString decoded;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != u'%') {
            decoded += text.at(i);
            continue;
        }
        if (i + 1 == text.size() || text.at(i + 1) != u'%')
            return std::nullopt;
        decoded += u'%';
        ++i;
    }
    return decoded;
}

// The path itself, or the same relative path from the current folder.
bool NamesPath(const QString& read, const QString& path)
{
    return read == path || (!QDir::isAbsolutePath(path) && read == u"./"_s + path);
}

// Options begin with "-" or "+", list files with "@"; Ghostscript takes "%name%" for a device and
// "|" for a pipe.
bool CanBeTakenForMore(const QString& read)
{
    return read.isEmpty() || QStringView(u"-+@%|").contains(read.front());
}

void CheckArgument(const QString& program, const QString& plainArgument, const QString& argument,
                   const QString& plainPath, const QString& path)
{
    const qsizetype at = plainArgument.indexOf(plainPath);
    const QString before = plainArgument.left(at);
    const QString after = plainArgument.mid(at + plainPath.size());
    FuzzCheck(argument.size() >= before.size() + after.size() && argument.startsWith(before) &&
                  argument.endsWith(after),
              "a path leaves the text around it alone");
    const QString middle =
        argument.mid(before.size(), argument.size() - before.size() - after.size());
    const std::optional<QString> read = Decode(middle, PercentRule(program, before));
    FuzzCheck(read.has_value(), "every \"%\" of a path is escaped");
    FuzzCheck(NamesPath(*read, path), "the program reads the path back unchanged");
    FuzzCheck(!CanBeTakenForMore(*read), "a path cannot be taken for an option or a device");
}

void CheckArguments(const QString& program, const QStringList& plain, const QStringList& fuzzed,
                    const TPaths& paths)
{
    FuzzCheck(plain.size() == fuzzed.size(), "paths add or remove no argument");
    for (qsizetype i = 0; i < plain.size(); ++i) {
        bool isPathArgument = false;
        for (std::size_t role = 0; role < RoleCount; ++role) {
            if (!plain[i].contains(PlainPath(role)))
                continue;
            CheckArgument(program, plain[i], fuzzed[i], PlainPath(role), paths[role]);
            isPathArgument = true;
        }
        if (!isPathArgument)
            FuzzCheck(fuzzed[i] == plain[i], "arguments without a path do not depend on paths");
    }
}

struct TBuild
{
    TConvertOptions Options;
    QString SourceType;
    int ScalePercent = 0;
    int Quality = 75;
};

const QString& Path(const TPaths& paths, TPathRole role)
{
    return paths[static_cast<std::size_t>(role)];
}

void CheckEveryBuilder(const TBuild& build, const TPaths& paths)
{
    TPaths plain;
    for (std::size_t role = 0; role < RoleCount; ++role)
        plain[role] = PlainPath(role);
    const auto image = [&build](const TPaths& p) {
        return TImageInput{Path(p, TPathRole::Input), build.SourceType, build.ScalePercent,
                           Path(p, TPathRole::Profile)};
    };
    CheckArguments(
        u"magick"_s,
        ImageMagickArguments(build.Options, image(plain), Path(plain, TPathRole::Output)),
        ImageMagickArguments(build.Options, image(paths), Path(paths, TPathRole::Output)), paths);
    CheckArguments(
        u"magick"_s, BitmapArguments(build.Options, image(plain), Path(plain, TPathRole::Bitmap)),
        BitmapArguments(build.Options, image(paths), Path(paths, TPathRole::Bitmap)), paths);
    const auto jpeg = [&build](const TPaths& p) {
        return JpegEncoderArguments(build.Quality, Path(p, TPathRole::Jpeg),
                                    Path(p, TPathRole::Bitmap), Path(p, TPathRole::Profile));
    };
    CheckArguments(u"cjpeg"_s, jpeg(plain), jpeg(paths), paths);
    const auto exif = [](const TPaths& p) {
        return ExifExtractArguments(Path(p, TPathRole::Input), Path(p, TPathRole::Exif));
    };
    CheckArguments(u"magick"_s, exif(plain), exif(paths), paths);
    const auto pdf = [](const TPaths& p) {
        return PdfArguments(u"/fonts"_s, PdfPagePattern(Path(p, TPathRole::PagePrefix)),
                            Path(p, TPathRole::Document));
    };
    CheckArguments(u"gs"_s, pdf(plain), pdf(paths), paths);
    const auto ai = [](const TPaths& p) {
        return AiArguments(Path(p, TPathRole::AiPng), Path(p, TPathRole::Document));
    };
    CheckArguments(u"gs"_s, ai(plain), ai(paths), paths);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TFuzzInput input(data, size);
    TPaths paths;
    for (QString& path : paths)
        path = input.Text();
    // An empty profile stands for none.
    if (Path(paths, TPathRole::Profile).isEmpty())
        paths[static_cast<std::size_t>(TPathRole::Profile)] = u"profile"_s;
    TBuild build;
    build.Options.Format = input.Text();
    build.SourceType = input.Text();
    build.Options.ResizeWidth = input.Number(0, 1) == 1 ? TResizeWidth::On : TResizeWidth::Off;
    build.Options.Width = input.Number(1, 255);
    build.Options.Quality = input.Number(40, 100);
    build.Quality = build.Options.Quality;
    build.ScalePercent = input.Number(0, 100);
    CheckEveryBuilder(build, paths);
    return 0;
}
