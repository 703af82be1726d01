#pragma once
// A runtime folder of one's own, so the port links the virtual board publishes there never meet
// a running demo's or another run's.

#include <QString>

namespace quellbox::tools {

// A fresh 0700 folder "<temp>/<prefix>-XXXXXX", removed with everything in it by the destructor.
class PrivateRuntimeDir {
  public:
    explicit PrivateRuntimeDir(const QString& prefix);
    ~PrivateRuntimeDir();
    PrivateRuntimeDir(const PrivateRuntimeDir&) = delete;
    PrivateRuntimeDir& operator=(const PrivateRuntimeDir&) = delete;

    const QString& path() const { return path_; }
    // Points this process's XDG_RUNTIME_DIR at the folder (children started later inherit it).
    void use_for_this_process() const;

  private:
    QString path_;
};

}  // namespace quellbox::tools
