#pragma once

#include <QStringList>
#include <QWidget>

#include "convert/ConvertOptions.h"

#include <array>
#include <functional>
#include <memory>

class QAbstractButton;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QRadioButton;
class QStackedWidget;
class QToolButton;
class QTreeView;
class TActivityIndicator;
class TDragFile;
class TFileListModel;
class TLogoImage;
class TSpinEdit;
class TStyledToolBar;

enum class TPersist
{
    No,
    Yes
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

// The program's one window: a header that switches between the file list with the start button
// and the options page. The option controls are the option state; every change is stored at once.
// Creating the window runs the start-up order. Main thread.
class TFrmMorvane : public QWidget
{
    Q_OBJECT

public:
    // Chooses a folder starting at `folder`; true and the choice in `folder` when confirmed.
    using TFolderChooser = std::function<bool(QString& folder)>;

    // `arguments` is the whole command line, the program's own path first.
    explicit TFrmMorvane(const QStringList& arguments,
                         const TFrmMorvaneSetup& setup = TFrmMorvaneSetup::Installed(),
                         QWidget* parent = nullptr);
    ~TFrmMorvane() override;

    void SetFolderChooser(TFolderChooser chooser);

    void BtnHomeClick(QObject* sender);
    void EditInfoClick();
    void ChkJPGClick(QObject* sender);
    void ChkPath_1Click(QObject* sender);
    void ChkWidthClick();
    void EditWidthChange();
    void EditQualityChange();
    void BtnSaveDirClick();
    void BtnStartClick();
    void BtnDeleteClick();
    void BtnDeleteAllClick();

    // Lists the paths in order, unless a conversion run is in progress.
    void AddFile(const QStringList& paths);
    TFileListModel& FileList() const;
    // The options a run's next file is converted with, as the controls hold them now.
    TConvertOptions ConvertOptions() const;
    // The end of a run: unlocks the window; after an automatic run the start button closes it.
    void FinishRun();

    // Reads every option into the controls; a stored value of the wrong kind ends it with
    // TConfigError, leaving the controls not yet set as they are.
    void LoadSettings();
    void SaveSetting(const QString& name, int value);
    void SaveSetting(const QString& name, bool value);
    void SaveSetting(const QString& name, const QString& value);
    // A text literal would otherwise silently pick the Boolean overload.
    void SaveSetting(const QString& name, const char* value) = delete;
    void SetSaveFormat(TPersist persist);
    // Long captions (some languages, long format names) get a smaller font to fit the button.
    void SetStartCaption(const QString& caption);

    QWidget* PnlHead = nullptr;
    QWidget* BtnHead = nullptr;
    QAbstractButton* BtnHome = nullptr;
    QAbstractButton* BtnConfig = nullptr;
    QWidget* PnlLogo = nullptr;
    TLogoImage* ImgLogo = nullptr;
    QStackedWidget* PnlMain = nullptr;
    QWidget* PnlHome = nullptr;
    QTreeView* ListFile = nullptr;
    QWidget* PnlMenu = nullptr;
    QWidget* PnlStart = nullptr;
    QAbstractButton* BtnStart = nullptr;
    TActivityIndicator* Indicator = nullptr;
    QWidget* PnlSetting = nullptr;
    QGroupBox* GrpOutput = nullptr;
    QRadioButton* ChkPath_1 = nullptr;
    QRadioButton* ChkPath_2 = nullptr;
    QToolButton* BtnSaveDir = nullptr;
    QGroupBox* GrpOption = nullptr;
    QLabel* Label1 = nullptr;
    QRadioButton* BtnJPG = nullptr;
    QRadioButton* BtnPNG = nullptr;
    QRadioButton* BtnGIF = nullptr;
    QRadioButton* BtnWEBP = nullptr;
    QRadioButton* BtnTIFF = nullptr;
    QLabel* LblResize = nullptr;
    QCheckBox* ChkWidth = nullptr;
    TSpinEdit* EditWidth = nullptr;
    QLabel* LblQuality = nullptr;
    TSpinEdit* EditQuality = nullptr;
    QWidget* PnlInfo = nullptr;
    QLineEdit* EditInfo = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QMenu* PopList = nullptr;
    QAction* BtnDelete = nullptr;
    QAction* BtnDeleteAll = nullptr;
    QMenu* PopSave = nullptr;
    QAction* ChkJPG = nullptr;
    QAction* ChkPNG = nullptr;
    QAction* ChkGIF = nullptr;
    QAction* ChkWEBP = nullptr;
    QAction* ChkTIFF = nullptr;

    // Resolved output folder of the current run.
    QString SavePath;
    // Target format name of the next run; the stored default until loading reads another, so that a
    // stored format of the wrong kind leaves a format to convert to.
    QString SaveFormat = QStringLiteral("JPG");
    // The command line asked for an unattended run.
    bool AutoMode = false;
    // Receives files dropped on the list; interactive mode only, until the window closes.
    std::unique_ptr<TDragFile> DragFile;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateHeader();
    QAbstractButton* CreateHeaderButton(TStyledToolBar* head, const QString& name,
                                        const QString& caption);
    void CreateHomePage();
    QAbstractButton* CreateStartButton();
    void CreateSettingsPage();
    void CreateOutputGroup();
    void CreateOptionGroup();
    void CreateMenus();
    void ConnectHandlers();
    // Translated captions may be longer than the places allow.
    void FitCaptions();
    void CenterOnScreen();

    void FormCreate(const QStringList& arguments);
    void StartAutoMode(const QStringList& arguments);
    bool FormCloseQuery() const;
    void FormClose();
    void UpdateComplete(bool updateTaken);
    void ShowStartCaption();
    QString StartCaptionFor(const QString& source) const;
    bool IsSavePathUsable() const;
    void ShowSavePathError();
    void LockWindow();

    std::array<QRadioButton*, 5> FFormatButtons{};
    TFolderChooser FFolderChooser;
    TFileListModel* FFiles = nullptr;
    QString FToolFolder;
    QString FUpdateUrl;
};
