#pragma once

#include "window/SettingsPage.h"
#include "window/WindowState.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QMessageBox;
class QProgressBar;
class QStackedWidget;
class THomePage;
class TLogoImage;

// How far a close of the window during a run has come.
enum class TClosing
{
    // None is under way: the next close asks.
    None,
    // The close question is on view.
    Asking,
    // The close question is still on view, but the close goes on as after a yes once it is gone:
    // the program was asked to end from outside meanwhile.
    AskingButDecided,
    // The run is being stopped; the window closes once it has ended.
    AfterRun
};

// Where a window finds the outside programs of its runs and the update service it asks.
struct TFrmMorvaneSetup
{
    // Empty: the installed programs.
    QString ToolFolder;
    // Empty: no update check.
    QString UpdateUrl;

    static TFrmMorvaneSetup Installed();
};

// The program's one window: a header whose buttons switch between the home page and the options
// page, and a progress bar shown during a run. It runs the start-up order and wires the pages
// together; the pages do the rest. A close during a run asks whether to stop it: on yes the run
// is stopped and the window closes once the programs have ended, never waiting for them. Main
// thread.
class TFrmMorvane : public QWidget
{
    Q_OBJECT

public:
    // `arguments` is the whole command line, the program's own path first: "/auto FORMAT path..."
    // converts the paths at once; otherwise the paths are listed as if dropped.
    explicit TFrmMorvane(const QStringList& arguments,
                         const TFrmMorvaneSetup& setup = TFrmMorvaneSetup::Installed(),
                         QWidget* parent = nullptr);
    ~TFrmMorvane() override;

    // Asks whether to stop the run under way and close; true for yes.
    using TCloseQuestion = std::function<bool()>;

    // In place of the desktop's folder dialog.
    void SetFolderChooser(TSettingsPage::TFolderChooser chooser);
    // In place of the message box that asks before a close during a run.
    void SetCloseQuestion(TCloseQuestion question);
    // Closes without asking, and takes away a close question on view: a run under way is stopped
    // first and the window closes once its programs have ended. For requests to end the program
    // that come from outside.
    void StopAndClose();
    // Lists the paths in order, unless a conversion run is in progress.
    void AddFile(const QStringList& paths);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateHeader();
    QAbstractButton* CreateHeaderButton(const QString& name, const QString& caption);
    void CreatePages(const QString& toolFolder);
    void CreateLayout();
    void ConnectPages();
    void CenterOnScreen();

    void FormCreate(const QStringList& arguments);
    void StartAutoMode(const QStringList& arguments);
    void StartInteractiveMode(const QStringList& files);
    void FollowSessionEnd();
    bool FormCloseQuery();
    // True when the run under way is to be stopped and the window closed.
    bool AskToStopForClose();
    void FormClose();
    void ShowCard(QAbstractButton* headerButton, QWidget* card);
    void ImgLogoClick();
    void ShowState(TWindowState state);

    QWidget* PnlHead = nullptr;
    QWidget* BtnHead = nullptr;
    QAbstractButton* BtnHome = nullptr;
    QAbstractButton* BtnConfig = nullptr;
    QWidget* PnlLogo = nullptr;
    TLogoImage* ImgLogo = nullptr;
    QStackedWidget* PnlMain = nullptr;
    THomePage* FHome = nullptr;
    TSettingsPage* FSettings = nullptr;
    QProgressBar* ProgressBar = nullptr;

    const QString FUpdateUrl;
    TCloseQuestion FCloseQuestion;
    // The window's own close question, while it is on view.
    QPointer<QMessageBox> FCloseQuestionBox;
    TClosing FClosing = TClosing::None;
};
