#include "ui/shared/modPickList.h"

#include "db/modMySQL_Func_lite.h"
#include "ui/shared/ShowMessages.h"

#include <QComboBox>

namespace worktide {
namespace {

// Filling a list raises no selection events (as a list box's Clear and AddItem do
// not); the caller picks the item afterwards and that raises the event once.
class ComboTarget : public IListTarget {
public:
    explicit ComboTarget(QComboBox* combo) : m_combo(combo), m_block(combo) {}
    void clear() override { m_combo->clear(); }
    void addItem(const QString& text) override { m_combo->addItem(text); }

private:
    QComboBox* m_combo;
    QSignalBlocker m_block;
};

void FillFromQuery(IListTarget& list, const QString& sql, const QString& field) {
    RecordsetPtr rs;
    OpenRecordset(rs, sql);
    ShowDbFailures();
    if (rs) {
        while (!rs->isEOF()) {
            list.addItem(rs->Value(field));
            rs->MoveNext();
        }
    }
    CloseRecordset(rs);
}

} // namespace

void FillUserList(QComboBox* list, bool addAll) {
    ComboTarget target(list);
    FillUserList(target, addAll);
}

void FillUserList(IListTarget& list, bool addAll) {
    list.clear();
    if (addAll)
        list.addItem(QStringLiteral("(전직원)"));
    FillFromQuery(list,
                  QStringLiteral("SELECT name FROM user") + QStringLiteral(" WHERE hidden=0") +
                      QStringLiteral(" AND groupcode=1") + QStringLiteral(" UNION ALL SELECT '대구개발'") +
                      QStringLiteral(" UNION ALL SELECT '대구상담'") + QStringLiteral(" ORDER BY name"),
                  QStringLiteral("name"));
}

void FillCategoryList(QComboBox* list, const QString& userName, bool addAll) {
    ComboTarget target(list);
    FillCategoryList(target, userName, addAll);
}

void FillCategoryList(IListTarget& list, const QString& userName, bool addAll) {
    list.clear();
    if (addAll)
        list.addItem(QStringLiteral("(전체구분)"));
    QString sql = QStringLiteral("SELECT catename FROM worktide_cate");
    // The owner name is escaped: a name with an apostrophe must not change the statement.
    if (!userName.isEmpty())
        sql += QStringLiteral(" WHERE devname IN ('*','") + EscapeSQL(userName) + QStringLiteral("')");
    sql += QStringLiteral(" ORDER BY devname DESC, ordpos, catename");
    FillFromQuery(list, sql, QStringLiteral("catename"));
}

} // namespace worktide
