#include "ui/grid/Fonts.h"

#include "support/AppPaths.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>

namespace worktide {

void InstallProgramFonts() {
    const QDir folder(ProgramPath(QStringLiteral("fonts")));
    const QStringList files =
        folder.entryList({QStringLiteral("*.ttf"), QStringLiteral("*.ttc"), QStringLiteral("*.otf")}, QDir::Files);
    for (const QString& name : files)
        QFontDatabase::addApplicationFont(folder.filePath(name));
    // Families are tried in order for every character, so Hangul never falls to a font
    // without it even on a desktop without 맑은 고딕.
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Malgun Gothic"), QStringLiteral("맑은 고딕"), QStringLiteral("NanumGothic"),
                      QStringLiteral("NanumGothicCoding")});
    QApplication::setFont(font);
}

} // namespace worktide
