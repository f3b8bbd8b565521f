#pragma once

#include <QString>

// Certificates for servers that offer TLS, made with the openssl tool in a folder of the
// test's: ca.pem, a server certificate it signs (server.pem, server.key) made out to one
// IP address, and other-ca.pem, a CA that signed nothing of it.
namespace worktide::test {

// Empties folder first. False when openssl fails (its messages go to standard error).
bool MakeTestCertificates(const QString& folder, const QString& serverAddress);

} // namespace worktide::test
