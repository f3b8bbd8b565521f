#pragma once

#include <QString>

// The two network reads of the update launcher: the head of the version file and
// whole downloads of the sibling programs. Both bypass every cache and give up
// after their time-outs, so an unreachable update host cannot freeze start-up.
namespace worktide {

// The first bytes (at most 20) of the resource at url, decoded from the ANSI code
// page; empty text on any failure, an HTTP status other than 200 included.
QString ReadUrlHead(const QString& url);

// Stores the resource at url in path. The bytes go to a temporary file beside
// path, which replaces path only when the whole answer (status 200) arrived, and
// is then made executable. A failed download leaves path as it was.
bool DownloadUrlToFile(const QString& url, const QString& path);

struct UpdateHttpTimeouts {
    int connectMs = 3000;
    int headTotalMs = 10000;      // the whole version file read
    int downloadTotalMs = 300000; // one program download
    int stallMs = 30000;          // a download that receives nothing for this long is given up
};
// Tests shorten the time-outs; the defaults suit an intranet update host.
void SetUpdateHttpTimeouts(const UpdateHttpTimeouts& timeouts);
UpdateHttpTimeouts CurrentUpdateHttpTimeouts();

// Installs time-outs for its lifetime and then puts back the ones in force before.
class ScopedUpdateHttpTimeouts {
public:
    explicit ScopedUpdateHttpTimeouts(const UpdateHttpTimeouts& timeouts);
    ~ScopedUpdateHttpTimeouts();
    ScopedUpdateHttpTimeouts(const ScopedUpdateHttpTimeouts&) = delete;
    ScopedUpdateHttpTimeouts& operator=(const ScopedUpdateHttpTimeouts&) = delete;

private:
    UpdateHttpTimeouts m_previous;
};

} // namespace worktide
