#pragma once

#include <cstdio>

class QTranslator;

// Options answered before any window system is touched, and the start-up translations.
namespace worktide {

// Handles --version and --help: prints to `out` and returns 0. Returns -1 for anything else.
int HandleInfoOption(int argc, char** argv, std::FILE* out);

// Loads Qt's own Korean texts (standard buttons, file and print dialogs) into the application.
// Returns the installed translator (owned by the application), or nullptr when the translation
// is not installed; the program then runs with English buttons.
QTranslator* InstallQtKoreanTranslation();

} // namespace worktide
