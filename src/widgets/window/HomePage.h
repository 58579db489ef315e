#pragma once

#include "convert/ConvertOptions.h"
#include "window/RunHost.h"
#include "window/WindowState.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QAbstractButton;
class QMenu;
class QTreeView;
class TActivityIndicator;
class TConversionRun;
class TDragFile;
class TFileListModel;

enum class TRunMode
{
    // Outputs go where the options say; after a run the window is ready for the next.
    Interactive,
    // Outputs go beside their sources; after the run the start button closes the window.
    Automatic
};

// The home page (card PnlHome): the file list with its menu, and the start button with the format
// menu and the activity indicator over it. It starts the conversion run, serves as its host and
// holds the window's state. Main thread.
class THomePage : public QWidget, public TRunHost
{
    Q_OBJECT

public:
    // The options as the options page holds them; OutputFolder is the chosen folder when that
    // choice is on, empty for beside each source.
    using TOptionsSource = std::function<TConvertOptions()>;

    // `toolFolder` holds the outside programs of the runs; empty finds the installed ones.
    THomePage(QString toolFolder, TOptionsSource options, QWidget* parent);
    ~THomePage() override;

    TWindowState State() const { return FState; }
    void SetRunMode(TRunMode mode);
    // Lists the paths in order, unless a run is in progress.
    void AddFile(const QStringList& paths);
    // From now on files dropped on the list are listed.
    void AcceptDrops();
    // The window is closing: every row goes, and drops are refused again.
    void CloseList();
    // The target format that the start button names.
    void ShowFormat(const QString& format);
    // The start button's action: starts a run, or after an automatic run closes the window.
    void BtnStartClick();

    TFileListModel& Rows() override;
    TConvertOptions OptionsForNextFile() const override;
    void ShowProgress(int position) override;

Q_SIGNALS:
    void StateChanged(TWindowState state);
    void ProgressChanged(int position);
    // Chosen from the start button's menu.
    void FormatChosen(const QString& format);
    void CloseRequested();

private:
    void CreateFileList();
    void CreateStartPanel();
    void CreateMenus();
    void ConnectHandlers();

    void BtnDeleteClick();
    void BtnDeleteAllClick();
    // Resolves the output folder of the next run; false, after telling the user, when the chosen
    // folder neither exists nor can be made.
    bool ResolveOutputFolder();
    void ShowSavePathError();
    void FinishRun();
    void SetState(TWindowState state);
    // Long captions (some languages, long format names) get a smaller font to fit the button.
    void SetStartCaption(const QString& caption);
    // The format goes in after translation.
    QString StartCaptionFor(const QString& source) const;

    QTreeView* ListFile = nullptr;
    QWidget* PnlMenu = nullptr;
    QWidget* PnlStart = nullptr;
    QAbstractButton* BtnStart = nullptr;
    TActivityIndicator* Indicator = nullptr;
    QMenu* PopList = nullptr;
    QMenu* PopSave = nullptr;

    TFileListModel* FFiles = nullptr;
    const QString FToolFolder;
    const TOptionsSource FReadOptions;
    TRunMode FRunMode = TRunMode::Interactive;
    TWindowState FState = TWindowState::Idle;
    QString FFormat;
    // Resolved output folder of the current run, with a trailing delimiter; empty for beside each
    // source file.
    QString FSavePath;
    QPointer<TConversionRun> FRun;
    // Receives files dropped on the list; interactive mode only, until the window closes.
    std::unique_ptr<TDragFile> FDragFile;
};
