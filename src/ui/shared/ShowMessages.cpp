#include "ui/shared/ShowMessages.h"

#include "db/cMySQL.h"
#include "support/MsgBox.h"

namespace worktide {

int ShowMessage(const UserMessage& message) {
    return MsgBox(message.text, message.style, message.title);
}

void ShowMessages(const UserMessages& messages) {
    for (const UserMessage& message : messages)
        ShowMessage(message);
}

bool ShowDbFailures() {
    // Taken one by one: a box waits for its answer, and whatever fails meanwhile comes after.
    bool shown = false;
    while (HasDbFailures()) {
        ShowMessages(TakeDbFailures());
        shown = true;
    }
    return shown;
}

} // namespace worktide
