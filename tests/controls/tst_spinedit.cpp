#include "controls/SpinEdit.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
struct TBounds
{
    int Min;
    int Max;
};
const TBounds Quality{40, 100};
const TBounds Unbounded{0, 0};
// One processor core leaves one choice of jobs.
const TBounds OneChoice{1, 1};

void TypeText(TSpinEdit& box, const QString& text)
{
    box.findChild<QLineEdit*>()->setText(text);
}

void LeaveFocus(TSpinEdit& box)
{
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&box, &leave);
}
} // namespace

Q_DECLARE_METATYPE(TBounds)

class TSpinEditTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void valueOfTheText_data()
    {
        QTest::addColumn<TBounds>("bounds");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("afterLeaving");

        QTest::newRow("empty counts as the lower bound") << Quality << QString() << 40 << u"40"_s;
        QTest::newRow("a lone sign") << Quality << u"-"_s << 40 << u"40"_s;
        QTest::newRow("below the bounds") << Quality << u"8"_s << 8 << u"40"_s;
        QTest::newRow("above the bounds") << Quality << u"150"_s << 150 << u"100"_s;
        QTest::newRow("inside the bounds") << Quality << u"75"_s << 75 << u"75"_s;
        QTest::newRow("unbounded empty") << Unbounded << QString() << 0 << u"0"_s;
        QTest::newRow("unbounded negative") << Unbounded << u"-20"_s << -20 << u"-20"_s;
        QTest::newRow("unbounded large") << Unbounded << u"2000000"_s << 2000000 << u"2000000"_s;
        QTest::newRow("one choice, above") << OneChoice << u"4"_s << 4 << u"1"_s;
        QTest::newRow("one choice, below") << OneChoice << u"0"_s << 0 << u"1"_s;
    }
    void valueOfTheText()
    {
        QFETCH(TBounds, bounds);
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(QString, afterLeaving);
        TSpinEdit box;
        box.SetBounds(bounds.Min, bounds.Max);

        TypeText(box, text);
        QCOMPARE(box.Value(), value);

        LeaveFocus(box);
        QCOMPARE(box.text(), afterLeaving);
    }

    void typing_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QValidator::State>("state");

        QTest::newRow("integer") << u"12"_s << QValidator::Acceptable;
        QTest::newRow("out of bounds") << u"99999"_s << QValidator::Acceptable;
        QTest::newRow("negative") << u"-5"_s << QValidator::Acceptable;
        QTest::newRow("empty") << QString() << QValidator::Intermediate;
        QTest::newRow("sign") << u"-"_s << QValidator::Intermediate;
        QTest::newRow("letters") << u"1a"_s << QValidator::Invalid;
        QTest::newRow("fraction") << u"1.5"_s << QValidator::Invalid;
    }
    void typing()
    {
        QFETCH(QString, input);
        QFETCH(QValidator::State, state);
        TSpinEdit box;
        box.SetBounds(Quality.Min, Quality.Max);
        int position = 0;

        QCOMPARE(box.validate(input, position), state);
    }

    void everyTextChangeIsReported()
    {
        TSpinEdit box;
        box.SetBounds(Quality.Min, Quality.Max);
        box.SetValue(75);
        QList<int> reported;
        connect(&box, &TSpinEdit::Change, this, [&] { reported.append(box.Value()); });
        QLineEdit* text = box.findChild<QLineEdit*>();

        text->clear();
        QTest::keyClicks(text, u"120"_s);
        box.stepBy(-1);
        box.SetValue(75);
        box.SetValue(75);

        QCOMPARE(reported, (QList<int>{40, 1, 12, 120, 100, 75}));
    }

    void stepsFromTheShownText_data()
    {
        QTest::addColumn<TBounds>("bounds");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("after");

        QTest::newRow("up inside") << Quality << u"75"_s << 1 << u"76"_s;
        QTest::newRow("up at the top") << Quality << u"100"_s << 1 << u"100"_s;
        QTest::newRow("up from below") << Quality << u"8"_s << 1 << u"40"_s;
        QTest::newRow("down unbounded") << Unbounded << u"0"_s << -1 << u"-1"_s;
        QTest::newRow("up at the integer limit")
            << Unbounded << u"2147483647"_s << 1 << u"2147483647"_s;
    }
    void stepsFromTheShownText()
    {
        QFETCH(TBounds, bounds);
        QFETCH(QString, text);
        QFETCH(int, steps);
        QFETCH(QString, after);
        TSpinEdit box;
        box.SetBounds(bounds.Min, bounds.Max);
        TypeText(box, text);

        box.stepBy(steps);

        QCOMPARE(box.text(), after);
    }
};

QTEST_MAIN(TSpinEditTest)
#include "tst_spinedit.moc"
