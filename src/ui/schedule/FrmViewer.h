#pragma once

#include <QDialog>

// Read-only list of the entries that cover one day, for one owner or everybody.
namespace worktide {

class FrmViewer : public QDialog {
    Q_OBJECT
public:
    explicit FrmViewer(QWidget* owner = nullptr);
    ~FrmViewer() override;

    void SetParam(const QString& wDate, const QString& sUserName);
};

} // namespace worktide
