#pragma once

#include "input/FileList.h"

#include <QAbstractTableModel>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// Where a row stands in the runs; shown as a translated word, never held as one.
enum class TRowStatus
{
    Ready,
    Converting,
    Succeeded,
    Failed
};

// The rows of the window's file list: file name, type and status, in the order they were added,
// under column captions that the window's translation rewrites. Each row owns its record. A path
// is listed at most once, by exact text. Main thread.
class TFileListModel : public QAbstractTableModel, public TFileSink
{
    Q_OBJECT

public:
    enum TColumn
    {
        ColumnTitle,
        ColumnFormat,
        ColumnStatus,
        ColumnCount
    };

    explicit TFileListModel(QObject* parent = nullptr);
    ~TFileListModel() override;

    // Every text the status column can show, in the interface language.
    static QStringList StatusTexts();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // The status column shows the status in the interface language, with the reason of a failure
    // as its tool tip.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    bool Contains(const QString& fileName) const override;
    // A new last row, Ready; a path already listed is not added again.
    void Append(TFileInfo info) override;
    const TFileInfo& Info(int row) const;
    TRowStatus Status(int row) const;
    // `reason` becomes the status cell's tool tip; empty shows none.
    void SetStatus(int row, TRowStatus status, const QString& reason = {});
    // Removes the given rows, last to first, a run of neighbours at a time.
    void RemoveRowsAt(QList<int> rows);
    void Clear();

private:
    struct TFileRow
    {
        std::unique_ptr<TFileInfo> Info;
        TRowStatus Status = TRowStatus::Ready;
        QString Reason;
    };

    std::vector<TFileRow> FRows;
    QSet<QString> FFileNames;
    QStringList FHeaders;
    // One shared copy of each type name keeps rows small.
    QSet<QString> FFormats;
};
