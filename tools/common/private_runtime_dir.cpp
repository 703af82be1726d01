#include "tools/private_runtime_dir.h"

#include <stdlib.h>

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace quellbox::tools {

PrivateRuntimeDir::PrivateRuntimeDir(const QString& prefix) {
    QByteArray pattern = QFile::encodeName(QDir::tempPath() + '/' + prefix) + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {  // mkdtemp creates it 0700
        throw std::runtime_error("cannot create a private runtime folder in " +
                                 QDir::tempPath().toStdString());
    }
    path_ = QFile::decodeName(pattern);
}

PrivateRuntimeDir::~PrivateRuntimeDir() {
    QDir(path_).removeRecursively();
}

void PrivateRuntimeDir::use_for_this_process() const {
    ::setenv("XDG_RUNTIME_DIR", QFile::encodeName(path_).constData(), 1);
}

}  // namespace quellbox::tools
