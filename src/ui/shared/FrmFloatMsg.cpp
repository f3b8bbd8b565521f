#include "ui/shared/FrmFloatMsg.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

namespace worktide {

FrmFloatMsg::FrmFloatMsg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), lblMsg(new QLabel), Timer1(new QTimer(this)) {
    setObjectName(QStringLiteral("FrmFloatMsg"));
    setAttribute(Qt::WA_DeleteOnClose);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setAlignment(Qt::AlignCenter);
    QFont f = lblMsg->font();
    f.setPointSize(f.pointSize() + 2);
    f.setBold(true);
    lblMsg->setFont(f);
    lblMsg->installEventFilter(this);
    // A dialog paints only a background from a style sheet, and a type selector would have to
    // spell the namespace: the colours and the frame go on a plain frame named for them.
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("fraMsg"));
    auto* inner = new QHBoxLayout(frame);
    inner->setContentsMargins(24, 16, 24, 16);
    inner->addWidget(lblMsg);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    setStyleSheet(QStringLiteral("#fraMsg { background: #fff8d0; border: 1px solid #a08000; }"));
    setMinimumWidth(320);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [this] { Unload(); });
}

FrmFloatMsg::~FrmFloatMsg() {
    Timer1->stop();
}

void FrmFloatMsg::InitForm(const QString& strMsg, int lDelay) {
    lblMsg->setText(strMsg);
    if (lDelay > 0) {
        Timer1->setInterval(lDelay);
        Timer1->start();
    }
}

QString FrmFloatMsg::message() const {
    return lblMsg->text();
}

bool FrmFloatMsg::timerRunning() const {
    return Timer1->isActive();
}

void FrmFloatMsg::Unload() {
    Timer1->stop();
    if (isModal() || isVisible())
        done(QDialog::Accepted);
    close();
}

void FrmFloatMsg::mousePressEvent(QMouseEvent* event) {
    if (Timer1->isActive()) {
        emit clicked();
        Unload();
    }
    QDialog::mousePressEvent(event);
}

void FrmFloatMsg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (Timer1->isActive()) {
            emit clicked();
            Unload();
        }
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        // Escape would close a dialog even without a running timer.
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool FrmFloatMsg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblMsg && event->type() == QEvent::MouseButtonPress && Timer1->isActive()) {
        emit clicked();
        Unload();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace worktide
