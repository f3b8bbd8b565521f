#pragma once

#include <QString>

class QComboBox;

// The owner and category pick lists that the main window and the editor share.
namespace worktide {

// Anything with "clear" and "append an entry" can receive a pick list.
class IListTarget {
public:
    virtual ~IListTarget() = default;
    virtual void clear() = 0;
    virtual void addItem(const QString& text) = 0;
};

void FillUserList(QComboBox* list, bool addAll);
void FillUserList(IListTarget& list, bool addAll);
void FillCategoryList(QComboBox* list, const QString& userName, bool addAll);
void FillCategoryList(IListTarget& list, const QString& userName, bool addAll);

} // namespace worktide
