#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// The in-memory, all-text result of a query. It owns every value and stays valid
// after the connection has moved on. Every value is text; NULL reads as "".
namespace worktide {

class Recordset {
public:
    struct Field {
        QString name;           // bare name, or table + "." + name when the result repeats it
        qint64 definedSize = 0; // declared length the server reports
    };

    enum State { adStateClosed = 0, adStateOpen = 1 };

    Recordset() = default;

    // --- the operations callers use ---
    bool isEOF() const { return m_state != adStateOpen || m_current >= m_rows; }
    void MoveNext();
    void MoveFirst();
    // Value of the current record by field name (letter case does not matter) or
    // 0-based position. Raises VbError 3265 for an unknown field and 3021 at EOF.
    const QString& Value(const QString& name) const;
    const QString& Value(int index) const;
    int RecordCount() const { return m_state == adStateOpen ? m_rows : 0; }
    int State() const { return m_state; }
    void Close();

    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    const Field& FieldAt(int index) const { return m_fields.at(index); }
    int FieldIndex(const QString& name) const; // -1 when absent
    // A hash of the field count and every value in order (the cursor stays where it is):
    // two results with equal hashes hold, all but certainly, the same rows.
    size_t ValuesHash() const;

    // --- building (used by the connection class) ---
    void AppendField(const QString& name, qint64 definedSize);
    void Open();
    // Reserve room for rows × FieldCount() values.
    void Reserve(int rows);
    // Appends one record; values must hold FieldCount() texts.
    void AddRecord(QStringList values);
    // Appends one empty record and returns a pointer to its FieldCount() values.
    QString* AddRecord();

private:
    void CheckCurrent() const;

    QList<Field> m_fields;
    QList<QString> m_values; // row-major
    int m_rows = 0;
    int m_current = 0;
    int m_state = adStateClosed;
};

using RecordsetPtr = std::shared_ptr<Recordset>;

// Closes rs when it is open and releases it (rs becomes empty).
void CloseRecordset(RecordsetPtr& rs);

} // namespace worktide
