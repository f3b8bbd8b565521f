// The main window's side of the search list: the filters it shares with the tab, and the
// statement they make. The tab itself is ListTab.
#include "ui/main/FrmMain.h"

#include "ui/list/ListTab.h"

#include <QComboBox>

namespace worktide {

void FrmMain::Refresh_Sheet2() {
    tabList->Load();
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
