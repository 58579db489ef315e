#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The record of one listed file.
struct TFileInfo
{
    // The path exactly as it was handed in: never normalised, made absolute or case-folded.
    QString FileName;
    // The file name without its folder.
    QString Title;
    // The detected type name; never empty.
    QString Format;
};

// The rows of the file list: caption, type and translated status, in the order they were added.
// Each row owns its record. A path is listed at most once, by exact text. Main thread.
class TFileListModel : public QAbstractTableModel
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

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    // Whether a row holds exactly this path text; case-sensitive.
    bool Contains(const QString& fileName) const;
    // A new last row showing the translated "Ready"; a path already listed is not added again.
    void Append(TFileInfo info);
    const TFileInfo& Info(int row) const;
    QString Status(int row) const;
    // `reason` becomes the status cell's tool tip; empty shows none.
    void SetStatus(int row, const QString& status, const QString& reason = {});
    // Removes the given rows, last to first, a run of neighbours at a time.
    void RemoveRowsAt(QList<int> rows);
    void Clear();

private:
    struct TFileRow
    {
        std::unique_ptr<TFileInfo> Info;
        QString Status;
        QString Reason;
    };

    std::vector<TFileRow> FRows;
    QSet<QString> FFileNames;
    QStringList FHeaders;
    // One shared copy of the translated "Ready" and of each type name keeps rows small.
    QString FReady;
    QSet<QString> FFormats;
};
