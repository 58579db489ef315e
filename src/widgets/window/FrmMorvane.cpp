#include "window/FrmMorvane.h"

#include "base/MorvaneBuild.h"
#include "base/Version.h"
#include "config/Config.h"
#include "controls/ActivityIndicator.h"
#include "controls/LogoImage.h"
#include "controls/SpinEdit.h"
#include "desktop/FolderDialog.h"
#include "desktop/ShellOpen.h"
#include "drop/DragFile.h"
#include "i18n/Translate.h"
#include "input/FileList.h"
#include "input/FileListModel.h"
#include "notice/UpdateCheck.h"
#include "theme/StyledButton.h"
#include "theme/StyledToolBar.h"
#include "theme/ThemeHelper.h"
#include "translation/TranslateComponent.h"
#include "update/UpdateService.h"
#include "window/ConversionRun.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
constexpr int ClientWidth = 429;
constexpr int ClientHeight = 483;
constexpr int WindowFontPixels = 10;
constexpr int CaptionGap = 2;
constexpr int StartCaptionPadding = 4;
constexpr int SmallestCaptionPixels = 8;
constexpr int HomeCard = 0;
constexpr int SettingCard = 1;
constexpr int InitialWidth = 540;
constexpr int InitialQuality = 75;
constexpr int QualityMin = 40;
constexpr int QualityMax = 100;
const QString ButtonStyleFamily = u"Dovrelan"_s;
const QStringList FormatNames = {u"JPG"_s, u"PNG"_s, u"GIF"_s, u"WEBP"_s, u"TIFF"_s};

QString SettingsPath()
{
    return u"Dovrelan\\Morvane"_s;
}

QString DefaultSavePath()
{
    return QDir::toNativeSeparators(
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) + u"/Morvane"_s);
}

QString ProductPageUrl()
{
    return QString::fromUtf8(MorvaneBuild::ProductUrl) + u"?v="_s + GetFileVersion("%d.%d.%d.%d");
}

bool IsAutoModeCommandLine(const QStringList& arguments)
{
    return arguments.size() > 3 && arguments.at(1) == u"/auto"_s;
}

QString CaptionOf(const QObject* sender)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(sender))
        return button->text();
    if (const auto* item = qobject_cast<const QAction*>(sender))
        return item->text();
    return {};
}

// A caption that the control's width cannot hold takes the free room up to `rightLimit`.
void WidenToCaption(QWidget* control, int rightLimit)
{
    const int wanted = std::min(control->sizeHint().width(), rightLimit - control->x());
    if (wanted > control->width())
        control->resize(wanted, control->height());
}

template <typename TWidget>
TWidget* CreatePlaced(QWidget* parent, const QString& name, const QRect& place)
{
    auto* widget = new TWidget(parent);
    widget->setObjectName(name);
    widget->setGeometry(place);
    return widget;
}

// Stops the list drawing itself until it goes out of scope, whatever happens meanwhile.
class TDrawingSuspended
{
public:
    explicit TDrawingSuspended(QWidget* widget) : FWidget(widget)
    {
        FWidget->setUpdatesEnabled(false);
    }
    ~TDrawingSuspended() { FWidget->setUpdatesEnabled(true); }
    TDrawingSuspended(const TDrawingSuspended&) = delete;
    TDrawingSuspended& operator=(const TDrawingSuspended&) = delete;

private:
    QWidget* FWidget;
};

QWidget* CreatePanel(QWidget* parent, const QString& name)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    return panel;
}

QAction* CreateMenuItem(QMenu* menu, const QString& name, const QString& caption)
{
    auto* item = new QAction(caption, menu);
    item->setObjectName(name);
    menu->addAction(item);
    return item;
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
      FFolderChooser([this](QString& folder) { return SelectFolder(folder, this); }),
      FToolFolder(setup.ToolFolder), FUpdateUrl(setup.UpdateUrl)
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

    CreateControls();
    ConnectHandlers();
    CenterOnScreen();
    FormCreate(arguments);
}

TFrmMorvane::~TFrmMorvane() = default;

void TFrmMorvane::SetFolderChooser(TFolderChooser chooser)
{
    FFolderChooser = std::move(chooser);
}

void TFrmMorvane::CreateControls()
{
    CreateHeader();
    PnlMain = new QStackedWidget(this);
    PnlMain->setObjectName(u"PnlMain"_s);
    CreateHomePage();
    CreateSettingsPage();
    CreateMenus();

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(u"ProgressBar"_s);
    ProgressBar->setFixedHeight(17);
    ProgressBar->setTextVisible(false);
    ProgressBar->hide();

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

void TFrmMorvane::CreateHeader()
{
    PnlHead = CreatePanel(this, u"PnlHead"_s);
    PnlHead->setFixedHeight(50);

    auto* head = new TStyledToolBar(ButtonStyleFamily, u"Header"_s, PnlHead);
    head->setObjectName(u"BtnHead"_s);
    head->setGeometry(10, 10, ClientWidth - 120 - 2 * 10, 30);
    head->SetCornerRadius(4);
    BtnHead = head;
    BtnHome = CreateHeaderButton(head, u"BtnHome"_s, u"처음화면"_s);
    BtnConfig = CreateHeaderButton(head, u"BtnConfig"_s, u"환경설정"_s);
    BtnHome->setChecked(true);

    PnlLogo = CreatePlaced<QWidget>(PnlHead, u"PnlLogo"_s, QRect(ClientWidth - 120, 0, 120, 50));
    ImgLogo = new TLogoImage(u":/app/logo.svg"_s, PnlLogo);
    ImgLogo->setObjectName(u"ImgLogo"_s);
    ImgLogo->setGeometry(3, 0, 112, 50);
}

QAbstractButton* TFrmMorvane::CreateHeaderButton(TStyledToolBar* head, const QString& name,
                                                 const QString& caption)
{
    QAbstractButton* button = head->AddButton(caption);
    button->setObjectName(name);
    return button;
}

void TFrmMorvane::CreateHomePage()
{
    PnlHome = CreatePanel(PnlMain, u"PnlHome"_s);
    PnlMain->addWidget(PnlHome);

    ListFile = new QTreeView(PnlHome);
    ListFile->setObjectName(u"ListFile"_s);
    FFiles = new TFileListModel(ListFile);
    ListFile->setModel(FFiles);
    ListFile->setRootIsDecorated(false);
    ListFile->setItemsExpandable(false);
    ListFile->setUniformRowHeights(true);
    ListFile->setAllColumnsShowFocus(true);
    ListFile->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListFile->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListFile->setSortingEnabled(false);
    ListFile->setContextMenuPolicy(Qt::CustomContextMenu);
    ListFile->header()->setStretchLastSection(false);
    ListFile->header()->setSectionsMovable(false);
    ListFile->setColumnWidth(0, 260);
    ListFile->setColumnWidth(1, 60);
    ListFile->setColumnWidth(2, 60);

    PnlMenu = CreatePanel(PnlHome, u"PnlMenu"_s);
    PnlMenu->setFixedHeight(48);
    PnlStart = CreatePanel(PnlMenu, u"PnlStart"_s);
    PnlStart->setFixedWidth(120);
    BtnStart = CreateStartButton();
    BtnStart->setGeometry(0, 8, 120, 35);
    Indicator = new TActivityIndicator(PnlStart);
    Indicator->setObjectName(u"Indicator"_s);
    Indicator->move(49, 13);
    Indicator->raise();

    auto* menuBox = new QHBoxLayout(PnlMenu);
    menuBox->setContentsMargins(1, 1, 1, 1);
    menuBox->addStretch(1);
    menuBox->addWidget(PnlStart);

    auto* homeBox = new QVBoxLayout(PnlHome);
    homeBox->setContentsMargins(8, 8, 8, 8);
    homeBox->setSpacing(0);
    homeBox->addWidget(ListFile, 1);
    homeBox->addWidget(PnlMenu);
}

QAbstractButton* TFrmMorvane::CreateStartButton()
{
    auto* button = new TStyledButton(ButtonStyleFamily, u"Outline"_s, PnlStart);
    button->setObjectName(u"BtnStart"_s);
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    return button;
}

void TFrmMorvane::CreateSettingsPage()
{
    PnlSetting = CreatePanel(PnlMain, u"PnlSetting"_s);
    PnlMain->addWidget(PnlSetting);
    CreateOutputGroup();
    CreateOptionGroup();

    PnlInfo = CreatePanel(PnlSetting, u"PnlInfo"_s);
    PnlInfo->setFixedHeight(41);
    EditInfo = CreatePlaced<QLineEdit>(PnlInfo, u"EditInfo"_s, QRect(15, 6, 170, 21));
    EditInfo->setFrame(false);
    EditInfo->setReadOnly(true);
    EditInfo->setFocusPolicy(Qt::ClickFocus);
    EditInfo->installEventFilter(this);

    auto* settingBox = new QVBoxLayout(PnlSetting);
    settingBox->setContentsMargins(0, 0, 0, 0);
    settingBox->addStretch(1);
    settingBox->addWidget(PnlInfo);
}

void TFrmMorvane::CreateOutputGroup()
{
    GrpOutput = CreatePlaced<QGroupBox>(PnlSetting, u"GrpOutput"_s, QRect(8, 6, 413, 83));
    GrpOutput->setTitle(u"저장경로"_s);
    ChkPath_1 = CreatePlaced<QRadioButton>(GrpOutput, u"ChkPath_1"_s, QRect(17, 24, 118, 17));
    ChkPath_1->setText(u"원본 파일 폴더"_s);
    ChkPath_2 = CreatePlaced<QRadioButton>(GrpOutput, u"ChkPath_2"_s, QRect(17, 48, 336, 17));
    BtnSaveDir = CreatePlaced<QToolButton>(GrpOutput, u"BtnSaveDir"_s, QRect(376, 46, 20, 21));
    BtnSaveDir->setText(u"…"_s);
    BtnSaveDir->setAutoRaise(true);
}

void TFrmMorvane::CreateOptionGroup()
{
    GrpOption = CreatePlaced<QGroupBox>(PnlSetting, u"GrpOption"_s, QRect(8, 95, 413, 138));
    GrpOption->setTitle(u"변환옵션"_s);

    Label1 = CreatePlaced<QLabel>(GrpOption, u"Label1"_s, QRect(16, 37, 56, 13));
    Label1->setText(u"저장형식 :"_s);
    const std::array<QRect, 5> formatPlaces = {QRect(80, 36, 52, 17), QRect(134, 36, 43, 17),
                                               QRect(188, 36, 43, 17), QRect(242, 36, 52, 17),
                                               QRect(301, 36, 52, 17)};
    for (int index = 0; index < int(FormatNames.size()); ++index) {
        FFormatButtons[index] = CreatePlaced<QRadioButton>(
            GrpOption, u"Btn"_s + FormatNames.at(index), formatPlaces[index]);
        FFormatButtons[index]->setText(FormatNames.at(index));
    }
    BtnJPG = FFormatButtons[0];
    BtnPNG = FFormatButtons[1];
    BtnGIF = FFormatButtons[2];
    BtnWEBP = FFormatButtons[3];
    BtnTIFF = FFormatButtons[4];

    LblResize = CreatePlaced<QLabel>(GrpOption, u"LblResize"_s, QRect(16, 69, 56, 13));
    LblResize->setText(u"크기조정 :"_s);
    ChkWidth = CreatePlaced<QCheckBox>(GrpOption, u"ChkWidth"_s, QRect(80, 68, 70, 17));
    ChkWidth->setText(u"너비(px)"_s);
    ChkWidth->setFocusPolicy(Qt::ClickFocus);
    EditWidth = CreatePlaced<TSpinEdit>(GrpOption, u"EditWidth"_s, QRect(154, 66, 65, 24));
    EditWidth->SetValue(InitialWidth);
    EditWidth->setEnabled(false);
    EditWidth->setFocusPolicy(Qt::ClickFocus);

    LblQuality = CreatePlaced<QLabel>(GrpOption, u"LblQuality"_s, QRect(16, 104, 56, 13));
    LblQuality->setText(u"품질조정 :"_s);
    EditQuality = CreatePlaced<TSpinEdit>(GrpOption, u"EditQuality"_s, QRect(80, 101, 54, 24));
    EditQuality->SetBounds(QualityMin, QualityMax);
    EditQuality->SetValue(InitialQuality);
    EditQuality->setToolTip(u"손실 압축시 적용"_s);
    EditQuality->setFocusPolicy(Qt::ClickFocus);
}

void TFrmMorvane::CreateMenus()
{
    PopList = new QMenu(this);
    PopList->setObjectName(u"PopList"_s);
    BtnDelete = CreateMenuItem(PopList, u"BtnDelete"_s, u"선택된 목록 삭제"_s);
    BtnDeleteAll = CreateMenuItem(PopList, u"BtnDeleteAll"_s, u"모든 목록 삭제"_s);

    PopSave = new QMenu(this);
    PopSave->setObjectName(u"PopSave"_s);
    ChkJPG = CreateMenuItem(PopSave, u"ChkJPG"_s, u"JPG"_s);
    ChkPNG = CreateMenuItem(PopSave, u"ChkPNG"_s, u"PNG"_s);
    ChkGIF = CreateMenuItem(PopSave, u"ChkGIF"_s, u"GIF"_s);
    ChkWEBP = CreateMenuItem(PopSave, u"ChkWEBP"_s, u"WEBP"_s);
    ChkTIFF = CreateMenuItem(PopSave, u"ChkTIFF"_s, u"TIFF"_s);
}

void TFrmMorvane::ConnectHandlers()
{
    for (QAbstractButton* button : {BtnHome, BtnConfig})
        connect(button, &QAbstractButton::clicked, this, [this, button] { BtnHomeClick(button); });
    connect(ImgLogo, &TLogoImage::Clicked, this, [this] { BtnHomeClick(ImgLogo); });

    connect(ListFile, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& place) { PopList->popup(ListFile->mapToGlobal(place)); });
    connect(BtnStart, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& place) { PopSave->popup(BtnStart->mapToGlobal(place)); });
    connect(BtnStart, &QAbstractButton::clicked, this, &TFrmMorvane::BtnStartClick);
    connect(BtnDelete, &QAction::triggered, this, &TFrmMorvane::BtnDeleteClick);
    connect(BtnDeleteAll, &QAction::triggered, this, &TFrmMorvane::BtnDeleteAllClick);

    // Checking a box or radio button from code reacts as a click does; loading relies on it.
    for (QRadioButton* button : FFormatButtons)
        connect(button, &QRadioButton::toggled, this, [this, button](bool checked) {
            if (checked)
                ChkJPGClick(button);
        });
    for (QAction* item : PopSave->actions())
        connect(item, &QAction::triggered, this, [this, item] { ChkJPGClick(item); });
    for (QRadioButton* button : {ChkPath_1, ChkPath_2})
        connect(button, &QRadioButton::toggled, this, [this, button](bool checked) {
            if (checked)
                ChkPath_1Click(button);
        });
    connect(ChkWidth, &QCheckBox::toggled, this, &TFrmMorvane::ChkWidthClick);
    connect(EditWidth, &TSpinEdit::Change, this, &TFrmMorvane::EditWidthChange);
    connect(EditQuality, &TSpinEdit::Change, this, &TFrmMorvane::EditQualityChange);
    connect(BtnSaveDir, &QToolButton::clicked, this, &TFrmMorvane::BtnSaveDirClick);
}

void TFrmMorvane::FitCaptions()
{
    WidenToCaption(ChkPath_1, BtnSaveDir->x() - CaptionGap);
    for (int index = 0; index + 1 < int(FFormatButtons.size()); ++index)
        WidenToCaption(FFormatButtons[index], FFormatButtons[index + 1]->x() - CaptionGap);
    WidenToCaption(FFormatButtons.back(), GrpOption->contentsRect().right() - CaptionGap);
    WidenToCaption(ChkWidth, EditWidth->x() - CaptionGap);
    for (QLabel* label : {Label1, LblResize, LblQuality})
        WidenToCaption(label, BtnJPG->x() - CaptionGap);
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
    FitCaptions();
    QGuiApplication::setApplicationDisplayName(windowTitle());
    EditInfo->setText(TranslateText(u"버전"_s) + u": "_s + GetFileVersion("%d.%d.%d"));
    PnlMain->setCurrentIndex(HomeCard);
    Indicator->hide();
    try {
        LoadSettings();
    } catch (const TConfigError& error) {
        // One damaged value must not keep the window from opening, nor its start button blank.
        qWarning().noquote() << error.Message();
        ShowStartCaption();
    }
    AutoMode = false;
    if (IsAutoModeCommandLine(arguments)) {
        StartAutoMode(arguments);
        return;
    }
    DragFile =
        std::make_unique<TDragFile>(ListFile, [this](const QStringList& paths) { AddFile(paths); });
    CheckUpdate(
        FUpdateUrl, [this](bool updateTaken, const QString&) { UpdateComplete(updateTaken); }, 0,
        this);
}

void TFrmMorvane::UpdateComplete(bool updateTaken)
{
    // The update target is opening; closing is still refused while a run is in progress.
    if (updateTaken)
        close();
}

void TFrmMorvane::StartAutoMode(const QStringList& arguments)
{
    SaveFormat = arguments.at(2);
    ShowStartCaption();
    AutoMode = true;
    for (qsizetype index = arguments.size() - 1; index >= 3; --index)
        AddPath(*FFiles, arguments.at(index));
    BtnStart->click();
}

bool TFrmMorvane::FormCloseQuery() const
{
    return BtnStart->isEnabled();
}

void TFrmMorvane::FormClose()
{
    {
        const TDrawingSuspended suspended(ListFile);
        FFiles->Clear();
    }
    DragFile.reset();
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

bool TFrmMorvane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == EditInfo && event->type() == QEvent::MouseButtonRelease)
        EditInfoClick();
    return QWidget::eventFilter(watched, event);
}

void TFrmMorvane::BtnHomeClick(QObject* sender)
{
    const QString name = sender->objectName();
    const auto is = [&name](QStringView candidate) {
        return name.compare(candidate, Qt::CaseInsensitive) == 0;
    };
    const auto showPressed = [sender] {
        if (auto* button = qobject_cast<QAbstractButton*>(sender))
            button->setChecked(true);
    };
    if (is(u"BtnHome")) {
        showPressed();
        PnlMain->setCurrentIndex(HomeCard);
    } else if (is(u"BtnConfig")) {
        showPressed();
        PnlMain->setCurrentIndex(SettingCard);
    } else if (is(u"ImgLogo")) {
        ShellOpen(ProductPageUrl());
    }
}

void TFrmMorvane::EditInfoClick()
{
    if (QWidget* focused = focusWidget())
        focused->clearFocus();
}

void TFrmMorvane::ChkJPGClick(QObject* sender)
{
    SaveFormat = CaptionOf(sender);
    SetSaveFormat(TPersist::Yes);
}

void TFrmMorvane::ChkPath_1Click(QObject* sender)
{
    // The digit after "ChkPath_" names the choice.
    SaveSetting(u"save"_s, sender->objectName().mid(8).toInt());
}

void TFrmMorvane::ChkWidthClick()
{
    SaveSetting(u"resize_w"_s, ChkWidth->isChecked());
    EditWidth->setEnabled(ChkWidth->isChecked());
}

void TFrmMorvane::EditWidthChange()
{
    SaveSetting(u"width"_s, EditWidth->Value());
}

void TFrmMorvane::EditQualityChange()
{
    SaveSetting(u"quality"_s, EditQuality->Value());
}

void TFrmMorvane::BtnSaveDirClick()
{
    QString folder = ChkPath_2->text();
    if (!FFolderChooser(folder))
        return;
    SaveSetting(u"savepath"_s, folder);
    ChkPath_2->setText(folder);
}

void TFrmMorvane::LoadSettings()
{
    {
        TConfig config(SettingsPath());
        SaveFormat = config.ReadString(u"format"_s, u"JPG"_s);
        ChkPath_2->setText(config.ReadString(u"savepath"_s, DefaultSavePath()));
        ChkWidth->setChecked(config.ReadBoolean(u"resize_w"_s, false));
        EditWidth->setEnabled(ChkWidth->isChecked());
        EditWidth->SetValue(config.ReadInteger(u"width"_s, InitialWidth));
        EditQuality->SetValue(config.ReadInteger(u"quality"_s, InitialQuality));
        if (config.ReadInteger(u"save"_s, -1) == 2)
            ChkPath_2->setChecked(true);
        else
            ChkPath_1->setChecked(true);
    }
    SetSaveFormat(TPersist::No);
}

void TFrmMorvane::SaveSetting(const QString& name, int value)
{
    TConfig(SettingsPath()).WriteInteger(name, value);
}

void TFrmMorvane::SaveSetting(const QString& name, bool value)
{
    TConfig(SettingsPath()).WriteBoolean(name, value);
}

void TFrmMorvane::SaveSetting(const QString& name, const QString& value)
{
    TConfig(SettingsPath()).WriteString(name, value);
}

void TFrmMorvane::SetSaveFormat(TPersist persist)
{
    ShowStartCaption();
    if (const int index = FormatNames.indexOf(SaveFormat); index >= 0)
        FFormatButtons[index]->setChecked(true);
    if (persist == TPersist::Yes)
        SaveSetting(u"format"_s, SaveFormat);
}

void TFrmMorvane::ShowStartCaption()
{
    SetStartCaption(StartCaptionFor(u"%s 로 변환하기"_s));
}

// The format goes in after translation.
QString TFrmMorvane::StartCaptionFor(const QString& source) const
{
    return TranslateText(source).replace(u"%s"_s, SaveFormat);
}

void TFrmMorvane::AddFile(const QStringList& paths)
{
    if (!BtnStart->isEnabled())
        return;
    for (const QString& path : paths)
        AddPath(*FFiles, path);
}

TFileListModel& TFrmMorvane::FileList() const
{
    return *FFiles;
}

void TFrmMorvane::BtnDeleteClick()
{
    if (!BtnStart->isEnabled())
        return;
    QList<int> rows;
    for (const QModelIndex& selected : ListFile->selectionModel()->selectedRows())
        rows << selected.row();
    const TDrawingSuspended suspended(ListFile);
    FFiles->RemoveRowsAt(rows);
}

void TFrmMorvane::BtnDeleteAllClick()
{
    if (BtnStart->isEnabled())
        FFiles->Clear();
}

void TFrmMorvane::BtnStartClick()
{
    if (BtnStart->text() == StartCaptionFor(u"%s 로 변환완료"_s)) {
        close();
        return;
    }
    if (FFiles->rowCount() == 0)
        return;
    SavePath.clear();
    if (ChkPath_2->isChecked() && !AutoMode) {
        SavePath = ChkPath_2->text();
        if (!SavePath.endsWith(u'/') && !SavePath.endsWith(QDir::separator()))
            SavePath += QDir::separator();
        if (!IsSavePathUsable()) {
            ShowSavePathError();
            return;
        }
    }
    LockWindow();
    const QString ready = TranslateText(u"준비"_s);
    for (int row = 0; row < FFiles->rowCount(); ++row)
        FFiles->SetStatus(row, ready);
    TConversionRun::Start(this, FToolFolder);
}

// An existing folder (also through a link), or one made now together with its missing parents.
bool TFrmMorvane::IsSavePathUsable() const
{
    return QFileInfo(SavePath).isDir() || QDir().mkpath(SavePath);
}

void TFrmMorvane::ShowSavePathError()
{
    QMessageBox box(QMessageBox::Critical, windowTitle(),
                    TranslateText(u"저장될 폴더를 다시 입력해주세요."_s), QMessageBox::Ok, this);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

void TFrmMorvane::LockWindow()
{
    ProgressBar->setMaximum(FFiles->rowCount());
    ProgressBar->show();
    SetStartCaption(QString());
    BtnStart->setEnabled(false);
    BtnHome->setEnabled(false);
    BtnConfig->setEnabled(false);
    Indicator->show();
}

TConvertOptions TFrmMorvane::ConvertOptions() const
{
    TConvertOptions options;
    options.Format = SaveFormat;
    options.OutputFolder = SavePath;
    options.ResizeWidth = ChkWidth->isChecked() ? TResizeWidth::On : TResizeWidth::Off;
    options.Width = EditWidth->Value();
    options.Quality = EditQuality->Value();
    return options;
}

void TFrmMorvane::FinishRun()
{
    Indicator->hide();
    ProgressBar->hide();
    ProgressBar->setValue(0);
    BtnStart->setEnabled(true);
    BtnHome->setEnabled(true);
    if (AutoMode) {
        SetStartCaption(StartCaptionFor(u"%s 로 변환완료"_s));
        // The format menu goes: the next press only closes the window.
        BtnStart->setContextMenuPolicy(Qt::NoContextMenu);
    } else {
        ShowStartCaption();
        BtnConfig->setEnabled(true);
    }
}

void TFrmMorvane::SetStartCaption(const QString& caption)
{
    BtnStart->setText(caption);
    QFont captionFont = font();
    const int roomForText = BtnStart->width() - 2 * StartCaptionPadding;
    while (captionFont.pixelSize() > SmallestCaptionPixels &&
           QFontMetrics(captionFont).horizontalAdvance(caption) > roomForText)
        captionFont.setPixelSize(captionFont.pixelSize() - 1);
    BtnStart->setFont(captionFont);
}
