#include "ui/print/PdfFileName.h"

#include <QFileDialog>

#include <optional>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {
struct Script {
    QStringList answers;
    QStringList suggested;
};
std::optional<Script> g_script;
} // namespace

QString AskPdfFileName(QWidget* parent, const QString& suggestedName) {
    if (g_script) {
        g_script->suggested.append(suggestedName);
        return g_script->answers.isEmpty() ? QString() : g_script->answers.takeFirst();
    }
    QString name = QFileDialog::getSaveFileName(parent, u"PDF로 저장"_s, suggestedName, u"PDF (*.pdf)"_s);
    if (!name.isEmpty() && !name.endsWith(u".pdf"_s, Qt::CaseInsensitive))
        name += u".pdf"_s;
    return name;
}

ScopedScriptedPdfFileNames::ScopedScriptedPdfFileNames(const QStringList& answers) {
    g_script = Script{answers, {}};
}

ScopedScriptedPdfFileNames::~ScopedScriptedPdfFileNames() {
    g_script.reset();
}

const QStringList& ScopedScriptedPdfFileNames::suggested() const {
    return g_script->suggested;
}

} // namespace worktide
