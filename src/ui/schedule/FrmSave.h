#pragma once

#include <QDialog>

// The schedule editor: one owner's entries of one day, and the input fields of one entry.
namespace worktide {

class FrmSave : public QDialog {
    Q_OBJECT
public:
    // refreshNeeded points at the main window's refresh-needed flag (may be null).
    explicit FrmSave(QWidget* owner = nullptr, bool* refreshNeeded = nullptr);
    ~FrmSave() override;

    void SetParam(const QString& wDate, bool bAutoNewRec = false, int nSEQ = 0, const QString& sUserName = {});

private:
    bool* m_refreshNeeded;
};

} // namespace worktide
