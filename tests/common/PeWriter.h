#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Writes minimal but valid PE images for the version reader's tests: a header, a
// .text section and a .rsrc section with a resource tree, and a VS_VERSIONINFO
// block built from fields. Tests make every fixture themselves with this.
namespace worktide::test {

struct StringTable {
    QString key; // language + code page, e.g. "041204b0"
    QList<QPair<QString, QString>> strings;
};

// A VS_VERSIONINFO block with the given string tables (in order), a fixed file
// info from fileVersion ("a.b.c.d") and a VarFileInfo translation entry.
QByteArray BuildVersionInfo(const QList<StringTable>& tables, const QString& fileVersion = QStringLiteral("1.0.0.0"));

// The usual fields of a program, FileVersion = fileVersion, in one table.
StringTable StandardStrings(const QString& fileVersion, const QString& key = QStringLiteral("040904b0"));

struct PeResource {
    quint32 type;
    quint32 id;
    quint16 language;
    QByteArray data;
};

struct PeImage {
    QByteArray bytes;
    quint32 rsrcFileOffset = 0;  // where the .rsrc section starts in the file
    quint32 rsrcRva = 0;         // and in memory
    quint32 rsrcSize = 0;        // its raw size
    QList<quint32> typeEntries;  // file offsets of the root directory's entries
    QList<quint32> nameDirs;     // file offsets of the second-level directories
    QList<quint32> languageDirs; // file offsets of the third-level directories
    QList<quint32> dataEntries;  // file offsets of the data entries
};

// A PE32 (or PE32+) image whose .rsrc holds the resources, each type once, sorted
// by type as a linker writes them. Without resources the image has no .rsrc.
PeImage BuildPe(const QList<PeResource>& resources, bool pe32plus = false);

// An image with an icon resource and, when versionBlock is not empty, RT_VERSION.
PeImage BuildPeWithVersion(const QByteArray& versionBlock, bool pe32plus = false);

void PutU16(QByteArray& bytes, qsizetype at, quint16 value);
void PutU32(QByteArray& bytes, qsizetype at, quint32 value);

bool WriteBytes(const QString& path, const QByteArray& bytes);

} // namespace worktide::test
