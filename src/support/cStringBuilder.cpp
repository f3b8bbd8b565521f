#include "support/cStringBuilder.h"

#include "support/VbError.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <limits>

namespace worktide {
namespace {
constexpr qint64 kMaxBytes = std::numeric_limits<qint32>::max();

[[noreturn]] void RaiseSubscript() {
    throw VbError(kErrSubscriptOutOfRange, QStringLiteral("cStringBuilder"), QStringLiteral("Subscript out of range"));
}
[[noreturn]] void RaiseOverflow() {
    throw VbError(kErrOverflow, QStringLiteral("cStringBuilder"), QStringLiteral("Overflow"));
}
qint64 BytesOf(qsizetype chars) {
    return static_cast<qint64>(chars) * 2;
}
} // namespace

void cStringBuilder::FreeDeleter::operator()(char16_t* p) const {
    std::free(p);
}

cStringBuilder::cStringBuilder(const cStringBuilder& other) : m_chunkSize(other.m_chunkSize) {
    if (other.m_capacity > 0) {
        Reallocate(other.m_capacity);
        std::copy_n(other.m_buffer.get(), other.m_used / 2, m_buffer.get());
        m_used = other.m_used;
    }
}

cStringBuilder& cStringBuilder::operator=(const cStringBuilder& other) {
    if (this != &other) {
        cStringBuilder copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void cStringBuilder::SetChunkSize(int iChunkSize) {
    const qint64 bytes = static_cast<qint64>(iChunkSize) * 2;
    if (bytes > kMaxBytes || bytes < std::numeric_limits<qint32>::min())
        RaiseOverflow();
    if (bytes < 2)
        throw VbError(kErrInvalidCall, QStringLiteral("cStringBuilder"),
                      QStringLiteral("Invalid procedure call or argument"));
    m_chunkSize = static_cast<int>(bytes);
}

QString cStringBuilder::toString() const {
    if (m_used == 0)
        return QString();
    return QString(reinterpret_cast<const QChar*>(m_buffer.get()), m_used / 2);
}

void cStringBuilder::Reallocate(int newCapacityBytes) {
    if (newCapacityBytes <= 0) {
        m_buffer.reset();
    } else {
        void* p = std::realloc(m_buffer.get(), static_cast<size_t>(newCapacityBytes));
        if (!p)
            throw std::bad_alloc();
        static_cast<void>(m_buffer.release());
        m_buffer.reset(static_cast<char16_t*>(p));
    }
    m_capacity = newCapacityBytes;
    m_used = std::min(m_used, m_capacity);
}

void cStringBuilder::Reserve(qint64 neededBytes) {
    if (neededBytes > kMaxBytes)
        RaiseOverflow();
    if (neededBytes <= m_capacity)
        return;
    // Whole chunks, all added at once.
    const qint64 missing = neededBytes - m_capacity;
    const qint64 chunks = (missing + m_chunkSize - 1) / m_chunkSize;
    const qint64 newCapacity = m_capacity + chunks * m_chunkSize;
    if (newCapacity > kMaxBytes)
        RaiseOverflow();
    Reallocate(static_cast<int>(newCapacity));
}

void cStringBuilder::SetTheString(QStringView sThis) {
    if (sThis.isEmpty()) {
        m_buffer.reset();
        m_used = 0;
        m_capacity = 0;
        return;
    }
    const qint64 bytes = BytesOf(sThis.size());
    // Nothing of the old text needs keeping, so only the spare room survives.
    m_used = 0;
    Reserve(bytes);
    std::copy_n(sThis.utf16(), sThis.size(), m_buffer.get());
    m_used = static_cast<int>(bytes);
}

void cStringBuilder::Clear() {
    m_buffer.reset();
    m_used = 0;
    m_capacity = 0;
}

void cStringBuilder::Append(QStringView sThis) {
    if (sThis.isEmpty())
        return;
    Reserve(m_used + BytesOf(sThis.size()));
    std::copy_n(sThis.utf16(), sThis.size(), m_buffer.get() + m_used / 2);
    m_used += static_cast<int>(BytesOf(sThis.size()));
}

void cStringBuilder::Append(QChar c) {
    if (m_used + 2 > m_capacity)
        Reserve(m_used + qint64{2});
    m_buffer.get()[m_used / 2] = c.unicode();
    m_used += 2;
}

void cStringBuilder::AppendNL(QStringView sThis) {
    Append(sThis);
    Append(u"\r\n");
}

void cStringBuilder::Insert(int iIndex, QStringView sThis) {
    if (iIndex < 0 || iIndex > Length())
        RaiseSubscript();
    if (sThis.isEmpty())
        return;
    // sThis may point into our own buffer; keep a copy before the buffer moves.
    const QString copy = sThis.toString();
    Reserve(m_used + BytesOf(copy.size()));
    char16_t* base = m_buffer.get();
    std::memmove(base + iIndex + copy.size(), base + iIndex, static_cast<size_t>(Length() - iIndex) * 2);
    std::copy_n(copy.utf16(), copy.size(), base + iIndex);
    m_used += static_cast<int>(BytesOf(copy.size()));
}

void cStringBuilder::Remove(int iIndex, int lLen) {
    if (iIndex < 0 || iIndex > Length() || lLen < 0 || static_cast<qint64>(iIndex) + lLen > Length())
        RaiseSubscript();
    if (lLen == 0)
        return;
    char16_t* base = m_buffer.get();
    std::memmove(base + iIndex, base + iIndex + lLen, static_cast<size_t>(Length() - iIndex - lLen) * 2);
    m_used -= lLen * 2;
}

int cStringBuilder::Find(QStringView sToFind, int lStartIndex, int compare) const {
    if (compare != 0 && compare != 1)
        throw VbError(kErrInvalidCall, QStringLiteral("cStringBuilder"),
                      QStringLiteral("Invalid procedure call or argument"));
    const qsizetype from = std::max(lStartIndex, 1) - 1;
    if (from > Length())
        return 0;
    const qsizetype at = view().indexOf(sToFind, from, compare == 1 ? Qt::CaseInsensitive : Qt::CaseSensitive);
    return at < 0 ? 0 : static_cast<int>(at + 1);
}

void cStringBuilder::HeapMinimize() {
    if (m_capacity - m_used <= m_chunkSize)
        return;
    // The fewest whole chunks that bring the spare room down to one chunk or less.
    const qint64 excess = static_cast<qint64>(m_capacity) - m_used - m_chunkSize;
    const qint64 chunks = (excess + m_chunkSize - 1) / m_chunkSize;
    const int newCapacity = static_cast<int>(m_capacity - chunks * m_chunkSize);
    Reallocate(newCapacity);
}

} // namespace worktide
