// Saving a file whole or not at all.
#include "monitor/wholefile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

namespace {

#if defined(Q_OS_UNIX)

bool fail(FileFailure* failure, int error) {
    if (failure)
        *failure = {error, QString::fromLocal8Bit(std::strerror(error))};
    return false;
}

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that takes nothing without an error would loop for ever.
            if (n == 0)
                errno = EIO;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// A device or a pipe keeps its node: what it takes is all there is to check.
bool writeInPlace(const QByteArray& target, const QByteArray& bytes, FileFailure* failure) {
    const int fd = ::open(target.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return fail(failure, errno);
    if (!writeAll(fd, bytes)) {
        const int error = errno;
        ::close(fd);
        return fail(failure, error);
    }
    if (::close(fd) != 0)
        return fail(failure, errno);
    return true;
}

#endif

} // namespace

bool writeWholeFile(const QString& path, const QByteArray& bytes, FileFailure* failure) {
#if defined(Q_OS_UNIX)
    // Through a symbolic link the file it names is replaced, and the link stays.
    const QFileInfo info(path);
    const QString finalPath = info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
    const QByteArray target = QFile::encodeName(finalPath);
    struct stat existing {};
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return fail(failure, EISDIR);
    if (exists && !S_ISREG(existing.st_mode))
        return writeInPlace(target, bytes, failure);

    const QFileInfo finalInfo(finalPath);
    QByteArray temporary =
        QFile::encodeName(finalInfo.absolutePath() + QStringLiteral("/.") + finalInfo.fileName()) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(failure, errno);
    mode_t mode = existing.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    // fsync before the rename: a file system that allots its blocks late says only then that it
    // is full.
    bool written = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && ::rename(temporary.constData(), target.constData()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temporary.constData());
        return fail(failure, error);
    }
    return true;
#else
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (failure)
            *failure = {0, file.errorString()};
        return false;
    }
    return true;
#endif
}

QString fileFailureText(const FileFailure& failure) {
#if defined(Q_OS_UNIX)
    static const struct {
        int error;
        const char* text;
    } named[] = {
        {ENOSPC, QT_TRANSLATE_NOOP("FileFailure", "磁盘已满")},
        {EDQUOT, QT_TRANSLATE_NOOP("FileFailure", "超出了磁盘配额")},
        {EFBIG, QT_TRANSLATE_NOOP("FileFailure", "文件超出了允许的大小")},
        {EACCES, QT_TRANSLATE_NOOP("FileFailure", "没有写入权限")},
        {EPERM, QT_TRANSLATE_NOOP("FileFailure", "没有写入权限")},
        {ENOENT, QT_TRANSLATE_NOOP("FileFailure", "文件夹不存在")},
        {ENOTDIR, QT_TRANSLATE_NOOP("FileFailure", "路径中有一段不是文件夹")},
        {EISDIR, QT_TRANSLATE_NOOP("FileFailure", "这是一个文件夹")},
        {EROFS, QT_TRANSLATE_NOOP("FileFailure", "文件系统只读")},
        {ENAMETOOLONG, QT_TRANSLATE_NOOP("FileFailure", "文件名太长")},
        {EIO, QT_TRANSLATE_NOOP("FileFailure", "设备读写出错")},
    };
    for (const auto& n : named)
        if (n.error == failure.error)
            return QCoreApplication::translate("FileFailure", n.text);
#endif
    // Errors too rare to name here keep the system's own words, with their number.
    if (failure.error == 0)
        return failure.system;
    return QCoreApplication::translate("FileFailure", "系统错误 %1（%2）")
        .arg(failure.error)
        .arg(failure.system);
}
