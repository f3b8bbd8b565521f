// Placeholder bodies of the calendar tab and the frame; replaced as they are built.
#include "ui/main/FrmMain.h"

namespace worktide {
void FrmMain::ConnectEvents() {}
bool FrmMain::eventFilter(QObject* watched, QEvent* event) { return QMainWindow::eventFilter(watched, event); }
bool FrmMain::Form_KeyDown(int) { return false; }
void FrmMain::Form_Load() { show(); }
bool FrmMain::SetSheetMonth(int, int) { return false; }
QDate FrmMain::GetCellDate(int, int) const { return {}; }
void FrmMain::RefreshSheet() {}
int FrmMain::PutCellLine(int, int, const QString&, int line) { return line; }
void FrmMain::OpenSchedule(const QString&, bool, int, int) {}
void FrmMain::RefreshTab(int) {}
void FrmMain::ShowTodayCell() {}
void FrmMain::btnMoveMonth_Click(int) {}
void FrmMain::btnToday_Click() {}
void FrmMain::cmdAdd_Click(int) {}
void FrmMain::InitSheets() {}
void FrmMain::cmbUser_Click(int) {}
void FrmMain::cmbCategory_Click(int) {}
void FrmMain::cmbFinish_Click(int) {}
void FrmMain::btnMyName_Click(int) {}
void FrmMain::SSTab1_Click(int) {}
void FrmMain::mnuFile_cngpasswd_Click() {}
void FrmMain::mnuFile_Exit_Click() {}
void FrmMain::spCalendar_LeaveCell(int, int, int, int, bool&) {}
void FrmMain::spCalendar_KeyDown(int&, int) {}
void FrmMain::spCalendar_DblClick(int, int) {}
void FrmMain::cmbCategory_KeyPress(int, int&) {}

} // namespace worktide
