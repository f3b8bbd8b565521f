// The main window's side of the search list: the filters it shares with the tab, and the
// statement they make. The tab itself is ListTab.
#include "ui/main/FrmMain.h"

#include "db/modSchedule.h"
#include "ui/list/ListTab.h"

#include <QComboBox>

namespace worktide {
namespace {
ListFilter FilterOf(const FrmMain& form) {
    return form.tabList->FilterFor(form.cmbUser[1]->currentText(), form.cmbFinish[1]->currentIndex(),
                                   form.cmbCategory[1]->currentText());
}
} // namespace

// The list tab's statement from its filters as they read now.
QString FrmMain::ListStatement() const {
    const ListFilter s = FilterOf(*this);
    return MakeScheduleListSQL(s.owner, s.keyword, s.finished, s.category);
}

void FrmMain::Refresh_Sheet2() {
    tabList->Load(FilterOf(*this));
}

void FrmMain::RedrawListKeepingView() {
    tabList->Recheck();
}

void FrmMain::CopyComboList(QComboBox* source, QComboBox* target) {
    if (!source || !target)
        return;
    {
        const QSignalBlocker block(target);
        target->clear();
        for (int i = 0; i < source->count(); ++i)
            target->addItem(source->itemText(i), source->itemData(i));
        target->setCurrentIndex(-1);
    }
    // Choosing the item raises the target's selection event once, as picking it would.
    target->setCurrentIndex(source->currentIndex());
}

} // namespace worktide
