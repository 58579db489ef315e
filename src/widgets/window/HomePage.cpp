#include "window/HomePage.h"

#include "controls/ActivityIndicator.h"
#include "drop/DragFile.h"
#include "i18n/Translate.h"
#include "input/FileList.h"
#include "theme/StyledButton.h"
#include "window/ConversionRun.h"
#include "window/FileListModel.h"
#include "window/TargetFormats.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QTreeView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
constexpr int StartCaptionPadding = 4;
constexpr int SmallestCaptionPixels = 8;

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

THomePage::THomePage(QString toolFolder, TOptionsSource options, QWidget* parent)
    : QWidget(parent), FToolFolder(std::move(toolFolder)), FReadOptions(std::move(options))
{
    setObjectName(u"PnlHome"_s);
    CreateFileList();
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
    ListFile->setColumnWidth(TFileListModel::ColumnTitle, 260);
    ListFile->setColumnWidth(TFileListModel::ColumnFormat, 60);
    ListFile->setColumnWidth(TFileListModel::ColumnStatus, 60);
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
    Indicator = new TActivityIndicator(PnlStart);
    Indicator->setObjectName(u"Indicator"_s);
    Indicator->move(49, 13);
    Indicator->raise();
    Indicator->hide();

    auto* menuBox = new QHBoxLayout(PnlMenu);
    menuBox->setContentsMargins(1, 1, 1, 1);
    menuBox->addStretch(1);
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
    connect(BtnStart, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& place) { PopSave->popup(BtnStart->mapToGlobal(place)); });
    connect(BtnStart, &QAbstractButton::clicked, this, &THomePage::BtnStartClick);
}

void THomePage::SetRunMode(TRunMode mode)
{
    FRunMode = mode;
}

void THomePage::AddFile(const QStringList& paths)
{
    if (FState == TWindowState::Running)
        return;
    for (const QString& path : paths)
        AddPath(*FFiles, path);
}

void THomePage::AcceptDrops()
{
    FDragFile =
        std::make_unique<TDragFile>(ListFile, [this](const QStringList& paths) { AddFile(paths); });
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
    if (FState == TWindowState::Running)
        return;
    QList<int> rows;
    for (const QModelIndex& selected : ListFile->selectionModel()->selectedRows())
        rows << selected.row();
    const TDrawingSuspended suspended(ListFile);
    FFiles->RemoveRowsAt(rows);
}

void THomePage::BtnDeleteAllClick()
{
    if (FState != TWindowState::Running)
        FFiles->Clear();
}

void THomePage::BtnStartClick()
{
    if (FState == TWindowState::AutoDone) {
        Q_EMIT CloseRequested();
        return;
    }
    if (FState == TWindowState::Running || FFiles->rowCount() == 0 || !ResolveOutputFolder())
        return;
    SetState(TWindowState::Running);
    for (int row = 0; row < FFiles->rowCount(); ++row)
        FFiles->SetStatus(row, TRowStatus::Ready);
    // The run reaches this thread only through the event loop, so it cannot finish before this.
    FRun = TConversionRun::Start(*this, FToolFolder);
    connect(FRun, &TConversionRun::Finished, this, &THomePage::FinishRun);
}

bool THomePage::ResolveOutputFolder()
{
    FSavePath = FRunMode == TRunMode::Automatic ? QString() : FReadOptions().OutputFolder;
    if (FSavePath.isEmpty())
        return true;
    if (!FSavePath.endsWith(u'/') && !FSavePath.endsWith(QDir::separator()))
        FSavePath += QDir::separator();
    // An existing folder (also through a link), or one made now together with its missing parents.
    if (QFileInfo(FSavePath).isDir() || QDir().mkpath(FSavePath))
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

TConvertOptions THomePage::OptionsForNextFile() const
{
    TConvertOptions options = FReadOptions();
    options.OutputFolder = FSavePath;
    return options;
}

void THomePage::ShowProgress(int position)
{
    Q_EMIT ProgressChanged(position);
}

void THomePage::FinishRun()
{
    SetState(FRunMode == TRunMode::Automatic ? TWindowState::AutoDone : TWindowState::Idle);
}

void THomePage::SetState(TWindowState state)
{
    FState = state;
    BtnStart->setEnabled(state != TWindowState::Running);
    Indicator->setVisible(state == TWindowState::Running);
    switch (state) {
    case TWindowState::Idle:
        SetStartCaption(StartCaptionFor(u"%s 로 변환하기"_s));
        break;
    case TWindowState::Running:
        SetStartCaption(QString());
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
