#include "notice/UpdateDialog.h"

#include "desktop/ShellOpen.h"
#include "i18n/Translate.h"
#include "update/ReplyText.h"
#include "update/UpdateService.h"
#include "update/UpdateText.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// Distances of the extra row, in logical pixels at 96 dpi, before the layout offset.
constexpr int ExtraHeight = 40;
constexpr int ElementIndent = 10;
constexpr int ElementBelowSeparator = 10;
const QColor SeparatorColor(204, 204, 204);
const QColor NoteColor(0, 0, 255);

struct TUpdateInfo
{
    QString Style;
    QString Text;
    QString Flag;
    QString Url;
};

TUpdateInfo ReadUpdateInfo(const QString& reply)
{
    const QString info = ExtractBetween(reply, u"\"info\":{"_s, u"}"_s);
    TUpdateInfo result{ReplyValue(info, u"style"_s), ReplyValue(info, u"text"_s),
                       ReplyValue(info, u"flag"_s), ReplyValue(info, u"url"_s)};
    if (!IsWebAddress(result.Url))
        result.Url.clear();
    return result;
}

// Sentences are separated by CR CR, which a label would not break on.
QString DisplayedMessage()
{
    return UpdateText(TUpdateTextKind::Message).replace(u'\r', u'\n');
}

class TNoteLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

Q_SIGNALS:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QLabel::mouseReleaseEvent(event);
        if (rect().contains(event->position().toPoint()))
            Q_EMIT Clicked();
    }
};

// Keeps the separator across the dialog's full width at the top of the extra row, and the
// extra element indented below it, whatever size the message box settles on.
class TExtraRowPlacer : public QObject
{
public:
    TExtraRowPlacer(QWidget* dialog, int rowHeight, QWidget* separator, QWidget* element)
        : QObject(dialog), FRowHeight(rowHeight), FSeparator(separator), FElement(element)
    {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
            Place(static_cast<QWidget*>(watched)->size());
        return false;
    }

private:
    void Place(QSize dialogSize)
    {
        const int rowTop = dialogSize.height() - FRowHeight;
        FSeparator->setGeometry(0, rowTop, dialogSize.width(), 1);
        if (FElement)
            FElement->setGeometry(ElementIndent, rowTop + ElementBelowSeparator,
                                  dialogSize.width() - ElementIndent,
                                  FElement->sizeHint().height());
    }

    int FRowHeight;
    QWidget* FSeparator;
    QWidget* FElement;
};

QWidget* CreateSeparator(QWidget* dialog)
{
    auto* separator = new QWidget(dialog);
    separator->setObjectName(u"ShpSeparator"_s);
    separator->setAutoFillBackground(true);
    QPalette palette = separator->palette();
    palette.setColor(QPalette::Window, SeparatorColor);
    separator->setPalette(palette);
    return separator;
}

QCheckBox* CreateHoldBox(QWidget* dialog, const QString& caption)
{
    auto* holdBox = new QCheckBox(caption, dialog);
    holdBox->setObjectName(u"ChkHold"_s);
    return holdBox;
}

QLabel* CreateNoteLink(QWidget* dialog, const QString& caption, const QString& url)
{
    auto* note = new TNoteLabel(dialog);
    note->setObjectName(u"LblNote"_s);
    note->setTextFormat(Qt::PlainText);
    note->setText(caption);
    note->setToolTip(url);
    note->setCursor(Qt::PointingHandCursor);
    QFont font = note->font();
    font.setUnderline(true);
    note->setFont(font);
    QPalette palette = note->palette();
    palette.setColor(QPalette::WindowText, NoteColor);
    note->setPalette(palette);
    QObject::connect(note, &TNoteLabel::Clicked, note, [note] { TFormHelper::OpenURL(note); });
    return note;
}

// Makes room below the buttons and fills it according to the style; returns the hold box when
// the style asks for one.
QCheckBox* AddExtraRow(QMessageBox& box, const TUpdateInfo& info)
{
    const int rowHeight = ExtraHeight - LayoutOffset();
    QLayout* layout = box.layout();
    QMargins margins = layout->contentsMargins();
    margins.setBottom(margins.bottom() + rowHeight);
    layout->setContentsMargins(margins);

    QCheckBox* holdBox = nullptr;
    QWidget* element = nullptr;
    if (info.Style == u"hold"_s)
        element = holdBox = CreateHoldBox(&box, info.Text);
    else if (info.Style == u"note"_s)
        element = CreateNoteLink(&box, info.Text, info.Url);
    new TExtraRowPlacer(&box, rowHeight, CreateSeparator(&box), element);
    return holdBox;
}

void StyleDialog(QMessageBox& box, const TUpdateInfo& info)
{
    box.setObjectName(u"UpdateDialog"_s);
    box.setWindowTitle(TranslateText(QGuiApplication::applicationDisplayName()));
    box.setTextFormat(Qt::PlainText);
    box.setText(DisplayedMessage());
    box.setAutoFillBackground(true);
    QPalette palette = box.palette();
    palette.setColor(QPalette::Window, Qt::white);
    box.setPalette(palette);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, info.Flag.contains(u"stayontop"_s));
    box.button(QMessageBox::Yes)->setText(UpdateText(TUpdateTextKind::YesButton));
    box.button(QMessageBox::No)->setText(UpdateText(TUpdateTextKind::NoButton));
}

} // namespace

bool UpdateDialog(const QString& reply)
{
    const TUpdateInfo info = ReadUpdateInfo(reply);
    QMessageBox box(QMessageBox::Warning, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
    StyleDialog(box, info);
    QCheckBox* holdBox = info.Style.isEmpty() ? nullptr : AddExtraRow(box, info);
    box.exec();
    const bool isAccepted = box.clickedButton() == box.button(QMessageBox::Yes);
    if (holdBox && holdBox->isChecked())
        SendHoldRequest();
    return isAccepted;
}

void TFormHelper::OpenURL(const QWidget* sender)
{
    const QString target = sender->toolTip();
    if (!target.isEmpty())
        ShellOpen(target);
}

#include "UpdateDialog.moc"
