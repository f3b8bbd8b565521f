#pragma once

#include <QString>

// A settings file that may hold a password stays readable by its owner alone:
// the file 0600, its folder 0700.
namespace worktide {

// Takes the group and other permissions away from an existing file and its folder.
// A shared folder (sticky, like /tmp) or one of another owner is left alone.
void TightenPrivateFile(const QString& path);

// Creates the folder (0700) and an empty file (0600) where they are missing, so that
// the first write never lands in something others can read.
void PreparePrivateFile(const QString& path);

} // namespace worktide
