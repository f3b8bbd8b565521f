#pragma once

#include "support/UserMessage.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Version information of executable files: the text fields of the version
// resource, picked out of the raw block by a plain scan, and the language names.
namespace worktide {

// "CompanyName;FileDescription;...;Language": the 13 fields, in entry order.
extern const QString kVersionFieldNames;

// The 13 entries "Name: value" / "Name: Not specified", the last one "Language: <name>"
// (or just "Language" without a string table). Empty when the file has no version block.
// A failure of the scan adds its error report to failures.
QStringList GetFileVersionFields(const QString& path, UserMessages& failures);

// The same scan over a raw version block (as ExtractVersionResource gives it).
QStringList VersionFieldsFromBlock(const QByteArray& block);

// The FileVersion text: with keepLast all of it, its last part written as a plain
// integer ("2.1.0.007" -> "2.1.0.7"); without keepLast the part before the last ".".
// Adds the error report to failures and gives empty text when the file has no version block.
QString GetFileVer(const QString& path, bool keepLast, UserMessages& failures);

// The English language name for the first four characters of code (the language
// identifier of a version resource in hexadecimal, any case); empty when unknown.
QString GetLanguageName(const QString& code);

} // namespace worktide
