#pragma once

#include <QString>

// Process-wide state that start-up and sign-in settle once and every window reads.
namespace worktide {

extern QString gAppTitle;         // default title of message boxes
extern QString gDBServerHost;     // database host in use
extern QString gUpdateServerHost; // host the update folder is read from
extern QString gUserId;           // signed-in user's id as typed
extern QString gUserName;         // signed-in user's display name (owner name of entries)
extern qint16 gUserLevel;         // signed-in user's level

// Signs a user in for its lifetime (name, id and level) and then puts back who was signed in before.
class ScopedSignedInUser {
public:
    explicit ScopedSignedInUser(const QString& name, const QString& id = {}, qint16 level = 0);
    ~ScopedSignedInUser();
    ScopedSignedInUser(const ScopedSignedInUser&) = delete;
    ScopedSignedInUser& operator=(const ScopedSignedInUser&) = delete;

private:
    QString m_name;
    QString m_id;
    qint16 m_level;
};

} // namespace worktide
