// Placeholder bodies of the search list tab; replaced as they are built.
#include "ui/main/FrmMain.h"

namespace worktide {
void FrmMain::Refresh_Sheet2() {}
void FrmMain::ShowRowMemo(int) {}
void FrmMain::CopyComboList(QComboBox*, QComboBox*) {}
void FrmMain::spList_Click(int, int) {}
void FrmMain::spList_DblClick(int, int) {}
void FrmMain::spList_KeyDown(int&, int) {}
void FrmMain::spList_LeaveCell(int, int, int, int, bool&) {}
void FrmMain::txtKeyWord_GotFocus() {}
void FrmMain::txtKeyWord_KeyPress(int&) {}

} // namespace worktide
