#include "ui/shared/DbWaitNotice.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace worktide {

DbWaitNotice::~DbWaitNotice() {
    EndWait();
}

void DbWaitNotice::ShowWaitCursor() {
    if (!m_cursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_cursor = true;
    }
}

void DbWaitNotice::ShowNotice() {
    if (m_notice)
        return;
    // Before the notice blocks the windows, and only for waits that long: a short wait
    // leaves what is typed queued, and it arrives as usual once the wait is over.
    m_typeAhead.Hold();
    auto* notice = new QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    notice->setObjectName(QStringLiteral("frmDbWait"));
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->setWindowModality(Qt::ApplicationModal);
    notice->setWindowTitle(QApplication::applicationDisplayName());
    auto* label = new QLabel(QStringLiteral("서버 응답을 기다리는 중입니다..."), notice);
    label->setObjectName(QStringLiteral("lblMessage"));
    auto* cancel = new QPushButton(QStringLiteral("취소"), notice);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(notice);
    layout->addWidget(label);
    layout->addLayout(buttons);
    QObject::connect(cancel, &QPushButton::clicked, notice, [this] { m_cancel = true; });
    // Closing the notice asks for the same as its button; the wait closes it itself.
    QObject::connect(notice, &QDialog::rejected, notice, [this] { m_cancel = true; });
    // The cursor over the notice is the normal one, so the button looks clickable: the
    // application-wide wait cursor would cover it, and the notice says the same.
    if (m_cursor) {
        QApplication::restoreOverrideCursor();
        m_cursor = false;
    }
    notice->setCursor(Qt::ArrowCursor);
    m_notice = notice;
    m_typeAhead.SetOwnWindow(notice);
    notice->show();
}

void DbWaitNotice::EndWait() {
    if (m_notice) {
        QDialog* notice = m_notice;
        m_notice = nullptr;
        const bool hadKeyboard = QApplication::activeWindow() == notice;
        QObject::disconnect(notice, nullptr, nullptr, nullptr);
        notice->hide();
        notice->deleteLater();
        m_typeAhead.Release(hadKeyboard);
    }
    if (m_cursor) {
        QApplication::restoreOverrideCursor();
        m_cursor = false;
    }
    m_cancel = false;
}

void InstallDbWaitNotice() {
    static std::unique_ptr<DbWaitNotice> notice;
    if (!notice)
        notice = std::make_unique<DbWaitNotice>();
    SetDbWaitUi(notice.get());
}

} // namespace worktide
