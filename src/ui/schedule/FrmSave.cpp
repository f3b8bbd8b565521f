// Placeholder until the editor lands.
#include "ui/schedule/FrmSave.h"

namespace worktide {

FrmSave::FrmSave(QWidget* owner, bool* refreshNeeded) : QDialog(owner), m_refreshNeeded(refreshNeeded) {
    setObjectName(QStringLiteral("FrmSave"));
    setWindowTitle(QStringLiteral("스케줄 추가 / 수정"));
}

FrmSave::~FrmSave() = default;

void FrmSave::SetParam(const QString&, bool, int, const QString&) {}

} // namespace worktide
