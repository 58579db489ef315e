#include "theme/DovrelanButtonStyles.h"
#include "theme/StyledButton.h"
#include "theme/StyledToolBar.h"

#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Not white, so that a clear face tells itself apart from a white one.
const QColor HostColor{0xF0, 0xE0, 0xD0};
const QColor Accent{0x3D, 0x84, 0xDD};
const QColor AccentLight{0x50, 0x90, 0xE0};

enum class TSetup
{
    None,
    Down,
    Checked,
    Hovered,
    HoveredThenLeft,
    Disabled
};

void Apply(TSetup setup, QAbstractButton* button)
{
    const QPointF inside(5, 5);
    switch (setup) {
    case TSetup::None:
        break;
    case TSetup::Down:
        button->setDown(true);
        break;
    case TSetup::Checked:
        button->setCheckable(true);
        button->setChecked(true);
        break;
    case TSetup::Hovered:
    case TSetup::HoveredThenLeft: {
        QEnterEvent enter(inside, inside, button->mapToGlobal(inside));
        QCoreApplication::sendEvent(button, &enter);
        if (setup == TSetup::HoveredThenLeft) {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(button, &leave);
        }
        break;
    }
    case TSetup::Disabled:
        button->setEnabled(false);
        break;
    }
}

// Plain glyph pixels, so that the text shows in exactly its colour.
QFont SharpFont()
{
    QFont font;
    font.setPixelSize(16);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

bool ContainsColor(const QImage& image, const QRect& area, QColor color)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == color)
                return true;
    return false;
}

class THost : public QWidget
{
public:
    THost()
    {
        QPalette host = palette();
        host.setColor(QPalette::Window, HostColor);
        setPalette(host);
        setAutoFillBackground(true);
        resize(240, 80);
    }
};

struct TLook
{
    QColor Edge;
    QColor Face;
    QColor Font;
};

// Checks the middle of the top edge, a spot of face left of the caption, and the caption.
void VerifyLook(QWidget* host, QAbstractButton* button, const TLook& look)
{
    const QImage image = host->grab().toImage();
    const QRect box(button->mapTo(host, QPoint(0, 0)), button->size());
    QCOMPARE(image.pixelColor(box.center().x(), box.top()), look.Edge);
    QCOMPARE(image.pixelColor(box.left() + 8, box.center().y()), look.Face);
    const QRect caption = box.adjusted(box.width() / 4, 4, -box.width() / 4, -4);
    QVERIFY2(ContainsColor(image, caption, look.Font), qPrintable(look.Font.name()));
}

} // namespace

Q_DECLARE_METATYPE(TSetup)

class TStyledButtonsTest : public QObject
{
    Q_OBJECT

private:
    void lookRows()
    {
        QTest::addColumn<TSetup>("setup");
        QTest::addColumn<QColor>("edge");
        QTest::addColumn<QColor>("face");
        QTest::addColumn<QColor>("font");
    }

private Q_SLOTS:
    void initTestCase() { RegisterDovrelanButtonStyles(); }

    void startButtonLooks_data()
    {
        lookRows();
        QTest::newRow("normal: outline, black text")
            << TSetup::None << Accent << HostColor << QColor(Qt::black);
        QTest::newRow("pressed: filled") << TSetup::Down << Accent << Accent << QColor(Qt::white);
        QTest::newRow("selected: filled light")
            << TSetup::Checked << Accent << AccentLight << QColor(Qt::white);
        QTest::newRow("hot: filled light")
            << TSetup::Hovered << Accent << AccentLight << QColor(Qt::white);
        QTest::newRow("hot then left: normal again")
            << TSetup::HoveredThenLeft << Accent << HostColor << QColor(Qt::black);
        QTest::newRow("disabled: grey outline, no fill")
            << TSetup::Disabled << QColor(0xD7, 0xD7, 0xD7) << HostColor
            << QColor(0xB3, 0xB3, 0xB3);
    }
    void startButtonLooks()
    {
        QFETCH(TSetup, setup);
        QFETCH(QColor, edge);
        QFETCH(QColor, face);
        QFETCH(QColor, font);

        THost host;
        TStyledButton button(u"Dovrelan"_s, u"Outline"_s, &host);
        button.setGeometry(60, 20, 120, 35);
        button.setFont(SharpFont());
        button.setText(u"JPG"_s);
        Apply(setup, &button);
        VerifyLook(&host, &button, {edge, face, font});
    }

    void headerButtonLooks_data()
    {
        lookRows();
        QTest::newRow("normal: black outline on a clear face")
            << TSetup::None << QColor(Qt::black) << HostColor << QColor(Qt::black);
        QTest::newRow("pressed: filled, no border")
            << TSetup::Down << Accent << Accent << QColor(Qt::white);
        QTest::newRow("selected: filled light, no border")
            << TSetup::Checked << AccentLight << AccentLight << QColor(Qt::white);
        QTest::newRow("hot: filled, no border")
            << TSetup::Hovered << Accent << Accent << QColor(Qt::white);
        QTest::newRow("disabled: grey outline on a clear face")
            << TSetup::Disabled << QColor(0xBC, 0xBC, 0xBC) << HostColor
            << QColor(0x80, 0x80, 0x80);
    }
    void headerButtonLooks()
    {
        QFETCH(TSetup, setup);
        QFETCH(QColor, edge);
        QFETCH(QColor, face);
        QFETCH(QColor, font);

        THost host;
        TStyledToolBar toolBar(u"Dovrelan"_s, u"Header"_s, &host);
        toolBar.SetCornerRadius(4);
        toolBar.setGeometry(10, 10, 200, 30);
        TStyledButton* home = toolBar.AddButton(u"Home"_s);
        toolBar.AddButton(u"Config"_s);
        home->setFont(SharpFont());
        Apply(setup, home);
        VerifyLook(&host, home, {edge, face, font});
    }

    void aButtonOfAnUnknownFamilyUsesThePalette()
    {
        THost host;
        TStyledButton button(u"Unregistered"_s, u"Outline"_s, &host);
        button.setGeometry(60, 20, 120, 35);
        button.setFont(SharpFont());
        button.setText(u"JPG"_s);
        const auto color = [&button](QPalette::ColorRole role) {
            return QColor(button.palette().color(role).rgb());
        };
        VerifyLook(&host, &button,
                   {color(QPalette::Dark), color(QPalette::Button), color(QPalette::ButtonText)});
    }

    void toolBarButtonsSitSideBySideAfterTheIndent()
    {
        TStyledToolBar toolBar(u"Dovrelan"_s, u"Header"_s);
        TStyledButton* home = toolBar.AddButton(u"Home"_s);
        TStyledButton* config = toolBar.AddButton(u"Config"_s);
        QCOMPARE(home->geometry(), QRect(10, 0, 70, 30));
        QCOMPARE(config->geometry(), QRect(80, 0, 70, 30));
        QCOMPARE(toolBar.Buttons(), (QList<TStyledButton*>{home, config}));
    }

    void exactlyOneToolBarButtonStaysDown()
    {
        TStyledToolBar toolBar(u"Dovrelan"_s, u"Header"_s);
        TStyledButton* home = toolBar.AddButton(u"Home"_s);
        TStyledButton* config = toolBar.AddButton(u"Config"_s);
        home->setChecked(true);
        toolBar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&toolBar));

        QSignalSpy configClicks(config, &QAbstractButton::clicked);
        QTest::mouseClick(config, Qt::LeftButton);
        QCOMPARE(configClicks.size(), 1);
        QVERIFY(config->isChecked());
        QVERIFY(!home->isChecked());
        QCOMPARE(config->State(), TButtonState::Selected);

        QTest::mouseClick(config, Qt::LeftButton);
        QVERIFY(config->isChecked());
        QVERIFY(!home->isChecked());
    }

    void aStyledButtonStillWorksAsAButton()
    {
        TStyledButton button(u"Dovrelan"_s, u"Outline"_s);
        button.resize(120, 35);
        button.setContextMenuPolicy(Qt::CustomContextMenu);
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QSignalSpy clicks(&button, &QAbstractButton::clicked);
        QSignalSpy menuRequests(&button, &QWidget::customContextMenuRequested);

        QTest::mouseClick(&button, Qt::LeftButton);
        button.setEnabled(false);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks.size(), 1);

        button.setEnabled(true);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(10, 10),
                               button.mapToGlobal(QPoint(10, 10)));
        QCoreApplication::sendEvent(&button, &menu);
        QCOMPARE(menuRequests.size(), 1);
    }
};

QTEST_MAIN(TStyledButtonsTest)
#include "tst_styledbuttons.moc"
