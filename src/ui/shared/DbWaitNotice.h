#pragma once

#include "db/DbWait.h"
#include "ui/shared/TypeAhead.h"

#include <QPointer>

class QDialog;

// The windows' side of a long database wait: a wait cursor, then a small modal notice
// "서버 응답을 기다리는 중입니다..." whose "취소" button ends the statement. What is
// typed while the notice blocks the windows is kept and typed again after the wait.
namespace worktide {

class DbWaitNotice : public DbWaitUi {
public:
    ~DbWaitNotice() override;
    void ShowWaitCursor() override;
    void ShowNotice() override;
    bool CancelRequested() override { return m_cancel; }
    void EndWait() override;

private:
    QPointer<QDialog> m_notice;
    TypeAhead m_typeAhead;
    bool m_cursor = false;
    bool m_cancel = false;
};

// Installs DbWaitNotice for the rest of the process.
void InstallDbWaitNotice();

} // namespace worktide
