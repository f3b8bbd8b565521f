#pragma once

#include <QString>
#include <QStringView>

#include <memory>

// Collects UTF-16 text piece by piece in an over-allocated buffer that grows in
// whole chunks, so a long series of appends copies the held text only when the
// buffer grows. Sizes are kept in bytes (two per character), as the counters
// of the interface are 32-bit: a text that would not fit raises an overflow error.
namespace worktide {

class cStringBuilder {
public:
    cStringBuilder() = default;
    cStringBuilder(const cStringBuilder& other);
    cStringBuilder& operator=(const cStringBuilder& other);
    cStringBuilder(cStringBuilder&&) noexcept = default;
    cStringBuilder& operator=(cStringBuilder&&) noexcept = default;
    ~cStringBuilder() = default;

    // Characters held.
    int Length() const { return m_used / 2; }
    // Characters the buffer can hold before it grows.
    int Capacity() const { return m_capacity / 2; }
    // Growth step in characters (8192 on creation).
    int ChunkSize() const { return m_chunkSize / 2; }
    // Raises error 6 (overflow) when the step in bytes does not fit 32 bits and
    // error 5 when it is below one character (growth could never finish).
    void SetChunkSize(int iChunkSize);

    QString toString() const;
    QStringView view() const { return QStringView(m_buffer.get(), Length()); }
    // Replaces the content; empty text frees the buffer.
    void SetTheString(QStringView sThis);
    void Clear();

    void AppendNL(QStringView sThis);
    void Append(QStringView sThis);
    void Append(QChar c);
    void Append(const QChar* chars, qsizetype count) { Append(QStringView(chars, count)); }
    void AppendByVal(QString sThis) { Append(QStringView(sThis)); }

    // iIndex is a 0-based character offset from 0 to Length(); error 9 otherwise.
    void Insert(int iIndex, QStringView sThis);
    void InsertByVal(int iIndex, QString sThis) { Insert(iIndex, QStringView(sThis)); }
    // Removes lLen characters at iIndex; error 9 when the range is not inside the text.
    void Remove(int iIndex, int lLen);

    // 1-based position of the first match starting at or after lStartIndex (below 1
    // means 1) and lying wholly inside the held text; 0 when none. compare 0 is exact
    // (the default), 1 ignores case; other values raise error 5.
    int Find(QStringView sToFind, int lStartIndex = 1, int compare = 0) const;

    // Gives back whole chunks of spare room beyond one chunk.
    void HeapMinimize();

private:
    // Grows by whole chunks until the buffer holds neededBytes.
    void Reserve(qint64 neededBytes);
    void Reallocate(int newCapacityBytes);

    struct FreeDeleter {
        void operator()(char16_t* p) const;
    };
    // Characters past the used part are spare; their content is never read, so
    // the buffer is left uninitialised there. realloc lets large buffers grow
    // without copying where the allocator can extend them.
    std::unique_ptr<char16_t, FreeDeleter> m_buffer;
    int m_chunkSize = 16384;
    int m_used = 0;
    int m_capacity = 0;
};

} // namespace worktide
