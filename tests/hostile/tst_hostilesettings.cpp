#include "HostileFixtures.h"
#include "TestHome.h"
#include "WindowControls.h"
#include "i18n/Translate.h"
#include "window/FrmMorvane.h"

#include <QAbstractButton>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

enum class TDamage
{
    ValuesFile,
    ReadOnlyValuesFile,
    KeyFolderIsAFile
};

} // namespace

Q_DECLARE_METATYPE(TDamage)

// The window over a damaged settings store: it opens, shows usable options, takes a change, and
// never loses what the store held.
class THostileSettingsTest : public QObject
{
    Q_OBJECT

private:
    std::optional<TTestHome> FHome;

    QString KeyFolder() const { return FHome->ConfigHome() + u"/Dovrelan/Morvane"_s; }
    QString ValuesFile() const { return KeyFolder() + u"/values.json"_s; }

private Q_SLOTS:
    void initTestCase() { LoadTranslations(); }

    void init()
    {
        SetCurrentLanguage(u"en"_s);
        FHome.emplace();
    }

    void cleanup()
    {
        QFile::setPermissions(ValuesFile(), QFile::ReadOwner | QFile::WriteOwner);
        FHome.reset();
    }

    void damagedStore_data()
    {
        QTest::addColumn<TDamage>("damage");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("format");

        const QByteArray huge =
            "{\"format\":\"PNG\",\"padding\":\"" + QByteArray(5 * 1024 * 1024, 'x') + "\"}";
        QTest::newRow("huge") << TDamage::ValuesFile << huge << u"JPG"_s;
        QTest::newRow("not JSON") << TDamage::ValuesFile << QByteArray("format=PNG\n\0\xff", 13)
                                  << u"JPG"_s;
        QTest::newRow("a JSON array") << TDamage::ValuesFile << QByteArray("[\"PNG\"]") << u"JPG"_s;
        QTest::newRow("wrong types")
            << TDamage::ValuesFile
            << QByteArray("{\"format\":12,\"savepath\":true,\"resize_w\":\"yes\",\"width\":[540],"
                          "\"quality\":{},\"save\":2.5}")
            << u"JPG"_s;
        QTest::newRow("read-only") << TDamage::ReadOnlyValuesFile
                                   << QByteArray("{\"format\":\"PNG\",\"quality\":90}") << u"PNG"_s;
        QTest::newRow("key folder is a file")
            << TDamage::KeyFolderIsAFile << QByteArray("not a folder") << u"JPG"_s;
    }

    void damagedStore()
    {
        QFETCH(TDamage, damage);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, format);
        const QString damaged = damage == TDamage::KeyFolderIsAFile ? KeyFolder() : ValuesFile();
        QVERIFY(WriteFile(damaged, bytes));
        if (damage == TDamage::ReadOnlyValuesFile)
            QVERIFY(QFile::setPermissions(ValuesFile(), QFile::ReadOwner));

        TFrmMorvane window({u"morvane"_s}, TFrmMorvaneSetup{});
        const auto& start = Control<QAbstractButton>(window, u"BtnStart"_s);
        QCOMPARE(start.text(), u"Convert to "_s + format);
        Control<QRadioButton>(window, u"BtnGIF"_s).setChecked(true);
        QCOMPARE(start.text(), u"Convert to GIF"_s);

        // What the store held is still there: as it was, set aside whole, or beside the new format.
        const QByteArray now = ReadFile(damaged);
        const bool isKept = now == bytes || ReadFile(damaged + u".corrupt"_s) == bytes;
        const QJsonObject held = QJsonDocument::fromJson(bytes).object();
        const QJsonObject stored = QJsonDocument::fromJson(now).object();
        const QStringList heldNames = held.keys();
        const bool isUpdated =
            stored.value(u"format"_s) == u"GIF"_s &&
            std::all_of(heldNames.begin(), heldNames.end(), [&](const QString& name) {
                return name == u"format" || stored.value(name) == held.value(name);
            });
        QVERIFY(isKept || isUpdated);
    }
};

QTEST_MAIN(THostileSettingsTest)
#include "tst_hostilesettings.moc"
