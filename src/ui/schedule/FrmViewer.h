#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// Read-only list of the entries that cover one day, for one owner or everybody,
// with the details of the selected entry underneath. Writes nothing.
namespace worktide {

class LeaveCellEvent;
class SpreadGrid;

class FrmViewer : public QDialog {
    Q_OBJECT
public:
    explicit FrmViewer(QWidget* owner = nullptr);
    ~FrmViewer() override;

    // sUserName empty = the entries of every owner.
    void SetParam(const QString& wDate, const QString& sUserName);
    void RefreshSheet();
    void ShowDetail(int row);
    // Puts the cursor and the details on the entry seq, when the day lists it.
    void SelectEntry(int seq);

    const QString& WorkDate() const { return m_wDate; }
    const QString& Owner() const { return m_sUserName; }

    SpreadGrid* spList;
    QLabel* Label1;
    QPlainTextEdit* txtMemo;
    QPushButton* btnClose;

private:
    void OnLeaveCell(LeaveCellEvent* event);

    QString m_wDate;
    QString m_sUserName;
    QString m_designCaption;
};

} // namespace worktide
