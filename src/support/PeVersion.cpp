#include "support/PeVersion.h"

#include <QFile>

#include <cstring>
#include <optional>
#include <vector>

namespace worktide {
namespace {

// A VS_VERSIONINFO block measures its length in 16 bits, so nothing larger is ever
// needed; the directory limit only keeps a hostile entry count from costing much.
constexpr quint32 kMaxVersionBlock = 0x10000;
constexpr quint32 kRtVersion = 16;
constexpr quint32 kSubdirectoryBit = 0x80000000u;

// Random access to the image, either a buffer or a file; reads outside it fail.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual quint64 size() const = 0;
    // Reads exactly len bytes at off, or fails.
    virtual bool read(quint64 off, quint64 len, char* out) = 0;
};

class BufferSource final : public ByteSource {
public:
    explicit BufferSource(QByteArrayView data) : m_data(data) {}
    quint64 size() const override { return static_cast<quint64>(m_data.size()); }
    bool read(quint64 off, quint64 len, char* out) override {
        if (off > size() || len > size() - off)
            return false;
        if (len)
            std::memcpy(out, m_data.data() + off, len);
        return true;
    }

private:
    QByteArrayView m_data;
};

class FileSource final : public ByteSource {
public:
    explicit FileSource(QFile& file) : m_file(file), m_size(static_cast<quint64>(file.size())) {}
    quint64 size() const override { return m_size; }
    bool read(quint64 off, quint64 len, char* out) override {
        if (off > m_size || len > m_size - off)
            return false;
        if (!m_file.seek(static_cast<qint64>(off)))
            return false;
        return m_file.read(out, static_cast<qint64>(len)) == static_cast<qint64>(len);
    }

private:
    QFile& m_file;
    quint64 m_size;
};

quint16 U16(const char* p) {
    return static_cast<quint16>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8));
}
quint32 U32(const char* p) {
    return static_cast<quint32>(U16(p)) | (static_cast<quint32>(U16(p + 2)) << 16);
}

struct Section {
    quint32 virtualAddress;
    quint32 virtualSize;
    quint32 rawSize;
    quint32 rawOffset;
};

class PeReader {
public:
    explicit PeReader(ByteSource& src) : m_src(src) {}

    QByteArray versionBlock() {
        const std::optional<quint32> resourceRva = parseHeaders();
        if (!resourceRva)
            return {};
        m_resourceBase = *resourceRva;

        // type -> name -> language: a resource tree has exactly three levels, so
        // walking a fixed three steps can neither recurse without end nor loop
        // on a directory that points back at itself.
        std::optional<quint32> entry = findEntry(0, /*wantId=*/true, kRtVersion);
        if (!entry || !(*entry & kSubdirectoryBit))
            return {};
        entry = findEntry(*entry & ~kSubdirectoryBit, false, 0);
        if (!entry || !(*entry & kSubdirectoryBit))
            return {};
        entry = findEntry(*entry & ~kSubdirectoryBit, false, 0);
        if (!entry || (*entry & kSubdirectoryBit))
            return {};

        char data[16];
        if (!readRva(static_cast<quint64>(m_resourceBase) + *entry, sizeof data, data))
            return {};
        const quint32 dataRva = U32(data);
        const quint32 dataSize = U32(data + 4);
        if (dataSize == 0)
            return {};
        // The whole declared extent must lie in the image, even the part we skip.
        if (!rvaToOffset(dataRva, dataSize))
            return {};
        const quint32 take = std::min(dataSize, kMaxVersionBlock);
        QByteArray block(static_cast<qsizetype>(take), Qt::Uninitialized);
        if (!readRva(dataRva, take, block.data()))
            return {};
        return block;
    }

private:
    // Returns the RVA of the resource directory, after loading the section table.
    std::optional<quint32> parseHeaders() {
        char dos[64];
        if (!m_src.read(0, sizeof dos, dos) || dos[0] != 'M' || dos[1] != 'Z')
            return std::nullopt;
        const quint64 peOffset = U32(dos + 0x3C);
        char coff[24];
        if (!m_src.read(peOffset, sizeof coff, coff) || std::memcmp(coff, "PE\0\0", 4) != 0)
            return std::nullopt;
        const quint16 sectionCount = U16(coff + 6);
        const quint16 optionalSize = U16(coff + 20);
        const quint64 optionalOffset = peOffset + sizeof coff;

        char magic[2];
        if (optionalSize < 2 || !m_src.read(optionalOffset, 2, magic))
            return std::nullopt;
        quint32 countField = 0; // offset of NumberOfRvaAndSizes in the optional header
        switch (U16(magic)) {
        case 0x10B:
            countField = 92;
            break; // PE32
        case 0x20B:
            countField = 108;
            break; // PE32+
        default:
            return std::nullopt;
        }
        const quint32 resourceDirField = countField + 4 + 2 * 8; // data directory 2
        if (optionalSize < resourceDirField + 8)
            return std::nullopt;
        char field[4];
        if (!m_src.read(optionalOffset + countField, 4, field) || U32(field) <= 2)
            return std::nullopt;
        char dir[8];
        if (!m_src.read(optionalOffset + resourceDirField, 8, dir))
            return std::nullopt;
        const quint32 resourceRva = U32(dir);
        if (resourceRva == 0 || U32(dir + 4) == 0)
            return std::nullopt;

        const quint64 tableOffset = optionalOffset + optionalSize;
        const quint64 tableSize = static_cast<quint64>(sectionCount) * 40;
        if (sectionCount == 0 || tableSize > m_src.size())
            return std::nullopt;
        std::vector<char> table(tableSize);
        if (!m_src.read(tableOffset, tableSize, table.data()))
            return std::nullopt;
        m_sections.reserve(sectionCount);
        for (quint16 i = 0; i < sectionCount; ++i) {
            const char* s = table.data() + static_cast<std::size_t>(i) * 40;
            m_sections.push_back({U32(s + 12), U32(s + 8), U32(s + 16), U32(s + 20)});
        }
        return resourceRva;
    }

    // The file offset of [rva, rva + len), which must lie inside the raw data of
    // one section.
    std::optional<quint64> rvaToOffset(quint64 rva, quint64 len) const {
        for (const Section& s : m_sections) {
            if (rva < s.virtualAddress)
                continue;
            const quint64 delta = rva - s.virtualAddress;
            // Bytes past the raw data exist only in memory (zero-filled), not in the file.
            const quint64 extent = s.virtualSize ? std::min<quint64>(s.virtualSize, s.rawSize) : s.rawSize;
            if (delta >= extent || len > extent - delta)
                continue;
            const quint64 off = static_cast<quint64>(s.rawOffset) + delta;
            if (off > m_src.size() || len > m_src.size() - off)
                return std::nullopt;
            return off;
        }
        return std::nullopt;
    }

    bool readRva(quint64 rva, quint64 len, char* out) {
        const std::optional<quint64> off = rvaToOffset(rva, len);
        return off && m_src.read(*off, len, out);
    }

    // In the directory at dirOffset (relative to the resource base): the
    // OffsetToData of the entry with the given id, or of the first entry.
    std::optional<quint32> findEntry(quint32 dirOffset, bool wantId, quint32 id) {
        const quint64 dirRva = static_cast<quint64>(m_resourceBase) + dirOffset;
        char head[16];
        if (!readRva(dirRva, sizeof head, head))
            return std::nullopt;
        const quint32 named = U16(head + 12);
        const quint32 ids = U16(head + 14);
        const quint32 count = named + ids;
        if (count == 0)
            return std::nullopt;
        std::vector<char> entries(static_cast<std::size_t>(count) * 8);
        if (!readRva(dirRva + sizeof head, entries.size(), entries.data()))
            return std::nullopt;
        for (quint32 i = 0; i < count; ++i) {
            const char* e = entries.data() + static_cast<std::size_t>(i) * 8;
            const quint32 name = U32(e);
            if (!wantId || (!(name & kSubdirectoryBit) && name == id))
                return U32(e + 4);
        }
        return std::nullopt;
    }

    ByteSource& m_src;
    std::vector<Section> m_sections;
    quint32 m_resourceBase = 0;
};

} // namespace

QByteArray ExtractVersionResource(QByteArrayView image) {
    BufferSource src(image);
    return PeReader(src).versionBlock();
}

QByteArray ReadVersionResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    FileSource src(file);
    return PeReader(src).versionBlock();
}

} // namespace worktide
