// Time from process start to the first paint of the main window, against a minimal Qt window
// started the same way; the two alternate so that a change in the machine's load falls on both
// alike. Prints the medians and the ratio window/minimal (target: 1.5 at most).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {
constexpr int Rounds = 15;
constexpr int StartTimeoutMilliseconds = 30000;

// Milliseconds until the probe reports its first paint; nothing when it fails to.
std::optional<qint64> TimeToFirstPaint(const QString& probe, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    process.start(probe, {});
    while (process.waitForReadyRead(StartTimeoutMilliseconds)) {
        if (process.readAllStandardOutput().contains("painted")) {
            const qint64 elapsed = timer.elapsed();
            process.waitForFinished();
            return elapsed;
        }
    }
    process.kill();
    process.waitForFinished();
    return std::nullopt;
}

qint64 Median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

QProcessEnvironment ProbeEnvironment(const QTemporaryDir& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The window stores its options; keep them away from the user's own.
    environment.insert(u"XDG_CONFIG_HOME"_s, home.path());
    const bool hasDisplay = environment.contains(u"DISPLAY"_s) ||
                            environment.contains(u"WAYLAND_DISPLAY"_s) ||
                            environment.contains(u"QT_QPA_PLATFORM"_s);
    if (!hasDisplay)
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    return environment;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    const QDir folder(QCoreApplication::applicationDirPath());
    const QString window = folder.filePath(u"startup_probe_morvane"_s);
    const QString minimal = folder.filePath(u"startup_probe_minimal"_s);
    QTemporaryDir home;
    const QProcessEnvironment environment = ProbeEnvironment(home);

    QList<qint64> windowTimes;
    QList<qint64> minimalTimes;
    for (int round = 0; round < Rounds; ++round) {
        const std::optional<qint64> windowTime = TimeToFirstPaint(window, environment);
        const std::optional<qint64> minimalTime = TimeToFirstPaint(minimal, environment);
        if (!windowTime || !minimalTime) {
            out << "app: a probe did not paint\n";
            return 1;
        }
        windowTimes << *windowTime;
        minimalTimes << *minimalTime;
    }
    const qint64 windowMedian = Median(windowTimes);
    const qint64 minimalMedian = Median(minimalTimes);
    out << "app: start-up to first paint, median of " << Rounds << "; window " << windowMedian
        << " ms, minimal window " << minimalMedian << " ms; ratio window/minimal "
        << QString::number(double(windowMedian) / std::max<qint64>(minimalMedian, 1), 'f', 2)
        << " (target <= 1.5)\n";
    return 0;
}
