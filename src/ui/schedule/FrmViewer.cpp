// Placeholder until the viewer lands.
#include "ui/schedule/FrmViewer.h"

namespace worktide {

FrmViewer::FrmViewer(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("FrmViewer"));
    setWindowTitle(QStringLiteral("스케줄 자세히 보기"));
}

FrmViewer::~FrmViewer() = default;

void FrmViewer::SetParam(const QString&, const QString&) {}

} // namespace worktide
