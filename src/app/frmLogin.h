#pragma once

#include "support/UserSettings.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSettings;

// The modal sign-in window: checks id and password against the user table,
// remembers the last id (and, on request, the password), refuses unregistered
// computers and pre-fills the id for some of them.
namespace worktide {

class frmLogin : public QDialog {
    Q_OBJECT
public:
    explicit frmLogin(QWidget* parent = nullptr);
    ~frmLogin() override;

    // True once a sign-in succeeded; false after Cancel.
    bool LoginSucceeded = false;

    QLineEdit* txtUserName;
    QLineEdit* txtPassword;
    QCheckBox* chkpwdSave;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QLabel* lblLabels[2];

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildUi();
    void Form_Load();
    void FirstActivate();
    void txtUserName_Change();
    void chkpwdSave_Click();
    void txtPassword_LostFocus();

    bool m_passwordEdited = false;
    bool m_firstActivation = false;
    // Loading puts the stored values into the controls; only changes made once
    // the window is on screen are written back.
    bool m_onScreen = false;
};

} // namespace worktide
