#include "PeWriter.h"

#include <QFile>

#include <algorithm>

namespace worktide::test {
namespace {

void Pad(QByteArray& b, int to) {
    while (b.size() % to)
        b.append('\0');
}

void AppendU16(QByteArray& b, quint16 v) {
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>(v >> 8));
}

void AppendU32(QByteArray& b, quint32 v) {
    AppendU16(b, static_cast<quint16>(v & 0xFFFF));
    AppendU16(b, static_cast<quint16>(v >> 16));
}

void AppendText(QByteArray& b, const QString& text) {
    for (QChar c : text)
        AppendU16(b, c.unicode());
    AppendU16(b, 0);
}

// One block of the version layout: length, value length, type, key, padding,
// value, then the children, each on a 32-bit boundary.
QByteArray Node(const QString& key, quint16 type, const QByteArray& value, quint16 valueLength,
                const QList<QByteArray>& children = {}) {
    QByteArray b(6, '\0');
    AppendText(b, key);
    Pad(b, 4);
    b.append(value);
    for (const QByteArray& child : children) {
        Pad(b, 4);
        b.append(child);
    }
    PutU16(b, 0, static_cast<quint16>(b.size()));
    PutU16(b, 2, valueLength);
    PutU16(b, 4, type);
    return b;
}

QList<quint16> VersionParts(const QString& text) {
    QList<quint16> parts;
    for (const QString& p : text.split(u'.'))
        parts.append(static_cast<quint16>(p.toUInt()));
    while (parts.size() < 4)
        parts.append(0);
    return parts;
}

} // namespace

void PutU16(QByteArray& bytes, qsizetype at, quint16 value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void PutU32(QByteArray& bytes, qsizetype at, quint32 value) {
    PutU16(bytes, at, static_cast<quint16>(value & 0xFFFF));
    PutU16(bytes, at + 2, static_cast<quint16>(value >> 16));
}

QByteArray BuildVersionInfo(const QList<StringTable>& tables, const QString& fileVersion) {
    const QList<quint16> v = VersionParts(fileVersion);
    QByteArray fixed;
    AppendU32(fixed, 0xFEEF04BD);
    AppendU32(fixed, 0x00010000);
    AppendU32(fixed, (quint32(v[0]) << 16) | v[1]);
    AppendU32(fixed, (quint32(v[2]) << 16) | v[3]);
    AppendU32(fixed, (quint32(v[0]) << 16) | v[1]);
    AppendU32(fixed, (quint32(v[2]) << 16) | v[3]);
    AppendU32(fixed, 0x3F);    // flags mask
    AppendU32(fixed, 0);       // flags
    AppendU32(fixed, 0x40004); // NT, Win32
    AppendU32(fixed, 1);       // application
    AppendU32(fixed, 0);
    AppendU32(fixed, 0);
    AppendU32(fixed, 0);

    QList<QByteArray> tableNodes;
    for (const StringTable& t : tables) {
        QList<QByteArray> strings;
        for (const auto& [name, value] : t.strings) {
            QByteArray text;
            AppendText(text, value);
            strings.append(Node(name, 1, text, static_cast<quint16>(value.size() + 1)));
        }
        tableNodes.append(Node(t.key, 1, {}, 0, strings));
    }
    QList<QByteArray> children;
    if (!tableNodes.isEmpty())
        children.append(Node(QStringLiteral("StringFileInfo"), 1, {}, 0, tableNodes));
    QByteArray translation;
    const quint32 lang = tables.isEmpty() ? 0x0409 : tables.first().key.left(4).toUInt(nullptr, 16);
    const quint32 codePage = tables.isEmpty() ? 1200 : tables.first().key.mid(4).toUInt(nullptr, 16);
    AppendU16(translation, static_cast<quint16>(lang));
    AppendU16(translation, static_cast<quint16>(codePage));
    children.append(
        Node(QStringLiteral("VarFileInfo"), 1, {}, 0, {Node(QStringLiteral("Translation"), 0, translation, 4)}));
    return Node(QStringLiteral("VS_VERSION_INFO"), 0, fixed, static_cast<quint16>(fixed.size()), children);
}

StringTable StandardStrings(const QString& fileVersion, const QString& key) {
    return {key,
            {{QStringLiteral("CompanyName"), QStringLiteral("Dodam")},
             {QStringLiteral("FileDescription"), QStringLiteral("Update probe")},
             {QStringLiteral("FileVersion"), fileVersion},
             {QStringLiteral("InternalName"), QStringLiteral("UpdateProbeV1")},
             {QStringLiteral("LegalCopyright"), QStringLiteral("(c) Dodam")},
             {QStringLiteral("LegalTrademarks"), QStringLiteral("Dodam TM")},
             {QStringLiteral("OriginalFilename"), QStringLiteral("UpdateProbeV1.exe")},
             {QStringLiteral("ProductName"), QStringLiteral("UpdateProbe")},
             {QStringLiteral("ProductVersion"), fileVersion},
             {QStringLiteral("Comments"), QStringLiteral("no comment")}}};
}

PeImage BuildPe(const QList<PeResource>& input, bool pe32plus) {
    QList<PeResource> resources = input;
    std::stable_sort(resources.begin(), resources.end(),
                     [](const PeResource& a, const PeResource& b) { return a.type < b.type; });
    constexpr quint32 kFileAlign = 0x200;
    constexpr quint32 kTextRva = 0x1000;
    constexpr quint32 kRsrcRva = 0x2000;
    constexpr quint32 kPeOffset = 0x80;
    const quint16 optionalSize = pe32plus ? 240 : 224;
    const quint16 sectionCount = resources.isEmpty() ? 1 : 2;

    PeImage image;
    // Resource section: root, one name and one language directory per type, data
    // entries, then the data.
    const auto n = static_cast<quint32>(resources.size());
    QByteArray rsrc;
    QList<quint32> nameDir, langDir, dataEntry, dataAt;
    quint32 at = 16 + 8 * n;
    for (quint32 i = 0; i < n; ++i) {
        nameDir.append(at);
        at += 24;
    }
    for (quint32 i = 0; i < n; ++i) {
        langDir.append(at);
        at += 24;
    }
    for (quint32 i = 0; i < n; ++i) {
        dataEntry.append(at);
        at += 16;
    }
    for (const PeResource& r : resources) {
        at = (at + 3) & ~3u;
        dataAt.append(at);
        at += static_cast<quint32>(r.data.size());
    }
    rsrc.fill('\0', at);
    auto dirHead = [&](quint32 off, quint16 ids) { PutU16(rsrc, off + 14, ids); };
    dirHead(0, static_cast<quint16>(n));
    for (quint32 i = 0; i < n; ++i) {
        const PeResource& r = resources[i];
        PutU32(rsrc, 16 + 8 * i, r.type);
        PutU32(rsrc, 16 + 8 * i + 4, 0x80000000u | nameDir[i]);
        dirHead(nameDir[i], 1);
        PutU32(rsrc, nameDir[i] + 16, r.id);
        PutU32(rsrc, nameDir[i] + 20, 0x80000000u | langDir[i]);
        dirHead(langDir[i], 1);
        PutU32(rsrc, langDir[i] + 16, r.language);
        PutU32(rsrc, langDir[i] + 20, dataEntry[i]);
        PutU32(rsrc, dataEntry[i], kRsrcRva + dataAt[i]);
        PutU32(rsrc, dataEntry[i] + 4, static_cast<quint32>(r.data.size()));
        PutU32(rsrc, dataEntry[i] + 8, 1200);
        rsrc.replace(dataAt[i], r.data.size(), r.data);
    }
    const quint32 rsrcVirtualSize = static_cast<quint32>(rsrc.size());
    Pad(rsrc, kFileAlign);

    const quint32 headersSize = kFileAlign;
    const quint32 textOffset = headersSize;
    const quint32 rsrcOffset = textOffset + kFileAlign;
    QByteArray b(headersSize, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    PutU32(b, 0x3C, kPeOffset);
    b.replace(kPeOffset, 4, QByteArray("PE\0\0", 4));
    const quint32 coff = kPeOffset + 4;
    PutU16(b, coff, pe32plus ? 0x8664 : 0x14C);
    PutU16(b, coff + 2, sectionCount);
    PutU16(b, coff + 16, optionalSize);
    PutU16(b, coff + 18, pe32plus ? 0x0022 : 0x0102);
    const quint32 opt = coff + 20;
    PutU16(b, opt, pe32plus ? 0x20B : 0x10B);
    PutU32(b, opt + 16, kTextRva); // entry point
    PutU32(b, opt + 32, 0x1000);   // section alignment
    PutU32(b, opt + 36, kFileAlign);
    PutU32(b, opt + 56, kRsrcRva + ((rsrcVirtualSize + 0xFFF) & ~0xFFFu)); // size of image
    PutU32(b, opt + 60, headersSize);
    PutU16(b, opt + 68, 2); // GUI subsystem
    const quint32 dirs = opt + (pe32plus ? 112 : 96);
    PutU32(b, dirs - 4, 16);
    if (!resources.isEmpty()) {
        PutU32(b, dirs + 16, kRsrcRva);
        PutU32(b, dirs + 20, rsrcVirtualSize);
    }
    const quint32 table = opt + optionalSize;
    b.replace(table, 5, QByteArray(".text"));
    PutU32(b, table + 8, 0x10);
    PutU32(b, table + 12, kTextRva);
    PutU32(b, table + 16, kFileAlign);
    PutU32(b, table + 20, textOffset);
    PutU32(b, table + 36, 0x60000020);
    if (!resources.isEmpty()) {
        const quint32 s = table + 40;
        b.replace(s, 5, QByteArray(".rsrc"));
        PutU32(b, s + 8, rsrcVirtualSize);
        PutU32(b, s + 12, kRsrcRva);
        PutU32(b, s + 16, static_cast<quint32>(rsrc.size()));
        PutU32(b, s + 20, rsrcOffset);
        PutU32(b, s + 36, 0x40000040);
    }
    QByteArray text(kFileAlign, '\0');
    text[0] = static_cast<char>(0xC3); // ret
    b.append(text);
    b.append(rsrc);

    image.rsrcFileOffset = rsrcOffset;
    image.rsrcRva = kRsrcRva;
    image.rsrcSize = static_cast<quint32>(rsrc.size());
    for (quint32 i = 0; i < n; ++i) {
        image.typeEntries.append(rsrcOffset + 16 + 8 * i);
        image.nameDirs.append(rsrcOffset + nameDir[i]);
        image.languageDirs.append(rsrcOffset + langDir[i]);
        image.dataEntries.append(rsrcOffset + dataEntry[i]);
    }
    image.bytes = b;
    return image;
}

PeImage BuildPeWithVersion(const QByteArray& versionBlock, bool pe32plus) {
    QList<PeResource> resources{{3, 1, 0x0409, QByteArray(40, '\x11')}};
    if (!versionBlock.isEmpty())
        resources.append({16, 1, 0x0412, versionBlock});
    resources.append({24, 1, 0x0409, QByteArray("<assembly/>")});
    return BuildPe(resources, pe32plus);
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
}

} // namespace worktide::test
