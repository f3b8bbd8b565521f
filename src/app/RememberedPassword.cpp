#include "app/RememberedPassword.h"

#include "app/frmLogin.h"
#include "support/SecretStore.h"

namespace worktide {
namespace {

const QString kPasswd = QStringLiteral("passwd");

// The secret service is only asked while the user wants the password kept: a user who
// never ticks the box never waits for it.
bool Remembering(const QString& userId) {
    return !userId.isEmpty() && LoginSetting(QStringLiteral("issave_passwd"), QStringLiteral("0")).toInt() != 0;
}

} // namespace

const QString kPasswordService = QStringLiteral("도담 스케줄관리");

QString LoadRememberedPassword(const QString& userId, const QString& defaultValue) {
    const QString filed = LoginSetting(kPasswd, defaultValue);
    if (!filed.isEmpty() || !Remembering(userId))
        return filed;
    QString secret;
    if (ReadSecret(kPasswordService, userId, secret) == SecretStatus::Ok)
        return secret;
    return filed;
}

void SaveRememberedPassword(const QString& userId, const QString& password) {
    if (!userId.isEmpty()) {
        if (password.isEmpty()) {
            DeleteSecret(kPasswordService, userId);
        } else if (WriteSecret(kPasswordService, userId, password) == SecretStatus::Ok) {
            SaveLoginSetting(kPasswd, QString());
            return;
        }
    }
    SaveLoginSetting(kPasswd, password);
}

void MoveRememberedPassword(const QString& userId) {
    if (!Remembering(userId))
        return;
    const QString filed = LoginSetting(kPasswd);
    if (!filed.isEmpty() && WriteSecret(kPasswordService, userId, filed) == SecretStatus::Ok)
        SaveLoginSetting(kPasswd, QString());
}

} // namespace worktide
