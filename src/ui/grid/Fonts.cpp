#include "ui/grid/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace worktide {

QFont FixedPitchKoreanFont(int pointSize) {
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const QString& name : {QStringLiteral("굴림체"), QStringLiteral("GulimChe"), QStringLiteral("D2Coding"),
                                    QStringLiteral("NanumGothicCoding")})
            if (families.contains(name, Qt::CaseInsensitive))
                return name;
        return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    }();
    QFont font(family, pointSize);
    font.setStyleHint(QFont::Monospace);
    return font;
}

} // namespace worktide
