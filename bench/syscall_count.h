#pragma once
// System calls of running processes, counted by `strace -c -f` attached for a while. strace
// slows what it watches, so the bench attaches it only in a phase of its own, never while it
// times anything.

#include <QProcess>
#include <QString>
#include <map>
#include <memory>

namespace quellbox::bench {

class SyscallCount {
  public:
    // Attaches to `pid` and all its threads, the summary going to `out_path`.
    SyscallCount(qint64 pid, const QString& out_path);
    ~SyscallCount();
    SyscallCount(const SyscallCount&) = delete;
    SyscallCount& operator=(const SyscallCount&) = delete;

    // Detaches and reads the summary: calls per system call name (empty if strace failed).
    std::map<QString, double> stop();

  private:
    QProcess strace_;
    QString out_path_;
};

bool have_strace();

}  // namespace quellbox::bench
