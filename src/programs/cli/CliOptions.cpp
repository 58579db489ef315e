#include "cli/CliOptions.h"

#include "base/Version.h"
#include "config/StoredOptions.h"
#include "convert/ConvertTools.h"

#include <QCommandLineParser>

#include <limits>
#include <optional>

using namespace Qt::StringLiterals;

namespace {
QString DefaultTimeLimitSeconds()
{
    using namespace std::chrono;
    return QString::number(duration_cast<seconds>(TConvertTools().TimeLimit).count());
}

TCliRequest TextRequest(TCliAction action, const QString& text)
{
    TCliRequest request;
    request.Action = action;
    request.Text = text;
    return request;
}

class TCliParser
{
public:
    TCliParser()
    {
        FParser.setApplicationDescription(
            u"Converts every image file at or below each PATH to FORMAT (JPG, PNG, GIF, WEBP,\n"
            "TIFF, ...; taken as given) and prints a line per file: \"ok\" or \"fail\", a tab,\n"
            "the path, and for a failure a tab and the reason; then a summary.\n"
            "Exit status: 0 when every file was converted, 1 when any failed or none was\n"
            "found, 2 for a usage error. Interrupted (SIGINT, SIGTERM, SIGHUP), it stops the\n"
            "programs under way, reports every file (\"interrupted\" for those not converted)\n"
            "and the summary, and then ends by that signal (status 130, 143, 129).\n"
            "Outputs keep their source's photo information: EXIF (date taken, camera, lens,\n"
            "exposure, GPS position), XMP and the colour profile, the picture upright\n"
            "(orientation 1); GIF outputs keep the colour profile only. Transparent parts come\n"
            "out white in JPG."_s);
        FParser.addOptions(
            {FQuality, FWidth, FOutput, FKeepTree, FStrip, FKeepDates, FJobs, FTimeLimit});
        FParser.addHelpOption();
        FParser.addVersionOption();
        FParser.addPositionalArgument(u"FORMAT"_s, u"Target format, used as the extension."_s);
        FParser.addPositionalArgument(u"PATH"_s, u"Files and folders to convert."_s, u"PATH..."_s);
    }

    TCliRequest Parse(const QStringList& arguments)
    {
        if (!FParser.parse(arguments))
            return UsageError(FParser.errorText());
        if (FParser.isSet(u"help"_s) || FParser.isSet(u"help-all"_s))
            return TextRequest(TCliAction::ShowHelp, FParser.helpText());
        if (FParser.isSet(u"version"_s))
            return TextRequest(TCliAction::ShowVersion, VersionText());
        return ConvertRequest();
    }

private:
    TCliRequest ConvertRequest()
    {
        const QStringList positional = FParser.positionalArguments();
        if (positional.size() < 2)
            return UsageError(positional.isEmpty() ? u"FORMAT and PATH are missing"_s
                                                   : u"PATH is missing"_s);
        TCliRequest request;
        request.Action = TCliAction::Convert;
        request.Options.Format = positional.first();
        // The format becomes the extension of every output name.
        if (request.Options.Format.isEmpty() || request.Options.Format.contains(u'/') ||
            request.Options.Format.contains(u'\\'))
            return UsageError(
                u"FORMAT must be a name such as PNG, not \"%1\""_s.arg(request.Options.Format));
        request.Paths = positional.mid(1);

        const TOptionBounds qualities = *OptionBounds(TOption::Quality);
        const std::optional<int> quality = IntegerValue(FQuality, qualities.Min, qualities.Max);
        if (!quality)
            return UsageError(u"quality must be a whole number from %1 to %2"_s.arg(qualities.Min)
                                  .arg(qualities.Max));
        request.Options.Quality = *quality;

        if (FParser.isSet(FWidth)) {
            const TOptionBounds widths = *OptionBounds(TOption::Width);
            const std::optional<int> width = IntegerValue(FWidth, widths.Min, widths.Max);
            if (!width)
                return UsageError(u"width must be a whole number of pixels above 0"_s);
            request.Options.ResizeWidth = TResizeWidth::On;
            request.Options.Width = *width;
        }

        if (FParser.isSet(FOutput)) {
            request.Options.OutputFolder = FParser.value(FOutput);
            if (request.Options.OutputFolder.isEmpty())
                return UsageError(u"the output folder must not be empty"_s);
        }

        if (FParser.isSet(FStrip))
            request.Options.PhotoInformation = TPhotoInformation::Remove;
        if (FParser.isSet(FKeepDates))
            request.Options.FileDates = TFileDates::OfSource;
        if (FParser.isSet(FKeepTree))
            request.Options.FolderTree = TFolderTree::Kept;

        // More jobs than cores may be asked for here: a script knows its machine.
        const std::optional<int> jobs =
            IntegerValue(FJobs, OptionBounds(TOption::Jobs)->Min, std::numeric_limits<int>::max());
        if (!jobs)
            return UsageError(u"jobs must be a whole number above 0"_s);
        request.Jobs = *jobs;

        const std::optional<int> timeLimit =
            IntegerValue(FTimeLimit, 1, std::numeric_limits<int>::max());
        if (!timeLimit)
            return UsageError(u"the time limit must be a whole number of seconds above 0"_s);
        request.TimeLimit = std::chrono::seconds(*timeLimit);
        return request;
    }

    std::optional<int> IntegerValue(const QCommandLineOption& option, int min, int max) const
    {
        bool isNumber = false;
        const int value = FParser.value(option).toInt(&isNumber);
        if (!isNumber || value < min || value > max)
            return std::nullopt;
        return value;
    }

    TCliRequest UsageError(const QString& message) const
    {
        return TextRequest(TCliAction::ReportUsageError, message + u"\n\n"_s + FParser.helpText());
    }

    static QString VersionText() { return u"morvane-cli "_s + GetFileVersion("%d.%d.%d.%d"); }

    QCommandLineParser FParser;
    QCommandLineOption FQuality{{u"q"_s, u"quality"_s},
                                u"Quality of the lossy encoders, 40 to 100; 100 makes WEBP "
                                "lossless."_s,
                                u"N"_s,
                                OptionDefault(TOption::Quality).toString()};
    QCommandLineOption FWidth{
        {u"w"_s, u"width"_s}, u"Resize every output to N pixels wide."_s, u"N"_s};
    QCommandLineOption FOutput{{u"o"_s, u"output"_s},
                               u"Write every output into DIR, created when missing; by default "
                               "each goes beside its source."_s,
                               u"DIR"_s};
    QCommandLineOption FKeepTree{{u"keep-tree"_s},
                                 u"With -o: recreate each named folder, by its own name, and the "
                                 "folders below it in DIR (Trip/Day 1/a.jpg gives DIR/Trip/Day "
                                 "1/a.png)."_s};
    QCommandLineOption FStrip{{u"strip"_s},
                              u"Remove the photo information: no EXIF, XMP, GPS position or "
                              "comments. The colour profile stays."_s};
    QCommandLineOption FKeepDates{{u"keep-dates"_s},
                                  u"Give each output its source's modification time."_s};
    QCommandLineOption FJobs{{u"j"_s, u"jobs"_s},
                             u"Conversions at once; by default one per processor core."_s,
                             u"N"_s,
                             QString::number(DefaultJobCount())};
    QCommandLineOption FTimeLimit{{u"time-limit"_s},
                                  u"End an outside program still running after SECONDS (default "
                                  "900); its file fails."_s,
                                  u"SECONDS"_s,
                                  DefaultTimeLimitSeconds()};
};
} // namespace

TCliRequest ParseCliArguments(const QStringList& arguments)
{
    return TCliParser().Parse(arguments);
}
