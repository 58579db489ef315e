#include "window/FrmMorvane.h"

#include "base/MorvaneBuild.h"
#include "base/Version.h"
#include "config/Config.h"
#include "controls/LogoImage.h"
#include "desktop/ShellOpen.h"
#include "i18n/Translate.h"
#include "notice/UpdateCheck.h"
#include "theme/StyledToolBar.h"
#include "theme/ThemeHelper.h"
#include "translation/TranslateComponent.h"
#include "update/UpdateService.h"
#include "window/FileListModel.h"
#include "window/HomePage.h"

#include <QCloseEvent>
#include <QDebug>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
constexpr int ClientWidth = 429;
constexpr int ClientHeight = 483;
constexpr int WindowFontPixels = 10;
constexpr int HeaderHeight = 50;
constexpr int LogoWidth = 120;

QString ProductPageUrl()
{
    return QString::fromUtf8(MorvaneBuild::ProductUrl) + u"?v="_s + GetFileVersion("%d.%d.%d.%d");
}

bool IsAutoModeCommandLine(const QStringList& arguments)
{
    return arguments.size() > 3 && arguments.at(1) == u"/auto"_s;
}

// Outside automatic mode the words after the program's path name files to list, as a file
// manager's "Open with" passes them; an automatic command line too short to run lists nothing.
QStringList FilesToList(const QStringList& arguments)
{
    if (arguments.size() < 2 || arguments.at(1) == u"/auto"_s)
        return {};
    return arguments.mid(1);
}

// Closing the box by any other way counts as no. While it is on view, `onView` holds it.
bool AskToStopAndClose(QWidget* window, QPointer<QMessageBox>& onView)
{
    QMessageBox box(QMessageBox::Question, window->windowTitle(),
                    TranslateText(u"변환을 중지하고 프로그램을 닫을까요?"_s),
                    QMessageBox::Yes | QMessageBox::No, window);
    box.setObjectName(u"MsgCloseQuestion"_s);
    onView = &box;
    box.button(QMessageBox::Yes)->setText(TranslateText(u"예"_s));
    box.button(QMessageBox::No)->setText(TranslateText(u"아니요"_s));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
} // namespace

TFrmMorvaneSetup TFrmMorvaneSetup::Installed()
{
    return {QString(), BuiltInServiceUrl()};
}

TFrmMorvane::TFrmMorvane(const QStringList& arguments, const TFrmMorvaneSetup& setup,
                         QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      FUpdateUrl(setup.UpdateUrl),
      FCloseQuestion([this] { return AskToStopAndClose(this, FCloseQuestionBox); })
{
    setObjectName(u"FrmMorvane"_s);
    setWindowTitle(u"Morvane"_s);
    setFixedSize(ClientWidth, ClientHeight);
    // At this size the fixed places hold the captions of every interface language.
    QFont windowFont = font();
    windowFont.setPixelSize(WindowFontPixels);
    setFont(windowFont);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    CreateHeader();
    CreatePages(setup.ToolFolder);
    CreateLayout();
    ConnectPages();
    FollowSessionEnd();
    CenterOnScreen();
    FormCreate(arguments);
}

TFrmMorvane::~TFrmMorvane() = default;

void TFrmMorvane::SetFolderChooser(TSettingsPage::TFolderChooser chooser)
{
    FSettings->SetFolderChooser(std::move(chooser));
}

void TFrmMorvane::SetCloseQuestion(TCloseQuestion question)
{
    FCloseQuestion = std::move(question);
}

void TFrmMorvane::CreateHeader()
{
    PnlHead = new QWidget(this);
    PnlHead->setObjectName(u"PnlHead"_s);
    PnlHead->setFixedHeight(HeaderHeight);

    auto* head = new TStyledToolBar(u"Dovrelan"_s, u"Header"_s, PnlHead);
    head->setObjectName(u"BtnHead"_s);
    head->setGeometry(10, 10, ClientWidth - LogoWidth - 2 * 10, 30);
    head->SetCornerRadius(4);
    BtnHead = head;
    BtnHome = CreateHeaderButton(u"BtnHome"_s, u"처음화면"_s);
    BtnConfig = CreateHeaderButton(u"BtnConfig"_s, u"환경설정"_s);
    BtnHome->setChecked(true);

    PnlLogo = new QWidget(PnlHead);
    PnlLogo->setObjectName(u"PnlLogo"_s);
    PnlLogo->setGeometry(ClientWidth - LogoWidth, 0, LogoWidth, HeaderHeight);
    ImgLogo = new TLogoImage(u":/app/logo.svg"_s, PnlLogo);
    ImgLogo->setObjectName(u"ImgLogo"_s);
    ImgLogo->setGeometry(3, 0, 112, 50);
}

QAbstractButton* TFrmMorvane::CreateHeaderButton(const QString& name, const QString& caption)
{
    QAbstractButton* button = static_cast<TStyledToolBar*>(BtnHead)->AddButton(caption);
    button->setObjectName(name);
    return button;
}

// The pages are created in the order of their cards, which is also the Tab-key order.
void TFrmMorvane::CreatePages(const QString& toolFolder)
{
    PnlMain = new QStackedWidget(this);
    PnlMain->setObjectName(u"PnlMain"_s);
    FHome = new THomePage(
        toolFolder, [this] { return FSettings->ConvertOptions(); },
        [this] { return FSettings->Jobs(); }, PnlMain);
    FSettings = new TSettingsPage(PnlMain);
    PnlMain->addWidget(FHome);
    PnlMain->addWidget(FSettings);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(u"ProgressBar"_s);
    ProgressBar->setFixedHeight(17);
    ProgressBar->setTextVisible(false);
    ProgressBar->hide();
}

void TFrmMorvane::CreateLayout()
{
    auto* cardBox = new QVBoxLayout;
    cardBox->setContentsMargins(3, 3, 3, 3);
    cardBox->addWidget(PnlMain);
    auto* windowBox = new QVBoxLayout(this);
    windowBox->setContentsMargins(0, 0, 0, 0);
    windowBox->setSpacing(0);
    windowBox->addWidget(PnlHead);
    windowBox->addLayout(cardBox, 1);
    windowBox->addWidget(ProgressBar);
}

void TFrmMorvane::ConnectPages()
{
    connect(BtnHome, &QAbstractButton::clicked, this, [this] { ShowCard(BtnHome, FHome); });
    connect(BtnConfig, &QAbstractButton::clicked, this, [this] { ShowCard(BtnConfig, FSettings); });
    connect(ImgLogo, &TLogoImage::Clicked, this, &TFrmMorvane::ImgLogoClick);

    connect(FHome, &THomePage::StateChanged, this, &TFrmMorvane::ShowState);
    connect(FHome, &THomePage::ProgressChanged, ProgressBar, &QProgressBar::setValue);
    connect(FHome, &THomePage::FormatChosen, FSettings, &TSettingsPage::ChooseFormat);
    connect(FHome, &THomePage::CloseRequested, this, &QWidget::close);
    connect(FSettings, &TSettingsPage::FormatChanged, FHome, &THomePage::ShowFormat);
}

// Qt leaves the windows to the program when the session ends: it is a close like any other,
// asked about only when the session lets the program ask.
void TFrmMorvane::FollowSessionEnd()
{
#if QT_CONFIG(sessionmanager)
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (!IsRunGoing(FHome->State()))
            return;
        if (!manager.allowsInteraction()) {
            StopAndClose();
            return;
        }
        close();
        if (FClosing != TClosing::AfterRun)
            manager.cancel();
        manager.release();
    });
#endif
}

void TFrmMorvane::CenterOnScreen()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        screen->availableGeometry()));
}

void TFrmMorvane::FormCreate(const QStringList& arguments)
{
    new TThemeHelper(this);
    TranslateComponent(this);
    // The window's title is the program's; an application display name would be added to the
    // titles of all the other windows as well, the folder dialog's among them.
    FSettings->FitCaptions();
    FHome->FitStatusColumn();
    FSettings->ShowVersion();
    PnlMain->setCurrentWidget(FHome);
    try {
        FSettings->LoadSettings();
    } catch (const TConfigError& error) {
        // One damaged value must not keep the window from opening, nor its start button blank.
        qWarning().noquote() << error.Message();
        FHome->ShowFormat(FSettings->SaveFormat());
    }
    if (IsAutoModeCommandLine(arguments))
        StartAutoMode(arguments);
    else
        StartInteractiveMode(FilesToList(arguments));
}

void TFrmMorvane::StartAutoMode(const QStringList& arguments)
{
    FSettings->ReplaceFormat(arguments.at(2));
    FHome->SetRunMode(TRunMode::Automatic);
    // The rows stand, and are converted, in the reverse of the command line's order.
    for (qsizetype index = arguments.size() - 1; index >= 3; --index)
        FHome->AddFile({arguments.at(index)});
    FHome->BtnStartClick();
}

void TFrmMorvane::StartInteractiveMode(const QStringList& files)
{
    FHome->AcceptDrops();
    FHome->AddFile(files);
    // A reply that comes after the window has gone finds nothing to close.
    const QPointer<TFrmMorvane> window(this);
    CheckUpdate(
        FUpdateUrl,
        [window](bool updateTaken, const QString&) {
            // The update target is opening; closing is still refused while a run is in progress.
            if (updateTaken && window)
                window->close();
        },
        0, this);
}

bool TFrmMorvane::FormCloseQuery()
{
    if (!IsRunGoing(FHome->State()))
        return true;
    if (FClosing != TClosing::None || !AskToStopForClose())
        return false;
    // The run may have ended while the question was on view.
    if (!IsRunGoing(FHome->State()))
        return true;
    StopAndClose();
    return false;
}

bool TFrmMorvane::AskToStopForClose()
{
    FClosing = TClosing::Asking;
    const bool stops = FCloseQuestion();
    const bool isDecided = FClosing == TClosing::AskingButDecided;
    FClosing = isDecided ? TClosing::AfterRun : TClosing::None;
    return stops || isDecided;
}

void TFrmMorvane::StopAndClose()
{
    // The close that asked goes on as after a yes once its question is gone.
    if (FClosing == TClosing::Asking || FClosing == TClosing::AskingButDecided) {
        FClosing = TClosing::AskingButDecided;
        if (FCloseQuestionBox)
            FCloseQuestionBox->reject();
        return;
    }
    if (!IsRunGoing(FHome->State())) {
        close();
        return;
    }
    FClosing = TClosing::AfterRun;
    FHome->StopRun();
}

void TFrmMorvane::FormClose()
{
    FHome->CloseList();
}

void TFrmMorvane::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TFrmMorvane::AddFile(const QStringList& paths)
{
    FHome->AddFile(paths);
}

void TFrmMorvane::ShowCard(QAbstractButton* headerButton, QWidget* card)
{
    headerButton->setChecked(true);
    PnlMain->setCurrentWidget(card);
}

void TFrmMorvane::ImgLogoClick()
{
    ShellOpen(ProductPageUrl());
}

// During a run the header is locked and the bar counts the finished rows; after an automatic run
// the options stay out of reach. A close that waited for the run comes once it has ended, after
// the page is done with its end.
void TFrmMorvane::ShowState(TWindowState state)
{
    const bool isRunGoing = IsRunGoing(state);
    if (isRunGoing) {
        ProgressBar->setMaximum(FHome->Rows().rowCount());
        ProgressBar->show();
    } else {
        ProgressBar->hide();
        ProgressBar->setValue(0);
    }
    BtnHome->setEnabled(!isRunGoing);
    BtnConfig->setEnabled(state == TWindowState::Idle);
    if (FClosing == TClosing::AfterRun && !isRunGoing)
        QMetaObject::invokeMethod(
            this, [this] { close(); }, Qt::QueuedConnection);
}
