#include "TestCertificates.h"

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace worktide::test {
namespace {

bool Openssl(const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(u"openssl"_s, args);
    p.waitForFinished(60000);
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

bool MakeTestCertificates(const QString& folder, const QString& serverAddress) {
    QDir(folder).removeRecursively();
    if (!QDir().mkpath(folder))
        return false;
    const auto path = [&folder](const QString& name) { return folder + u'/' + name; };
    // Elliptic-curve keys: made in milliseconds, where RSA keys take a while on a loaded machine.
    const QStringList key = {u"-newkey"_s, u"ec"_s, u"-pkeyopt"_s, u"ec_paramgen_curve:prime256v1"_s, u"-nodes"_s};
    for (const QString& ca : {u"ca"_s, u"other-ca"_s})
        if (!Openssl(QStringList{u"req"_s, u"-x509"_s} + key +
                     QStringList{u"-keyout"_s, path(ca + u".key"_s), u"-out"_s, path(ca + u".pem"_s), u"-days"_s,
                                 u"2"_s, u"-subj"_s, u"/CN=Worktide test "_s + ca}))
            return false;
    QFile ext(path(u"server.ext"_s));
    if (!ext.open(QIODevice::WriteOnly))
        return false;
    // Clients check the address against the subject's alternative names, not the common name.
    ext.write("subjectAltName=IP:" + serverAddress.toLatin1() + "\n");
    ext.close();
    return Openssl(QStringList{u"req"_s} + key +
                   QStringList{u"-keyout"_s, path(u"server.key"_s), u"-out"_s, path(u"server.csr"_s), u"-subj"_s,
                               u"/CN="_s + serverAddress}) &&
           Openssl({u"x509"_s, u"-req"_s, u"-in"_s, path(u"server.csr"_s), u"-CA"_s, path(u"ca.pem"_s), u"-CAkey"_s,
                    path(u"ca.key"_s), u"-CAcreateserial"_s, u"-out"_s, path(u"server.pem"_s), u"-days"_s, u"2"_s,
                    u"-extfile"_s, path(u"server.ext"_s)});
}

} // namespace worktide::test
