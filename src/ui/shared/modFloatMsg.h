#pragma once

#include <QString>

class QWidget;

// Opens the floating notice window: one at a time, modal for its delay or top-most.
namespace worktide {

class FrmFloatMsg;

// colour is accepted for the callers' sake and has no visible effect.
void ShowFloatMsg(const QString& message, int time, bool modal, unsigned int colour = 0xFFFF00);
// Keeps a window above all others without moving or resizing it.
void SetTopMost(QWidget* window);
// The notice currently open, or nullptr (for tests).
FrmFloatMsg* CurrentFloatMsg();

} // namespace worktide
