#pragma once

#include <QString>

#include <memory>

// The three-node cluster of scripts/cluster, seen from a test or a benchmark: its
// addresses, the script's actions (start, kill a node, restart it, root statements) and
// statements on one node over a connection of their own that first waits until the node
// has applied everything the cluster committed before (so a read sees every write).
namespace worktide::test {

class ScratchDatabase;

struct Cluster {
    static constexpr const char* kProxyHost = "127.0.0.10";
    static QString ProxyHost() { return QString::fromLatin1(kProxyHost); }
    static QString NodeHost(int node); // 127.0.0.11 .. 127.0.0.13

    // "" when the cluster answers through the proxy; otherwise why the cluster tests skip.
    static QString UnavailableReason();
    // scripts/cluster start: every node Synced in a cluster of three (restarts lost nodes).
    static bool Start();
    // SIGKILL of the node's server, as a crash would; returns once the process is gone.
    static bool Kill(int node);
    // The node back in the cluster, caught up and Synced.
    static bool Restart(int node);
    static bool RootSql(int node, const QString& sql);
    // The process id of the node's server from its pid file (0 when it has none), for a
    // caller that kills it itself to time what follows from the very moment.
    static qint64 NodePid(int node);

    // "Synced 3": wsrep_local_state_comment and wsrep_cluster_size of a node.
    static QString State(int node);
    static QString StatusValue(int node, const QString& name);

    // A scratch database on every node once this returns; its own connections use the proxy.
    static std::unique_ptr<ScratchDatabase> MakeScratchDatabase(const QString& suite);

    // One statement on one node with the program's account; throws on failure.
    // causal: wait first until the node has applied all the cluster committed before.
    static QString Scalar(int node, const QString& db, const QString& sql, bool causal = true);
    // Returns the rows the statement changed.
    static long Exec(int node, const QString& db, const QString& sql);
};

} // namespace worktide::test
