#include "db/Recordset.h"

#include "support/VbError.h"

#include <QHashFunctions>

namespace worktide {
namespace {
const QString kSource = QStringLiteral("ADODB.Recordset");
}

void Recordset::MoveNext() {
    if (m_state != adStateOpen || m_current >= m_rows)
        throw VbError(3021, kSource,
                      QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                     "Requested operation requires a current record."));
    ++m_current;
}

void Recordset::MoveFirst() {
    if (m_state != adStateOpen)
        throw VbError(3704, kSource, QStringLiteral("Operation is not allowed when the object is closed."));
    m_current = 0;
}

int Recordset::FieldIndex(const QString& name) const {
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void Recordset::CheckCurrent() const {
    if (m_state != adStateOpen)
        throw VbError(3704, kSource, QStringLiteral("Operation is not allowed when the object is closed."));
    if (m_current >= m_rows)
        throw VbError(3021, kSource,
                      QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                     "Requested operation requires a current record."));
}

const QString& Recordset::Value(const QString& name) const {
    const int index = FieldIndex(name);
    if (index < 0)
        throw VbError(3265, kSource,
                      QStringLiteral("Item cannot be found in the collection corresponding to the requested name "
                                     "or ordinal."));
    return Value(index);
}

const QString& Recordset::Value(int index) const {
    if (index < 0 || index >= m_fields.size())
        throw VbError(3265, kSource,
                      QStringLiteral("Item cannot be found in the collection corresponding to the requested name "
                                     "or ordinal."));
    CheckCurrent();
    return m_values[qsizetype(m_current) * m_fields.size() + index];
}

void Recordset::Close() {
    if (m_state != adStateOpen)
        throw VbError(3704, kSource, QStringLiteral("Operation is not allowed when the object is closed."));
    m_values.clear();
    m_rows = 0;
    m_current = 0;
    m_state = adStateClosed;
}

void Recordset::AppendField(const QString& name, qint64 definedSize) {
    m_fields.append({name, definedSize});
}

void Recordset::Open() {
    m_state = adStateOpen;
    m_current = 0;
}

void Recordset::Reserve(int rows) {
    m_values.reserve(qsizetype(rows) * m_fields.size());
}

void Recordset::AddRecord(QStringList values) {
    values.resize(m_fields.size());
    m_values.append(std::move(values));
    ++m_rows;
}

QString* Recordset::AddRecord() {
    const qsizetype start = m_values.size();
    m_values.resize(start + m_fields.size());
    ++m_rows;
    return m_values.data() + start;
}

size_t Recordset::ValuesHash() const {
    return qHashRange(m_values.cbegin(), m_values.cend(), static_cast<size_t>(m_fields.size()));
}

void CloseRecordset(RecordsetPtr& rs) {
    if (rs && rs->State() == Recordset::adStateOpen)
        rs->Close();
    rs.reset();
}

} // namespace worktide
