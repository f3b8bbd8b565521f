#include "app/frmLogin.h"

#include "app/RememberedPassword.h"
#include "app/modMain.h"
#include "db/modDodamDBConsts.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/PasswordDigest.h"
#include "support/VbError.h"
#include "ui/shared/ShowMessages.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

namespace worktide {
namespace {
const QString kForm = QStringLiteral("frmLogin");
const ProcErrorReporter ReportError{QStringLiteral("Form"), kForm};

bool IsEnterKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

frmLogin::frmLogin(QWidget* parent) : QDialog(parent) {
    BuildUi();
    Form_Load();
}

frmLogin::~frmLogin() = default;

void frmLogin::BuildUi() {
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("로그인"));
    setModal(true);

    lblLabels[0] = new QLabel(QStringLiteral("아이디(&U):"), this);
    lblLabels[1] = new QLabel(QStringLiteral("암호(&P):"), this);
    lblLabels[0]->setObjectName(QStringLiteral("lblLabels_0"));
    lblLabels[1]->setObjectName(QStringLiteral("lblLabels_1"));
    txtUserName = new QLineEdit(this);
    txtUserName->setObjectName(QStringLiteral("txtUserName"));
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    lblLabels[0]->setBuddy(txtUserName);
    lblLabels[1]->setBuddy(txtPassword);
    chkpwdSave = new QCheckBox(QStringLiteral("저장"), this);
    chkpwdSave->setObjectName(QStringLiteral("chkpwdSave"));
    cmdOK = new QPushButton(QStringLiteral("확인"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel = new QPushButton(QStringLiteral("취소"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // OK is the default button (Enter on the check box signs in); Enter in the text
    // boxes has its own meaning and never reaches it. Escape acts as Cancel.
    cmdOK->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblLabels[0], 0, 0);
    grid->addWidget(txtUserName, 0, 1, 1, 2);
    grid->addWidget(lblLabels[1], 1, 0);
    grid->addWidget(txtPassword, 1, 1);
    grid->addWidget(chkpwdSave, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 2, 0, 1, 3);
    setTabOrder(txtUserName, txtPassword);
    setTabOrder(txtPassword, chkpwdSave);
    setTabOrder(chkpwdSave, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    setFixedWidth(320);

    txtUserName->installEventFilter(this);
    txtPassword->installEventFilter(this);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(txtUserName, &QLineEdit::textChanged, this, [this] { txtUserName_Change(); });
    connect(txtPassword, &QLineEdit::textEdited, this, [this] { m_passwordEdited = true; });
    connect(chkpwdSave, &QCheckBox::toggled, this, [this] { chkpwdSave_Click(); });
}

void frmLogin::Form_Load() {
    try {
        txtUserName->setText(LoginSetting(QStringLiteral("userid"), QString()));
        txtPassword->setText(LoadRememberedPassword(txtUserName->text(), txtPassword->text()));
        chkpwdSave->setChecked(LoginSetting(QStringLiteral("issave_passwd"), QStringLiteral("0")).toInt() != 0);
        if (!txtUserName->text().isEmpty()) {
            // Out of the tab order, so that the focus starts on the password box.
            txtUserName->setFocusPolicy(Qt::ClickFocus);
            txtPassword->setFocus();
        }
        m_firstActivation = true;
    } catch (const std::exception& e) {
        ReportError(e, QStringLiteral("Form_Load"));
    }
}

void frmLogin::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_onScreen = true;
    if (m_firstActivation) {
        m_firstActivation = false;
        // Queued, so that the window is really up before the check and a possible
        // automatic sign-in run.
        QTimer::singleShot(0, this, [this] { FirstActivate(); });
    }
}

void frmLogin::FirstActivate() {
    try {
        const QString allowedId = GetAllowMyPC();
        ShowDbFailures();
        if (allowedId.isEmpty()) {
            MsgBox(QStringLiteral("허용되지 않은 컴퓨터입니다. 관리자에게 문의바랍니다."), vbOKOnly | vbInformation,
                   gAppTitle);
            ExitProgram();
            return;
        }
        if (allowedId == QLatin1String("hbr") || allowedId == QLatin1String("pyn") ||
            allowedId == QLatin1String("wonjae")) {
            txtUserName->setText(allowedId);
        } else if (allowedId == QLatin1String("ksd") || allowedId == QLatin1String("dahyun") ||
                   allowedId == QLatin1String("jmo") || allowedId == QLatin1String("ruso")) {
            txtUserName->setText(QStringLiteral("seoul"));
        }
        if (!txtUserName->text().isEmpty() && !txtPassword->text().isEmpty())
            cmdOK_Click();
    } catch (const std::exception& e) {
        ReportError(e, QStringLiteral("Form_Activate"));
    }
}

void frmLogin::cmdOK_Click() {
    try {
        // The password is hashed here, not by the server: it never travels nor lands in a log.
        const std::optional<QString> digest = PasswordDigest(txtPassword->text());
        const QString where = QStringLiteral("id = '") + EscapeSQL(txtUserName->text()) +
                              QStringLiteral("' AND password2 = '") + digest.value_or(QString()) + QStringLiteral("'");
        if (digest && GetRowCount(QStringLiteral("user"), where) >= 1) {
            LoginSucceeded = true;
            gUserId = txtUserName->text();
            // The id is escaped here too: an id with an apostrophe must find its own row.
            RecordsetPtr rs;
            OpenRecordset(rs, QStringLiteral("SELECT name, level FROM user WHERE id = '") + EscapeSQL(gUserId) +
                                  QStringLiteral("'"));
            ShowDbFailures();
            if (rs && !rs->isEOF()) {
                gUserName = rs->Value(QStringLiteral("name"));
                gUserLevel = static_cast<qint16>(rs->Value(QStringLiteral("level")).toShort());
            }
            CloseRecordset(rs);
            // Leaving with Enter from the password box must remember it like leaving the box does.
            txtPassword_LostFocus();
            MoveRememberedPassword(gUserId);
            accept();
            return;
        }
        ShowDbFailures();
        MsgBox(QStringLiteral("암호가 잘못되었습니다. 다시 시도하십시오"), vbOKOnly, QStringLiteral("로그인"));
        // The box may have kept the focus all along, or get it back with the window:
        // neither counts as getting the focus, so the retyped password would be appended.
        txtPassword->setFocus();
        txtPassword->selectAll();
    } catch (const std::exception& e) {
        ReportError(e, QStringLiteral("cmdOK_Click"));
    }
}

void frmLogin::cmdCancel_Click() {
    LoginSucceeded = false;
    QDialog::reject();
}

// Escape and the window's close button give up like Cancel.
void frmLogin::reject() {
    cmdCancel_Click();
}

void frmLogin::txtUserName_Change() {
    if (!m_onScreen)
        return;
    try {
        SaveLoginSetting(QStringLiteral("userid"), txtUserName->text());
    } catch (const std::exception& e) {
        ReportError(e, QStringLiteral("txtUserName_Change"));
    }
}

void frmLogin::chkpwdSave_Click() {
    if (!m_onScreen)
        return;
    try {
        const bool ticked = chkpwdSave->isChecked();
        SaveLoginSetting(QStringLiteral("issave_passwd"), ticked ? QStringLiteral("1") : QStringLiteral("0"));
        SaveRememberedPassword(txtUserName->text(), ticked ? txtPassword->text() : QString());
    } catch (const std::exception& e) {
        ReportError(e, QStringLiteral("chkpwdSave_Click"));
    }
}

void frmLogin::txtPassword_LostFocus() {
    if (!m_onScreen || !chkpwdSave->isChecked() || !m_passwordEdited)
        return;
    try {
        SaveRememberedPassword(txtUserName->text(), txtPassword->text());
    } catch (const std::exception& e) {
        ReportError(e, QStringLiteral("txtPassword_LostFocus"));
    }
}

bool frmLogin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtUserName && IsEnterKey(event)) {
        txtPassword->setFocus();
        return true;
    }
    if (watched == txtPassword) {
        if (IsEnterKey(event)) {
            cmdOK_Click();
            return true;
        }
        // Focus that leaves or returns with the whole window (a message box, switching
        // away) is not the box losing or getting the focus.
        if (event->type() == QEvent::FocusIn &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason) {
            // Queued: a mouse click that gave the focus would otherwise undo the selection.
            QTimer::singleShot(0, txtPassword, [this] { txtPassword->selectAll(); });
            m_passwordEdited = false;
        } else if (event->type() == QEvent::FocusOut &&
                   static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason &&
                   static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            txtPassword_LostFocus();
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace worktide
