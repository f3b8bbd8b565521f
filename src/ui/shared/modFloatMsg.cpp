#include "ui/shared/modFloatMsg.h"

#include "ui/shared/FrmFloatMsg.h"

#include <QApplication>
#include <QPointer>

namespace worktide {
namespace {
QPointer<FrmFloatMsg> g_current;
}

void ShowFloatMsg(const QString& message, int time, bool modal, unsigned int colour) {
    Q_UNUSED(colour);
    if (g_current) {
        FrmFloatMsg* old = g_current;
        g_current = nullptr;
        // Deleted once control is back in the event loop (it may be inside its own exec()).
        old->close();
    }
    auto* form = new FrmFloatMsg(QApplication::activeWindow());
    g_current = form;
    form->InitForm(message, time);
    if (modal) {
        form->setWindowModality(Qt::ApplicationModal);
        form->exec();
    } else {
        // A notice nobody asked for must not take the keyboard from the window being typed in:
        // a tool-tip window is never activated, by any desktop, and still takes the click.
        form->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
        form->setAttribute(Qt::WA_ShowWithoutActivating);
        SetTopMost(form);
        form->show();
    }
}

void SetTopMost(QWidget* window) {
    if (!window)
        return;
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (visible)
        window->show();
}

FrmFloatMsg* CurrentFloatMsg() {
    return g_current;
}

} // namespace worktide
