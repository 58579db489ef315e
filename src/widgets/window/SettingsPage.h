#pragma once

#include "config/ConvertOptions.h"
#include "config/StoredOptions.h"

#include <QString>
#include <QWidget>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;
class TSpinEdit;

enum class TPersist
{
    No,
    Yes
};

// The options page (card PnlSetting): the output folder, the target format, the width, the
// quality, how many files a run converts at once, and what outputs keep of their sources (photo
// information, dates, folders), each stored the moment it changes, and the version line. The
// controls hold the
// options; the target format is held here too, because the command line may replace it without
// showing or storing it. Main thread.
class TSettingsPage : public QWidget
{
    Q_OBJECT

public:
    // Chooses a folder starting at `folder`; true and the choice in `folder` when confirmed.
    using TFolderChooser = std::function<bool(QString& folder)>;

    explicit TSettingsPage(QWidget* parent);

    // In place of the desktop's folder dialog.
    void SetFolderChooser(TFolderChooser chooser);

    // Reads every option into the controls; a stored value of the wrong kind ends it with
    // TConfigError, leaving the controls not yet set as they are.
    void LoadSettings();
    // Captions that translation made longer take the free room beside them.
    void FitCaptions();
    void ShowVersion();
    QString SaveFormat() const { return FSaveFormat; }
    // A format chosen by the user, on this page or in the start button's menu: shown and stored.
    void ChooseFormat(const QString& format);
    // The command line's format: used until the program ends, neither shown on the format
    // buttons nor stored.
    void ReplaceFormat(const QString& format);
    // The options as the controls hold them; OutputFolder is the chosen folder when that choice
    // is on, else empty.
    TConvertOptions ConvertOptions() const;
    // How many files a run converts at once: 1 to the number of processor cores.
    int Jobs() const;

Q_SIGNALS:
    void FormatChanged(const QString& format);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateOutputGroup();
    void CreateOptionGroup();
    void CreateFileGroup();
    void CreateInfoPanel();
    void ConnectHandlers();

    void ApplyStored(TOption option, const QVariant& value);
    void SetSaveFormat(TPersist persist);
    void ChkPath_1Click(int choice);
    void ChkWidthClick();
    void EditWidthChange();
    void EditQualityChange();
    void EditJobsChange();
    void ChkStripClick();
    void ChkKeepDatesClick();
    void ChkKeepTreeClick();
    void BtnSaveDirClick();
    void EditInfoClick();

    QGroupBox* GrpOutput = nullptr;
    QRadioButton* ChkPath_1 = nullptr;
    QRadioButton* ChkPath_2 = nullptr;
    QToolButton* BtnSaveDir = nullptr;
    QGroupBox* GrpOption = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* LblResize = nullptr;
    QCheckBox* ChkWidth = nullptr;
    TSpinEdit* EditWidth = nullptr;
    QLabel* LblQuality = nullptr;
    TSpinEdit* EditQuality = nullptr;
    QLabel* LblJobs = nullptr;
    TSpinEdit* EditJobs = nullptr;
    QGroupBox* GrpFile = nullptr;
    QCheckBox* ChkStrip = nullptr;
    QCheckBox* ChkKeepDates = nullptr;
    QCheckBox* ChkKeepTree = nullptr;
    QWidget* PnlInfo = nullptr;
    QLineEdit* EditInfo = nullptr;
    // ChkPath_1 and ChkPath_2 under the "save" values they store; the format buttons under their
    // places in TargetFormats.
    QButtonGroup* FOutputChoice = nullptr;
    QButtonGroup* FFormatChoice = nullptr;

    TFolderChooser FFolderChooser;
    // The stored default until loading reads another, so that a stored format of the wrong kind
    // leaves a format to convert to.
    QString FSaveFormat = OptionDefault(TOption::Format).toString();
};
