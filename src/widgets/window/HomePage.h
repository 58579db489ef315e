#pragma once

#include "config/ConvertOptions.h"
#include "window/RunHost.h"
#include "window/WindowState.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QAbstractButton;
class QLabel;
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

// The home page (card PnlHome): the file list with its menu and, while it is empty, a hint to drop
// files on it; the start button with the format menu, which stops a run under way; beside it the
// activity indicator during a run and the summary of the last one. It starts the conversion run,
// serves as its host and holds the window's state. Main thread.
class THomePage : public QWidget, public TRunHost
{
    Q_OBJECT

public:
    // The options as the options page holds them; OutputFolder is the chosen folder when that
    // choice is on, empty for beside each source.
    using TOptionsSource = std::function<TConvertOptions()>;
    // How many files a run converts at once, as the options page holds it.
    using TJobsSource = std::function<int()>;

    // `toolFolder` holds the outside programs of the runs; empty finds the installed ones.
    THomePage(QString toolFolder, TOptionsSource options, TJobsSource jobs, QWidget* parent);
    ~THomePage() override;

    TWindowState State() const { return FState; }
    void SetRunMode(TRunMode mode);
    // Lists the paths in order, unless a run is in progress.
    void AddFile(const QStringList& paths);
    // From now on files dropped on the list are listed.
    void AcceptDrops();
    // Widens the status column where a status in the interface language needs it, at the file
    // name's cost; call once the language is set.
    void FitStatusColumn();
    // The window is closing: every row goes, and drops are refused again.
    void CloseList();
    // The target format that the start button names.
    void ShowFormat(const QString& format);
    // The start button's action: starts a run, stops the run under way, or after an automatic
    // run closes the window.
    void BtnStartClick();
    // Ends the programs of the run under way; the run then finishes as usual. Nothing without a
    // run.
    void StopRun();

    TFileListModel& Rows() override;
    void ShowProgress(int finished) override;

Q_SIGNALS:
    void StateChanged(TWindowState state);
    // How many rows of the run under way have finished.
    void ProgressChanged(int finished);
    // Chosen from the start button's menu.
    void FormatChosen(const QString& format);
    void CloseRequested();

private:
    void CreateFileList();
    void CreateDropHint();
    void CreateStartPanel();
    void CreateMenus();
    void ConnectHandlers();

    void BtnDeleteClick();
    void BtnDeleteAllClick();
    // Resolves the output folder of the next run; false, after telling the user, when the chosen
    // folder neither exists nor can be made.
    bool ResolveOutputFolder();
    void ShowSavePathError();
    void StartRun();
    void FinishRun();
    // How the last run went, with a way to its folder when it wrote into a chosen one.
    void ShowSummary();
    void ListChanged();
    void BtnOpenFolderClick();
    void SetState(TWindowState state);
    // Long captions (some languages, long format names) get a smaller font to fit the button.
    void SetStartCaption(const QString& caption);
    // The format goes in after translation.
    QString StartCaptionFor(const QString& source) const;

    QTreeView* ListFile = nullptr;
    QLabel* LblDropHint = nullptr;
    QWidget* PnlMenu = nullptr;
    QLabel* LblSummary = nullptr;
    QAbstractButton* BtnOpenFolder = nullptr;
    QWidget* PnlStart = nullptr;
    QAbstractButton* BtnStart = nullptr;
    TActivityIndicator* Indicator = nullptr;
    QMenu* PopList = nullptr;
    QMenu* PopSave = nullptr;

    TFileListModel* FFiles = nullptr;
    const QString FToolFolder;
    const TOptionsSource FReadOptions;
    const TJobsSource FReadJobs;
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
