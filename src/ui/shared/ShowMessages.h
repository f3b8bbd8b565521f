#pragma once

#include "support/UserMessage.h"

// The windows' side of the messages the layers below hand back: shown through MsgBox,
// in the order they were given.
namespace worktide {

// Returns the answer of the box.
int ShowMessage(const UserMessage& message);
void ShowMessages(const UserMessages& messages);
// Shows the messages failed statements and connects left (TakeDbFailures), oldest first.
// Every window calls it right after a database routine that may fail aloud returns.
// True when there was one.
bool ShowDbFailures();

} // namespace worktide
