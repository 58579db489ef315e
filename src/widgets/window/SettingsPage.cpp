#include "window/SettingsPage.h"

#include "base/Version.h"
#include "config/StoredOptions.h"
#include "controls/SpinEdit.h"
#include "desktop/FolderDialog.h"
#include "i18n/Translate.h"
#include "window/TargetFormats.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {
constexpr int CaptionGap = 2;
constexpr int GroupGap = 6;
// The "save" values of the two output choices.
constexpr int BesideTheSource = 1;
constexpr int ChosenFolder = 2;

template <typename TWidget>
TWidget* CreatePlaced(QWidget* parent, const QString& name, const QRect& place)
{
    auto* widget = new TWidget(parent);
    widget->setObjectName(name);
    widget->setGeometry(place);
    return widget;
}

void BoundAsOption(TSpinEdit* edit, TOption option)
{
    const TOptionBounds bounds = *OptionBounds(option);
    edit->SetBounds(bounds.Min, bounds.Max);
}

// A caption that the control's width cannot hold takes the free room up to `rightLimit`.
void WidenToCaption(QWidget* control, int rightLimit)
{
    const int wanted = std::min(control->sizeHint().width(), rightLimit - control->x());
    if (wanted > control->width())
        control->resize(wanted, control->height());
}
} // namespace

TSettingsPage::TSettingsPage(QWidget* parent)
    : QWidget(parent),
      FFolderChooser([this](QString& folder) { return SelectFolder(folder, window()); })
{
    setObjectName(u"PnlSetting"_s);
    CreateOutputGroup();
    CreateOptionGroup();
    CreateFileGroup();
    CreateInfoPanel();
    ConnectHandlers();

    auto* settingBox = new QVBoxLayout(this);
    settingBox->setContentsMargins(0, 0, 0, 0);
    settingBox->addStretch(1);
    settingBox->addWidget(PnlInfo);
}

void TSettingsPage::CreateOutputGroup()
{
    GrpOutput = CreatePlaced<QGroupBox>(this, u"GrpOutput"_s, QRect(8, 6, 413, 83));
    GrpOutput->setTitle(u"저장경로"_s);
    ChkPath_1 = CreatePlaced<QRadioButton>(GrpOutput, u"ChkPath_1"_s, QRect(17, 24, 118, 17));
    ChkPath_1->setText(u"원본 파일 폴더"_s);
    ChkPath_2 = CreatePlaced<QRadioButton>(GrpOutput, u"ChkPath_2"_s, QRect(17, 48, 336, 17));
    BtnSaveDir = CreatePlaced<QToolButton>(GrpOutput, u"BtnSaveDir"_s, QRect(376, 46, 20, 21));
    BtnSaveDir->setText(u"…"_s);
    BtnSaveDir->setAutoRaise(true);

    FOutputChoice = new QButtonGroup(this);
    FOutputChoice->addButton(ChkPath_1, BesideTheSource);
    FOutputChoice->addButton(ChkPath_2, ChosenFolder);
}

void TSettingsPage::CreateOptionGroup()
{
    GrpOption = CreatePlaced<QGroupBox>(this, u"GrpOption"_s, QRect(8, 95, 413, 171));
    GrpOption->setTitle(u"변환옵션"_s);

    Label1 = CreatePlaced<QLabel>(GrpOption, u"Label1"_s, QRect(16, 37, 56, 13));
    Label1->setText(u"저장형식 :"_s);
    const std::array<QRect, 5> formatPlaces = {QRect(80, 36, 52, 17), QRect(134, 36, 43, 17),
                                               QRect(188, 36, 43, 17), QRect(242, 36, 52, 17),
                                               QRect(301, 36, 52, 17)};
    FFormatChoice = new QButtonGroup(this);
    for (int index = 0; index < int(formatPlaces.size()); ++index) {
        const QString& format = TargetFormats.at(index);
        auto* button =
            CreatePlaced<QRadioButton>(GrpOption, u"Btn"_s + format, formatPlaces[index]);
        button->setText(format);
        FFormatChoice->addButton(button, index);
    }

    LblResize = CreatePlaced<QLabel>(GrpOption, u"LblResize"_s, QRect(16, 69, 56, 13));
    LblResize->setText(u"크기조정 :"_s);
    ChkWidth = CreatePlaced<QCheckBox>(GrpOption, u"ChkWidth"_s, QRect(80, 68, 70, 17));
    ChkWidth->setText(u"너비(px)"_s);
    ChkWidth->setFocusPolicy(Qt::ClickFocus);
    EditWidth = CreatePlaced<TSpinEdit>(GrpOption, u"EditWidth"_s, QRect(154, 66, 65, 24));
    // Any width may be typed here: the spin edit takes every integer.
    EditWidth->SetValue(OptionDefault(TOption::Width).toInt());
    EditWidth->setEnabled(false);
    EditWidth->setFocusPolicy(Qt::ClickFocus);

    LblQuality = CreatePlaced<QLabel>(GrpOption, u"LblQuality"_s, QRect(16, 104, 56, 13));
    LblQuality->setText(u"품질조정 :"_s);
    EditQuality = CreatePlaced<TSpinEdit>(GrpOption, u"EditQuality"_s, QRect(80, 101, 54, 24));
    BoundAsOption(EditQuality, TOption::Quality);
    EditQuality->SetValue(OptionDefault(TOption::Quality).toInt());
    EditQuality->setToolTip(u"손실 압축시 적용"_s);
    EditQuality->setFocusPolicy(Qt::ClickFocus);

    LblJobs = CreatePlaced<QLabel>(GrpOption, u"LblJobs"_s, QRect(16, 137, 56, 13));
    LblJobs->setText(u"동시 변환 :"_s);
    EditJobs = CreatePlaced<TSpinEdit>(GrpOption, u"EditJobs"_s, QRect(80, 134, 54, 24));
    BoundAsOption(EditJobs, TOption::Jobs);
    // Nothing chosen: one per processor core.
    EditJobs->SetValue(DefaultJobCount());
    EditJobs->setFocusPolicy(Qt::ClickFocus);
}

// Below the conversion options, wherever they end.
void TSettingsPage::CreateFileGroup()
{
    const int top = GrpOption->y() + GrpOption->height() + GroupGap;
    GrpFile = CreatePlaced<QGroupBox>(this, u"GrpFile"_s, QRect(8, top, 413, 96));
    GrpFile->setTitle(u"파일옵션"_s);
    ChkStrip = CreatePlaced<QCheckBox>(GrpFile, u"ChkStrip"_s, QRect(17, 24, 200, 17));
    ChkStrip->setText(u"사진 정보 제거"_s);
    ChkStrip->setToolTip(TranslateText(
        u"촬영 날짜, 카메라, 위치(EXIF, XMP, GPS)와 주석을 저장하지 않습니다. 색상 프로필은 "
        u"유지됩니다."_s));
    ChkKeepDates = CreatePlaced<QCheckBox>(GrpFile, u"ChkKeepDates"_s, QRect(17, 48, 200, 17));
    ChkKeepDates->setText(u"파일 날짜 유지"_s);
    ChkKeepDates->setToolTip(
        TranslateText(u"각 출력 파일에 원본 파일의 수정 날짜를 적용합니다."_s));
    ChkKeepTree = CreatePlaced<QCheckBox>(GrpFile, u"ChkKeepTree"_s, QRect(17, 72, 200, 17));
    ChkKeepTree->setText(u"폴더 구조 유지"_s);
    ChkKeepTree->setToolTip(
        TranslateText(u"선택한 폴더에 저장할 때, 추가한 폴더와 그 하위 폴더를 그대로 만듭니다."_s));
}

void TSettingsPage::CreateInfoPanel()
{
    PnlInfo = new QWidget(this);
    PnlInfo->setObjectName(u"PnlInfo"_s);
    PnlInfo->setFixedHeight(41);
    EditInfo = CreatePlaced<QLineEdit>(PnlInfo, u"EditInfo"_s, QRect(15, 6, 170, 21));
    EditInfo->setFrame(false);
    EditInfo->setReadOnly(true);
    EditInfo->setFocusPolicy(Qt::ClickFocus);
    EditInfo->installEventFilter(this);
}

// Checking a box or radio button from code reacts as a click does; loading relies on it.
void TSettingsPage::ConnectHandlers()
{
    // The button stands for its format, whatever the desktop makes of its caption.
    connect(FFormatChoice, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked)
            ChooseFormat(TargetFormats.at(index));
    });
    connect(FOutputChoice, &QButtonGroup::idToggled, this, [this](int choice, bool checked) {
        if (checked)
            ChkPath_1Click(choice);
    });
    connect(ChkWidth, &QCheckBox::toggled, this, &TSettingsPage::ChkWidthClick);
    connect(EditWidth, &TSpinEdit::Change, this, &TSettingsPage::EditWidthChange);
    connect(EditQuality, &TSpinEdit::Change, this, &TSettingsPage::EditQualityChange);
    connect(EditJobs, &TSpinEdit::Change, this, &TSettingsPage::EditJobsChange);
    connect(BtnSaveDir, &QToolButton::clicked, this, &TSettingsPage::BtnSaveDirClick);
    connect(ChkStrip, &QCheckBox::toggled, this, &TSettingsPage::ChkStripClick);
    connect(ChkKeepDates, &QCheckBox::toggled, this, &TSettingsPage::ChkKeepDatesClick);
    connect(ChkKeepTree, &QCheckBox::toggled, this, &TSettingsPage::ChkKeepTreeClick);
}

void TSettingsPage::SetFolderChooser(TFolderChooser chooser)
{
    FFolderChooser = std::move(chooser);
}

void TSettingsPage::FitCaptions()
{
    WidenToCaption(ChkPath_1, BtnSaveDir->x() - CaptionGap);
    const QList<QAbstractButton*> formatButtons = FFormatChoice->buttons();
    for (qsizetype index = 0; index + 1 < formatButtons.size(); ++index)
        WidenToCaption(formatButtons[index], formatButtons[index + 1]->x() - CaptionGap);
    WidenToCaption(formatButtons.back(), GrpOption->contentsRect().right() - CaptionGap);
    WidenToCaption(ChkWidth, EditWidth->x() - CaptionGap);
    for (QLabel* label : {Label1, LblResize, LblQuality, LblJobs})
        WidenToCaption(label, formatButtons.front()->x() - CaptionGap);
    for (QCheckBox* check : {ChkStrip, ChkKeepDates, ChkKeepTree})
        WidenToCaption(check, GrpFile->contentsRect().right() - CaptionGap);
}

void TSettingsPage::ShowVersion()
{
    EditInfo->setText(TranslateText(u"버전"_s) + u": "_s + GetFileVersion("%d.%d.%d"));
}

bool TSettingsPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == EditInfo && event->type() == QEvent::MouseButtonRelease)
        EditInfoClick();
    return QWidget::eventFilter(watched, event);
}

void TSettingsPage::EditInfoClick()
{
    if (QWidget* focused = window()->focusWidget())
        focused->clearFocus();
}

void TSettingsPage::LoadSettings()
{
    ReadOptions([this](TOption option, const QVariant& value) { ApplyStored(option, value); });
    SetSaveFormat(TPersist::No);
}

void TSettingsPage::ApplyStored(TOption option, const QVariant& value)
{
    switch (option) {
    case TOption::Format:
        FSaveFormat = value.toString();
        break;
    case TOption::SavePath:
        ChkPath_2->setText(value.toString());
        break;
    case TOption::ResizeWidth:
        ChkWidth->setChecked(value.toBool());
        EditWidth->setEnabled(ChkWidth->isChecked());
        break;
    case TOption::Width:
        EditWidth->SetValue(value.toInt());
        break;
    case TOption::Quality:
        EditQuality->SetValue(value.toInt());
        break;
    case TOption::Save:
        FOutputChoice->button(value.toInt() == ChosenFolder ? ChosenFolder : BesideTheSource)
            ->setChecked(true);
        break;
    case TOption::Jobs:
        // Nothing chosen shows the default, and stays unchosen.
        EditJobs->SetValue(value.toInt() > 0 ? value.toInt() : DefaultJobCount());
        break;
    case TOption::Strip:
        ChkStrip->setChecked(value.toBool());
        break;
    case TOption::KeepDates:
        ChkKeepDates->setChecked(value.toBool());
        break;
    case TOption::KeepTree:
        ChkKeepTree->setChecked(value.toBool());
        break;
    }
}

void TSettingsPage::ChooseFormat(const QString& format)
{
    FSaveFormat = format;
    SetSaveFormat(TPersist::Yes);
}

void TSettingsPage::ReplaceFormat(const QString& format)
{
    FSaveFormat = format;
    Q_EMIT FormatChanged(FSaveFormat);
}

void TSettingsPage::SetSaveFormat(TPersist persist)
{
    Q_EMIT FormatChanged(FSaveFormat);
    if (const qsizetype index = TargetFormats.indexOf(FSaveFormat); index >= 0)
        FFormatChoice->button(int(index))->setChecked(true);
    if (persist == TPersist::Yes)
        WriteOption(TOption::Format, FSaveFormat);
}

void TSettingsPage::ChkPath_1Click(int choice)
{
    WriteOption(TOption::Save, choice);
}

void TSettingsPage::ChkWidthClick()
{
    WriteOption(TOption::ResizeWidth, ChkWidth->isChecked());
    EditWidth->setEnabled(ChkWidth->isChecked());
}

void TSettingsPage::EditWidthChange()
{
    WriteOption(TOption::Width, EditWidth->Value());
}

void TSettingsPage::EditQualityChange()
{
    WriteOption(TOption::Quality, EditQuality->Value());
}

void TSettingsPage::EditJobsChange()
{
    WriteOption(TOption::Jobs, EditJobs->Value());
}

void TSettingsPage::ChkStripClick()
{
    WriteOption(TOption::Strip, ChkStrip->isChecked());
}

void TSettingsPage::ChkKeepDatesClick()
{
    WriteOption(TOption::KeepDates, ChkKeepDates->isChecked());
}

void TSettingsPage::ChkKeepTreeClick()
{
    WriteOption(TOption::KeepTree, ChkKeepTree->isChecked());
}

void TSettingsPage::BtnSaveDirClick()
{
    QString folder = ChkPath_2->text();
    if (!FFolderChooser(folder))
        return;
    WriteOption(TOption::SavePath, folder);
    ChkPath_2->setText(folder);
}

TConvertOptions TSettingsPage::ConvertOptions() const
{
    TConvertOptions options;
    options.Format = FSaveFormat;
    options.OutputFolder = ChkPath_2->isChecked() ? ChkPath_2->text() : QString();
    options.ResizeWidth = ChkWidth->isChecked() ? TResizeWidth::On : TResizeWidth::Off;
    options.Width = EditWidth->Value();
    options.Quality = EditQuality->Value();
    options.PhotoInformation =
        ChkStrip->isChecked() ? TPhotoInformation::Remove : TPhotoInformation::Keep;
    options.FileDates = ChkKeepDates->isChecked() ? TFileDates::OfSource : TFileDates::OfConversion;
    options.FolderTree = ChkKeepTree->isChecked() ? TFolderTree::Kept : TFolderTree::Flat;
    return options;
}

// A number still being typed may lie outside the bounds.
int TSettingsPage::Jobs() const
{
    const TOptionBounds bounds = *OptionBounds(TOption::Jobs);
    return std::clamp(EditJobs->Value(), bounds.Min, bounds.Max);
}
