// Runs a fuzz target on every file of its seed corpus, findings included, in the ordinary test
// build: what a fuzzer once found stays found by every CI run. Built once and linked into every
// tst_fuzz_* program, which replays the corpus of its own name.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Only the targets that need set-up define it.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {
// tst_fuzz_config replays corpus/fuzz_config.
QDir Corpus()
{
    const QString program = QCoreApplication::applicationName();
    return QDir(QStringLiteral(MORVANE_FUZZ_CORPORA "/") + program.mid(program.indexOf(u'_') + 1));
}
} // namespace

class TFuzzReplayTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (LLVMFuzzerInitialize) {
            int argc = 0;
            char** argv = nullptr;
            LLVMFuzzerInitialize(&argc, &argv);
        }
    }

    void corpusFile_data()
    {
        QTest::addColumn<QString>("path");
        const QDir corpus = Corpus();
        QVERIFY2(corpus.exists(), qPrintable(corpus.path()));
        for (const QString& name : corpus.entryList(QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(name)) << corpus.filePath(name);
    }

    void corpusFile()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               static_cast<std::size_t>(bytes.size()));
    }
};

QTEST_GUILESS_MAIN(TFuzzReplayTest)
#include "FuzzReplay.moc"
