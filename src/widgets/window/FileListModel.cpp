#include "window/FileListModel.h"

#include "i18n/Translate.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
QString StatusText(TRowStatus status)
{
    switch (status) {
    case TRowStatus::Ready:
        return TranslateText(u"준비"_s);
    case TRowStatus::Converting:
        return TranslateText(u"변환"_s);
    case TRowStatus::Succeeded:
        return TranslateText(u"성공"_s);
    case TRowStatus::Failed:
        return TranslateText(u"실패"_s);
    }
    return {};
}
} // namespace

TFileListModel::TFileListModel(QObject* parent)
    : QAbstractTableModel(parent), FHeaders({u"파일이름"_s, u"타입"_s, u"상태"_s})
{}

TFileListModel::~TFileListModel() = default;

QStringList TFileListModel::StatusTexts()
{
    QStringList texts;
    for (const TRowStatus status :
         {TRowStatus::Ready, TRowStatus::Converting, TRowStatus::Succeeded, TRowStatus::Failed})
        texts << StatusText(status);
    return texts;
}

int TFileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(FRows.size());
}

int TFileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TFileRow& row = FRows[index.row()];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case ColumnTitle:
            return row.Info->Title;
        case ColumnFormat:
            return row.Info->Format;
        case ColumnStatus:
            return StatusText(row.Status);
        }
    }
    if (role == Qt::ToolTipRole && index.column() == ColumnStatus && !row.Reason.isEmpty())
        return row.Reason;
    return {};
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= FHeaders.size())
        return {};
    return FHeaders.at(section);
}

bool TFileListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                   int role)
{
    if (orientation != Qt::Horizontal || (role != Qt::EditRole && role != Qt::DisplayRole) ||
        section < 0 || section >= FHeaders.size())
        return false;
    FHeaders[section] = value.toString();
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}

bool TFileListModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || count < 1 || row + count > rowCount())
        return false;
    beginRemoveRows({}, row, row + count - 1);
    const auto first = FRows.begin() + row;
    const auto last = first + count;
    for (auto at = first; at != last; ++at)
        FFileNames.remove(at->Info->FileName);
    FRows.erase(first, last);
    endRemoveRows();
    return true;
}

bool TFileListModel::Contains(const QString& fileName) const
{
    return FFileNames.contains(fileName);
}

void TFileListModel::Append(TFileInfo info)
{
    // One hash of the path both tests and records it.
    const qsizetype listed = FFileNames.size();
    FFileNames.insert(info.FileName);
    if (FFileNames.size() == listed)
        return;
    info.Format = *FFormats.insert(info.Format);
    const int row = rowCount();
    beginInsertRows({}, row, row);
    FRows.push_back({std::make_unique<TFileInfo>(std::move(info)), TRowStatus::Ready, {}});
    endInsertRows();
}

const TFileInfo& TFileListModel::Info(int row) const
{
    return *FRows.at(row).Info;
}

TRowStatus TFileListModel::Status(int row) const
{
    return FRows.at(row).Status;
}

void TFileListModel::SetStatus(int row, TRowStatus status, const QString& reason)
{
    TFileRow& target = FRows.at(row);
    target.Status = status;
    target.Reason = reason;
    const QModelIndex cell = index(row, ColumnStatus);
    Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole, Qt::ToolTipRole});
}

void TFileListModel::RemoveRowsAt(QList<int> rows)
{
    std::ranges::sort(rows, std::greater<>());
    const auto end = std::unique(rows.begin(), rows.end());
    for (auto at = rows.begin(); at != end;) {
        // Rows are descending: extend the run while the next one is its lower neighbour.
        auto runEnd = std::next(at);
        while (runEnd != end && *runEnd == *std::prev(runEnd) - 1)
            ++runEnd;
        const int first = *std::prev(runEnd);
        removeRows(first, *at - first + 1);
        at = runEnd;
    }
}

void TFileListModel::Clear()
{
    beginResetModel();
    FRows.clear();
    FFileNames.clear();
    endResetModel();
}
