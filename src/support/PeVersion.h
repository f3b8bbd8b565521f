#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Finds the raw version resource (the VS_VERSIONINFO block) of a PE executable
// without any help from the platform. The bytes come from files we do not control,
// so every offset and size is checked; a malformed image simply has no block.
namespace worktide {

// The block of the first RT_VERSION resource (first name, first language), or an
// empty array when the image is not a PE file or has no readable version resource.
QByteArray ExtractVersionResource(QByteArrayView image);

// The same for a file on disk; empty when the file cannot be read.
QByteArray ReadVersionResource(const QString& path);

} // namespace worktide
