#pragma once

#include "db/modSchedule.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QDate>

#include <vector>

// The rows of the search list as values: one ScheduleRow per entry, with the day counts
// and the colour worked out once when the rows arrive. Nothing is built per cell.
namespace worktide {

class ScheduleListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kFinished, kCategory, kTitle, kDetails, kSdate, kSdays, kEdate, kEdays, kWdate, kSeq, kColumns };
    // The text as stored (CR LF kept, "0"/"1" in the finished column); DisplayRole is what
    // the grid shows.
    static constexpr int StoredTextRole = Qt::UserRole + 1;

    struct Line {
        ScheduleRow entry;
        QString sdays; // days from today to the start, "" when the start is no date
        QString edays;
        QColor color; // invalid = the view's default
    };

    explicit ScheduleListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Replaces every row (a refresh the user asked for).
    void Reset(std::vector<ScheduleRow> rows, const QDate& today);
    // Brings the rows to these by seq: gone entries are removed, new ones inserted, moved
    // ones moved and changed ones announced, so views keep their selection and the row
    // under the pointer. No reset.
    void Rebuild(std::vector<ScheduleRow> rows, const QDate& today);
    void Clear();
    // The entry of row took this finished state; its colour follows.
    void SetFinished(int row, const QString& state);

    const std::vector<Line>& Lines() const { return m_lines; }
    // 0-based row and column; "" out of range.
    QString StoredText(int row, int column) const;
    QColor RowColor(int row) const;
    // -1 when no row holds the entry.
    int RowOfSeq(const QString& seq) const;

    // The colour of a row from its texts (invalid = default): finished rows never have
    // one, overdue ones are red, those starting within a week blue.
    static QColor RowColorOf(const QString& finished, const QString& sdate, const QString& sdays, const QString& edays);

private:
    static Line MakeLine(ScheduleRow entry, const QDate& today);
    std::vector<Line> m_lines;
};

} // namespace worktide
