#include "ui/list/ScheduleListModel.h"

#include "ui/calendar/CalendarLayout.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

const QColor kOverdueColor(255, 0, 0);
const QColor kSoonColor(0, 0, 255);

QString DaysFromToday(const QString& dateText, const QDate& today) {
    const QDate date = calendar::ParseDateText(dateText);
    return date.isValid() ? QString::number(today.daysTo(date)) : QString();
}

bool SameLine(const ScheduleListModel::Line& a, const ScheduleListModel::Line& b) {
    const ScheduleRow& x = a.entry;
    const ScheduleRow& y = b.entry;
    return x.seq == y.seq && x.wdate == y.wdate && x.owner == y.owner && x.title == y.title && x.details == y.details &&
           x.sdate == y.sdate && x.edate == y.edate && x.finished == y.finished && x.category == y.category &&
           a.sdays == b.sdays && a.edays == b.edays && a.color == b.color;
}

} // namespace

ScheduleListModel::ScheduleListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ScheduleListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

int ScheduleListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QString ScheduleListModel::StoredText(int row, int column) const {
    if (row < 0 || row >= rowCount())
        return {};
    const Line& line = m_lines[static_cast<std::size_t>(row)];
    const ScheduleRow& e = line.entry;
    switch (column) {
    case kFinished:
        return e.finished;
    case kCategory:
        return e.category;
    case kTitle:
        return e.title;
    case kDetails:
        return e.details;
    case kSdate:
        return e.sdate;
    case kSdays:
        return line.sdays;
    case kEdate:
        return e.edate;
    case kEdays:
        return line.edays;
    case kWdate:
        return e.wdate;
    case kSeq:
        return e.seq;
    default:
        return {};
    }
}

QColor ScheduleListModel::RowColor(int row) const {
    return row >= 0 && row < rowCount() ? m_lines[static_cast<std::size_t>(row)].color : QColor();
}

QVariant ScheduleListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        QString text = StoredText(index.row(), index.column());
        // The finished column reads 0 or 1 for the toggle; the eye gets a check mark.
        if (index.column() == kFinished) {
            if (text == u"1"_s)
                return u"✔"_s;
            if (text == u"0"_s)
                return QString();
        }
        text.remove(u'\r');
        return text;
    }
    case StoredTextRole:
        return StoredText(index.row(), index.column());
    case Qt::ForegroundRole: {
        const QColor color = RowColor(index.row());
        return color.isValid() ? QVariant(color) : QVariant();
    }
    default:
        return {};
    }
}

QVariant ScheduleListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const QStringList headers{u"완료"_s,     u"구분"_s,     u"제목"_s,     u"내용"_s,   u"작업시작"_s,
                                     u"시작(일)"_s, u"완료예정"_s, u"남은(일)"_s, u"작성일"_s, u"seq"_s};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headers.size())
        return headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

QColor ScheduleListModel::RowColorOf(const QString& finished, const QString& sdate, const QString& sdays,
                                     const QString& edays) {
    if (finished.trimmed().toInt() == 1)
        return {};
    if (!edays.isEmpty() && edays.toInt() < 0)
        return kOverdueColor;
    // A start date that is not a date gives no day count and so no colour.
    if (!sdays.isEmpty() && sdays.toInt() <= 7 && !sdate.isEmpty())
        return kSoonColor;
    return {};
}

ScheduleListModel::Line ScheduleListModel::MakeLine(ScheduleRow entry, const QDate& today) {
    Line line;
    line.sdays = DaysFromToday(entry.sdate, today);
    line.edays = DaysFromToday(entry.edate, today);
    line.color = RowColorOf(entry.finished, entry.sdate, line.sdays, line.edays);
    line.entry = std::move(entry);
    return line;
}

void ScheduleListModel::Reset(std::vector<ScheduleRow> rows, const QDate& today) {
    beginResetModel();
    m_lines.clear();
    m_lines.reserve(rows.size());
    for (ScheduleRow& row : rows)
        m_lines.push_back(MakeLine(std::move(row), today));
    endResetModel();
}

void ScheduleListModel::Clear() {
    if (m_lines.empty())
        return;
    beginResetModel();
    m_lines.clear();
    endResetModel();
}

void ScheduleListModel::Rebuild(std::vector<ScheduleRow> rows, const QDate& today) {
    std::vector<Line> next;
    next.reserve(rows.size());
    QSet<QString> nextSeqs;
    nextSeqs.reserve(static_cast<qsizetype>(rows.size()));
    for (ScheduleRow& row : rows) {
        nextSeqs.insert(row.seq);
        next.push_back(MakeLine(std::move(row), today));
    }

    // Gone entries first, a run of neighbours at a time, from the bottom up.
    for (int r = rowCount() - 1; r >= 0; --r) {
        if (nextSeqs.contains(m_lines[static_cast<std::size_t>(r)].entry.seq))
            continue;
        const int last = r;
        while (r > 0 && !nextSeqs.contains(m_lines[static_cast<std::size_t>(r - 1)].entry.seq))
            --r;
        beginRemoveRows({}, r, last);
        m_lines.erase(m_lines.begin() + r, m_lines.begin() + last + 1);
        endRemoveRows();
    }

    // Every remaining row is in next; walk next and make row i hold next[i].
    QSet<QString> oldSeqs;
    oldSeqs.reserve(rowCount());
    for (const Line& line : m_lines)
        oldSeqs.insert(line.entry.seq);
    const int count = static_cast<int>(next.size());
    for (int i = 0; i < count; ++i) {
        Line& wanted = next[static_cast<std::size_t>(i)];
        if (i < rowCount() && m_lines[static_cast<std::size_t>(i)].entry.seq == wanted.entry.seq) {
            if (!SameLine(m_lines[static_cast<std::size_t>(i)], wanted)) {
                m_lines[static_cast<std::size_t>(i)] = std::move(wanted);
                emit dataChanged(index(i, 0), index(i, kColumns - 1));
            }
            continue;
        }
        if (!oldSeqs.contains(wanted.entry.seq)) {
            // New entries, as one run of rows.
            int end = i + 1;
            while (end < count && !oldSeqs.contains(next[static_cast<std::size_t>(end)].entry.seq))
                ++end;
            beginInsertRows({}, i, end - 1);
            m_lines.insert(m_lines.begin() + i, std::make_move_iterator(next.begin() + i),
                           std::make_move_iterator(next.begin() + end));
            endInsertRows();
            i = end - 1;
            continue;
        }
        // An entry that moved (its dates changed): it is further down.
        int from = i + 1;
        while (from < rowCount() && m_lines[static_cast<std::size_t>(from)].entry.seq != wanted.entry.seq)
            ++from;
        beginMoveRows({}, from, from, {}, i);
        m_lines.erase(m_lines.begin() + from);
        m_lines.insert(m_lines.begin() + i, std::move(wanted));
        endMoveRows();
        emit dataChanged(index(i, 0), index(i, kColumns - 1));
    }
}

void ScheduleListModel::SetFinished(int row, const QString& state) {
    if (row < 0 || row >= rowCount())
        return;
    Line& line = m_lines[static_cast<std::size_t>(row)];
    line.entry.finished = state;
    // Kept true to the new state: a finished entry is never red.
    line.color = RowColorOf(line.entry.finished, line.entry.sdate, line.sdays, line.edays);
    emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

int ScheduleListModel::RowOfSeq(const QString& seq) const {
    const auto it =
        std::find_if(m_lines.begin(), m_lines.end(), [&seq](const Line& line) { return line.entry.seq == seq; });
    return it == m_lines.end() ? -1 : static_cast<int>(it - m_lines.begin());
}

} // namespace worktide
