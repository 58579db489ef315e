#include "theme/DovrelanButtonStyles.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TButtonState)
Q_DECLARE_METATYPE(TButtonDrawStyle)
Q_DECLARE_METATYPE(TBorderDrawStyle)

namespace {

TStyledButtonStateAttributes FamilyLooks(const QString& styleClass, const QString& appearance)
{
    return FindStyleFamily(u"Dovrelan"_s)->UpdateAttributes(u"Dovrelan"_s, styleClass, appearance);
}

} // namespace

class TButtonStylesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { RegisterDovrelanButtonStyles(); }

    void familyIsRegisteredByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("as registered") << u"Dovrelan"_s;
        QTest::newRow("lower case") << u"dovrelan"_s;
    }
    void familyIsRegisteredByName()
    {
        QFETCH(QString, name);
        const auto family = FindStyleFamily(name);
        QVERIFY(family);
        QCOMPARE(family->FamilyName(), u"Dovrelan"_s);
    }

    // Every appearance the family offers looks different from the others, among them the two
    // that the window asks for, and its default style is one it offers.
    void familyOffersDistinctLooks()
    {
        const auto family = FindStyleFamily(u"Dovrelan"_s);
        const QStringList appearances = family->Appearances();
        QVERIFY(appearances.contains(u"Header"_s));
        QVERIFY(appearances.contains(u"Outline"_s));
        for (qsizetype first = 0; first < appearances.size(); ++first) {
            for (qsizetype second = first + 1; second < appearances.size(); ++second)
                QVERIFY2(FamilyLooks(family->DefaultStyle().StyleClass, appearances[first]) !=
                             FamilyLooks(family->DefaultStyle().StyleClass, appearances[second]),
                         qPrintable(appearances[first] + u" looks like "_s + appearances[second]));
        }
        QVERIFY(family->Classes().contains(family->DefaultStyle().StyleClass));
        QVERIFY(appearances.contains(family->DefaultStyle().Appearance));
    }

    void unknownFamilyIsNotFound() { QVERIFY(!FindStyleFamily(u"Primary"_s)); }

    // The hex values are the published tables; the family derives the lightened and grey ones.
    void tables_data()
    {
        QTest::addColumn<QString>("appearance");
        QTest::addColumn<TButtonState>("state");
        QTest::addColumn<TButtonDrawStyle>("face");
        QTest::addColumn<QColor>("buttonColor");
        QTest::addColumn<TBorderDrawStyle>("border");
        QTest::addColumn<QColor>("borderColor");
        QTest::addColumn<QColor>("fontColor");

        const auto solid = TButtonDrawStyle::Solid;
        const auto clear = TButtonDrawStyle::Clear;
        const auto solidBorder = TBorderDrawStyle::Solid;
        const auto clearBorder = TBorderDrawStyle::Clear;
        const auto row = [](const char* name, const QString& appearance, TButtonState state,
                            TButtonDrawStyle face, const char* button, TBorderDrawStyle border,
                            const char* borderColor, const char* font) {
            QTest::newRow(name) << appearance << state << face << QColor::fromString(button)
                                << border << QColor::fromString(borderColor)
                                << QColor::fromString(font);
        };
        using S = TButtonState;

        const QString normal = u"Normal"_s;
        row("Normal normal", normal, S::Normal, solid, "#3D84DD", solidBorder, "#3D84DD",
            "#FFFFFF");
        row("Normal pressed", normal, S::Pressed, solid, "#3D84DD", solidBorder, "#3D84DD",
            "#FFFFFF");
        row("Normal selected", normal, S::Selected, solid, "#3D84DD", solidBorder, "#3D84DD",
            "#FFFFFF");
        row("Normal hot", normal, S::Hot, solid, "#5090E0", solidBorder, "#3D84DD", "#FFFFFF");
        row("Normal disabled", normal, S::Disabled, solid, "#FFFFFF", solidBorder, "#C0C0C0",
            "#C0C0C0");

        const QString header = u"Header"_s;
        row("Header normal", header, S::Normal, clear, "#FFFFFF", solidBorder, "#000000",
            "#000000");
        row("Header pressed", header, S::Pressed, solid, "#3D84DD", clearBorder, "#3D84DD",
            "#FFFFFF");
        row("Header selected", header, S::Selected, solid, "#5090E0", clearBorder, "#3D84DD",
            "#FFFFFF");
        row("Header hot", header, S::Hot, solid, "#3D84DD", clearBorder, "#3D84DD", "#FFFFFF");
        row("Header disabled", header, S::Disabled, clear, "#FFFFFF", solidBorder, "#BCBCBC",
            "#808080");

        const QString outline = u"Outline"_s;
        row("Outline normal", outline, S::Normal, clear, "#3D84DD", solidBorder, "#3D84DD",
            "#000000");
        row("Outline pressed", outline, S::Pressed, solid, "#3D84DD", solidBorder, "#3D84DD",
            "#FFFFFF");
        row("Outline selected", outline, S::Selected, solid, "#5090E0", solidBorder, "#3D84DD",
            "#FFFFFF");
        row("Outline hot", outline, S::Hot, solid, "#5090E0", solidBorder, "#3D84DD", "#FFFFFF");
        row("Outline disabled", outline, S::Disabled, clear, "#3D84DD", solidBorder, "#D7D7D7",
            "#B3B3B3");
    }
    void tables()
    {
        QFETCH(QString, appearance);
        QFETCH(TButtonState, state);
        QFETCH(TButtonDrawStyle, face);
        QFETCH(QColor, buttonColor);
        QFETCH(TBorderDrawStyle, border);
        QFETCH(QColor, borderColor);
        QFETCH(QColor, fontColor);

        const TStyledButtonAttributes set = FamilyLooks(u"Primary"_s, appearance).ForState(state);
        QCOMPARE(set.DrawType, TButtonDrawType::RoundRect);
        QCOMPARE(set.ButtonDrawStyle, face);
        QCOMPARE(set.ButtonColor, buttonColor);
        QCOMPARE(set.BorderDrawStyle, border);
        QCOMPARE(set.BorderColor, borderColor);
        QCOMPARE(set.FontColor, fontColor);
        QCOMPARE(set.BorderWidth, 0);
        QCOMPARE(set.FontStyle, TFontStyles());
    }

    void appearanceChoosesTheLook_data()
    {
        QTest::addColumn<QString>("appearance");
        QTest::addColumn<QString>("sameAs");

        QTest::newRow("header, lower case") << u"header"_s << u"Header"_s;
        QTest::newRow("header, upper case") << u"HEADER"_s << u"Header"_s;
        QTest::newRow("outline, lower case") << u"outline"_s << u"Outline"_s;
        QTest::newRow("outline, mixed case") << u"oUTLINE"_s << u"Outline"_s;
        QTest::newRow("normal, upper case") << u"NORMAL"_s << u"Normal"_s;
        QTest::newRow("the class name") << u"Primary"_s << u"Normal"_s;
        QTest::newRow("empty") << QString() << u"Normal"_s;
        QTest::newRow("longer name") << u"Outlined"_s << u"Normal"_s;
        QTest::newRow("padded") << u" Header"_s << u"Normal"_s;
    }
    void appearanceChoosesTheLook()
    {
        QFETCH(QString, appearance);
        QFETCH(QString, sameAs);
        QCOMPARE(FamilyLooks(u"Primary"_s, appearance), FamilyLooks(u"Primary"_s, sameAs));
    }

    void classAndFamilyArgumentDoNotMatter_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("styleClass");

        QTest::newRow("no class") << u"Dovrelan"_s << QString();
        QTest::newRow("unknown class") << u"Dovrelan"_s << u"Secondary"_s;
        QTest::newRow("appearance as class") << u"Dovrelan"_s << u"Normal"_s;
        QTest::newRow("other family") << u"Other"_s << u"Primary"_s;
    }
    void classAndFamilyArgumentDoNotMatter()
    {
        QFETCH(QString, family);
        QFETCH(QString, styleClass);
        const auto dovrelan = FindStyleFamily(u"Dovrelan"_s);
        for (const QString& appearance : dovrelan->Appearances())
            QCOMPARE(dovrelan->UpdateAttributes(family, styleClass, appearance),
                     FamilyLooks(u"Primary"_s, appearance));
    }
};

QTEST_GUILESS_MAIN(TButtonStylesTest)
#include "tst_buttonstyles.moc"
