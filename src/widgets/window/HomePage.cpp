#include "window/HomePage.h"

#include "controls/ActivityIndicator.h"
#include "desktop/ShellOpen.h"
#include "drop/DragFile.h"
#include "i18n/Translate.h"
#include "input/FileList.h"
#include "output/OutputFolder.h"
#include "theme/StyledButton.h"
#include "window/ConversionRun.h"
#include "window/FileListModel.h"
#include "window/TargetFormats.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
constexpr int StartCaptionPadding = 4;
constexpr int SmallestCaptionPixels = 8;
constexpr int StartPanelSpacing = 6;
constexpr int BesideStartTopMargin = 3;
constexpr int TitleColumnWidth = 260;
constexpr int StatusColumnWidth = 60;
// The accent colour of the window's theme.
const QColor LinkColor(0x3D, 0x84, 0xDD);

QAction* CreateMenuItem(QMenu* menu, const QString& name, const QString& caption)
{
    auto* item = new QAction(caption, menu);
    item->setObjectName(name);
    menu->addAction(item);
    return item;
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
} // namespace

THomePage::THomePage(QString toolFolder, TOptionsSource options, TJobsSource jobs, QWidget* parent)
    : QWidget(parent), FToolFolder(std::move(toolFolder)), FReadOptions(std::move(options)),
      FReadJobs(std::move(jobs))
{
    setObjectName(u"PnlHome"_s);
    CreateFileList();
    CreateDropHint();
    CreateStartPanel();
    CreateMenus();
    ConnectHandlers();

    auto* homeBox = new QVBoxLayout(this);
    homeBox->setContentsMargins(8, 8, 8, 8);
    homeBox->setSpacing(0);
    homeBox->addWidget(ListFile, 1);
    homeBox->addWidget(PnlMenu);
}

// A run still going must not reach back into this page.
THomePage::~THomePage()
{
    if (FRun)
        FRun->Detach();
}

void THomePage::CreateFileList()
{
    ListFile = new QTreeView(this);
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
    ListFile->setColumnWidth(TFileListModel::ColumnTitle, TitleColumnWidth);
    ListFile->setColumnWidth(TFileListModel::ColumnFormat, 60);
    ListFile->setColumnWidth(TFileListModel::ColumnStatus, StatusColumnWidth);
}

// Lies in the middle of the empty list; drops and clicks pass through to the list.
void THomePage::CreateDropHint()
{
    QWidget* viewport = ListFile->viewport();
    LblDropHint = new QLabel(u"여기에 이미지나 폴더를 끌어다 놓으세요"_s, viewport);
    LblDropHint->setObjectName(u"LblDropHint"_s);
    LblDropHint->setAlignment(Qt::AlignCenter);
    LblDropHint->setWordWrap(true);
    LblDropHint->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette faint = LblDropHint->palette();
    faint.setColor(QPalette::WindowText, faint.color(QPalette::Disabled, QPalette::WindowText));
    LblDropHint->setPalette(faint);
    auto* hintBox = new QVBoxLayout(viewport);
    hintBox->addWidget(LblDropHint);
}

void THomePage::CreateStartPanel()
{
    PnlMenu = new QWidget(this);
    PnlMenu->setObjectName(u"PnlMenu"_s);
    PnlMenu->setFixedHeight(48);
    PnlStart = new QWidget(PnlMenu);
    PnlStart->setObjectName(u"PnlStart"_s);
    PnlStart->setFixedWidth(120);
    BtnStart = new TStyledButton(u"Dovrelan"_s, u"Outline"_s, PnlStart);
    BtnStart->setObjectName(u"BtnStart"_s);
    BtnStart->setContextMenuPolicy(Qt::CustomContextMenu);
    BtnStart->setGeometry(0, 8, 120, 35);
    // Beside the start button, whose caption stays readable during a run.
    Indicator = new TActivityIndicator(PnlMenu);
    Indicator->setObjectName(u"Indicator"_s);
    Indicator->hide();
    LblSummary = new QLabel(PnlMenu);
    LblSummary->setObjectName(u"LblSummary"_s);
    LblSummary->hide();
    auto* openFolder = new QToolButton(PnlMenu);
    openFolder->setObjectName(u"BtnOpenFolder"_s);
    openFolder->setText(u"폴더 열기"_s);
    // Looks like a link: it takes the user elsewhere.
    openFolder->setAutoRaise(true);
    openFolder->setCursor(Qt::PointingHandCursor);
    QPalette link = openFolder->palette();
    link.setColor(QPalette::ButtonText, LinkColor);
    openFolder->setPalette(link);
    QFont underlined = openFolder->font();
    underlined.setUnderline(true);
    openFolder->setFont(underlined);
    openFolder->hide();
    BtnOpenFolder = openFolder;

    // Level with the middle of the start button, which sits low in its panel.
    auto* besideStartBox = new QHBoxLayout;
    besideStartBox->setContentsMargins(0, BesideStartTopMargin, 0, 0);
    besideStartBox->setSpacing(StartPanelSpacing);
    besideStartBox->addWidget(LblSummary);
    besideStartBox->addWidget(BtnOpenFolder);
    besideStartBox->addWidget(Indicator);
    auto* menuBox = new QHBoxLayout(PnlMenu);
    menuBox->setContentsMargins(1, 1, 1, 1);
    menuBox->setSpacing(StartPanelSpacing);
    menuBox->addStretch(1);
    menuBox->addLayout(besideStartBox);
    menuBox->addWidget(PnlStart);
}

void THomePage::CreateMenus()
{
    PopList = new QMenu(this);
    PopList->setObjectName(u"PopList"_s);
    connect(CreateMenuItem(PopList, u"BtnDelete"_s, u"선택된 목록 삭제"_s), &QAction::triggered,
            this, &THomePage::BtnDeleteClick);
    connect(CreateMenuItem(PopList, u"BtnDeleteAll"_s, u"모든 목록 삭제"_s), &QAction::triggered,
            this, &THomePage::BtnDeleteAllClick);

    PopSave = new QMenu(this);
    PopSave->setObjectName(u"PopSave"_s);
    // The item stands for its format, whatever the desktop makes of its caption.
    for (const QString& format : TargetFormats)
        connect(CreateMenuItem(PopSave, u"Chk"_s + format, format), &QAction::triggered, this,
                [this, format] { Q_EMIT FormatChosen(format); });
}

void THomePage::ConnectHandlers()
{
    connect(ListFile, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& place) { PopList->popup(ListFile->mapToGlobal(place)); });
    // The options stay as they are while a run uses them.
    connect(BtnStart, &QWidget::customContextMenuRequested, this, [this](const QPoint& place) {
        if (FState == TWindowState::Idle)
            PopSave->popup(BtnStart->mapToGlobal(place));
    });
    connect(BtnStart, &QAbstractButton::clicked, this, &THomePage::BtnStartClick);
    connect(BtnOpenFolder, &QAbstractButton::clicked, this, &THomePage::BtnOpenFolderClick);
    connect(FFiles, &QAbstractItemModel::rowsInserted, this, &THomePage::ListChanged);
    connect(FFiles, &QAbstractItemModel::rowsRemoved, this, &THomePage::ListChanged);
    connect(FFiles, &QAbstractItemModel::modelReset, this, &THomePage::ListChanged);
}

void THomePage::SetRunMode(TRunMode mode)
{
    FRunMode = mode;
}

void THomePage::AddFile(const QStringList& paths)
{
    if (IsRunGoing(FState))
        return;
    for (const QString& path : paths)
        AddPath(*FFiles, path);
}

void THomePage::AcceptDrops()
{
    FDragFile =
        std::make_unique<TDragFile>(ListFile, [this](const QStringList& paths) { AddFile(paths); });
}

void THomePage::FitStatusColumn()
{
    // The margins the item delegate keeps, and two pixels more: a text that fills its cell exactly
    // is elided all the same.
    const int margin =
        2 * (ListFile->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListFile) + 1) +
        2;
    int needed = StatusColumnWidth;
    for (const QString& status : TFileListModel::StatusTexts())
        needed = std::max(needed, ListFile->fontMetrics().horizontalAdvance(status) + margin);
    ListFile->setColumnWidth(TFileListModel::ColumnTitle,
                             TitleColumnWidth + StatusColumnWidth - needed);
    ListFile->setColumnWidth(TFileListModel::ColumnStatus, needed);
}

void THomePage::CloseList()
{
    {
        const TDrawingSuspended suspended(ListFile);
        FFiles->Clear();
    }
    FDragFile.reset();
}

void THomePage::ShowFormat(const QString& format)
{
    FFormat = format;
    if (FState == TWindowState::Idle)
        SetStartCaption(StartCaptionFor(u"%s 로 변환하기"_s));
}

void THomePage::BtnDeleteClick()
{
    if (IsRunGoing(FState))
        return;
    QList<int> rows;
    for (const QModelIndex& selected : ListFile->selectionModel()->selectedRows())
        rows << selected.row();
    const TDrawingSuspended suspended(ListFile);
    FFiles->RemoveRowsAt(rows);
}

void THomePage::BtnDeleteAllClick()
{
    if (!IsRunGoing(FState))
        FFiles->Clear();
}

void THomePage::BtnStartClick()
{
    switch (FState) {
    case TWindowState::Idle:
        StartRun();
        break;
    case TWindowState::Running:
        StopRun();
        break;
    case TWindowState::Stopping:
        break;
    case TWindowState::AutoDone:
        Q_EMIT CloseRequested();
        break;
    }
}

void THomePage::StartRun()
{
    if (FFiles->rowCount() == 0 || !ResolveOutputFolder())
        return;
    SetState(TWindowState::Running);
    for (int row = 0; row < FFiles->rowCount(); ++row)
        FFiles->SetStatus(row, TRowStatus::Ready);
    ShowProgress(0);
    TConvertOptions options = FReadOptions();
    options.OutputFolder = FSavePath;
    // The run reaches this thread only through the event loop, so it cannot finish before this.
    FRun = TConversionRun::Start(*this, {FToolFolder, options, FReadJobs()});
    connect(FRun, &TConversionRun::Finished, this, &THomePage::FinishRun);
}

void THomePage::StopRun()
{
    if (FState != TWindowState::Running)
        return;
    SetState(TWindowState::Stopping);
    if (FRun)
        FRun->Stop();
}

bool THomePage::ResolveOutputFolder()
{
    FSavePath = FRunMode == TRunMode::Automatic ? QString() : FReadOptions().OutputFolder;
    if (FSavePath.isEmpty())
        return true;
    const TResult<QString> folder = PrepareOutputFolder(FSavePath);
    FSavePath = folder.IsOk() ? folder.Value() : FolderForm(FSavePath);
    if (folder.IsOk())
        return true;
    ShowSavePathError();
    return false;
}

void THomePage::ShowSavePathError()
{
    QMessageBox box(QMessageBox::Critical, window()->windowTitle(),
                    TranslateText(u"저장될 폴더를 다시 입력해주세요."_s), QMessageBox::Ok,
                    window());
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

TFileListModel& THomePage::Rows()
{
    return *FFiles;
}

void THomePage::ShowProgress(int finished)
{
    Q_EMIT ProgressChanged(finished);
}

void THomePage::FinishRun()
{
    SetState(FRunMode == TRunMode::Automatic ? TWindowState::AutoDone : TWindowState::Idle);
    ShowSummary();
}

void THomePage::ShowSummary()
{
    int converted = 0;
    int failed = 0;
    for (int row = 0; row < FFiles->rowCount(); ++row) {
        const TRowStatus status = FFiles->Status(row);
        converted += status == TRowStatus::Succeeded ? 1 : 0;
        failed += status == TRowStatus::Failed ? 1 : 0;
    }
    // The numbers go in after translation.
    LblSummary->setText(TranslateText(u"변환 %1개, 실패 %2개"_s)
                            .arg(QString::number(converted), QString::number(failed)));
    LblSummary->show();
    BtnOpenFolder->setVisible(!FSavePath.isEmpty() && converted > 0);
}

// The summary speaks of rows that are no longer all there.
void THomePage::ListChanged()
{
    LblDropHint->setVisible(FFiles->rowCount() == 0);
    LblSummary->hide();
    BtnOpenFolder->hide();
}

void THomePage::BtnOpenFolderClick()
{
    ShellOpen(FSavePath);
}

void THomePage::SetState(TWindowState state)
{
    FState = state;
    BtnStart->setEnabled(state != TWindowState::Stopping);
    Indicator->setVisible(IsRunGoing(state));
    if (IsRunGoing(state)) {
        LblSummary->hide();
        BtnOpenFolder->hide();
    }
    switch (state) {
    case TWindowState::Idle:
        SetStartCaption(StartCaptionFor(u"%s 로 변환하기"_s));
        break;
    case TWindowState::Running:
    case TWindowState::Stopping:
        SetStartCaption(TranslateText(u"중지"_s));
        break;
    case TWindowState::AutoDone:
        SetStartCaption(StartCaptionFor(u"%s 로 변환완료"_s));
        // The format menu goes: the next press only closes the window.
        BtnStart->setContextMenuPolicy(Qt::NoContextMenu);
        break;
    }
    Q_EMIT StateChanged(state);
}

QString THomePage::StartCaptionFor(const QString& source) const
{
    return TranslateText(source).replace(u"%s"_s, FFormat);
}

void THomePage::SetStartCaption(const QString& caption)
{
    BtnStart->setText(caption);
    QFont captionFont = window()->font();
    const int roomForText = BtnStart->width() - 2 * StartCaptionPadding;
    while (captionFont.pixelSize() > SmallestCaptionPixels &&
           QFontMetrics(captionFont).horizontalAdvance(caption) > roomForText)
        captionFont.setPixelSize(captionFont.pixelSize() - 1);
    BtnStart->setFont(captionFont);
}
