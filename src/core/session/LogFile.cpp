#include "core/session/LogFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Device and inode of the file a path leads to, symbolic links followed.
bool identity(const QString &path, dev_t *device, ino_t *inode)
{
    struct stat s = {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &s) != 0)
        return false;
    *device = s.st_dev;
    *inode = s.st_ino;
    return true;
}

} // namespace

QString LogFile::clashingInput(const QString &path, const QStringList &inputs)
{
    dev_t device = 0;
    ino_t inode = 0;
    // A file that does not exist yet is none of the inputs, which were all read.
    if (!identity(path, &device, &inode))
        return QString();
    for (const QString &input : inputs) {
        dev_t inputDevice = 0;
        ino_t inputInode = 0;
        if (identity(input, &inputDevice, &inputInode) && inputDevice == device &&
            inputInode == inode)
            return input;
    }
    return QString();
}

QString LogFile::plainText(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code == '\r')
            plain += QLatin1String("\\r");
        else if (code == '\n')
            plain += QLatin1String("\\n");
        else if (code < 0x20 || (code >= 0x7F && code < 0xA0))
            plain += QLatin1String("\\x") +
                     QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            plain += c;
    }
    return plain;
}

bool LogFile::open(const QString &path)
{
    m_file.setFileName(path);
    m_error.clear();
    struct stat s = {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &s) == 0 && !S_ISREG(s.st_mode)) {
        // O_NONBLOCK: a FIFO without a reader fails with ENXIO instead of waiting for one.
        const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            m_error = errno == ENXIO ? QStringLiteral("no program reads it")
                                     : QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        if (!m_file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                         QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            m_error = m_file.errorString();
            return false;
        }
        return true;
    }
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

void LogFile::check(bool ok)
{
    if (!ok && m_error.isEmpty())
        m_error = m_file.errorString();
}

void LogFile::write(const QString &line)
{
    if (!m_file.isOpen() || !m_error.isEmpty())
        return;
    check(m_file.write((plainText(line) + QLatin1Char('\n')).toUtf8()) >= 0);
    if (m_live)
        flush();
}

void LogFile::flush()
{
    if (m_file.isOpen() && m_error.isEmpty())
        check(m_file.flush());
}

bool LogFile::finish()
{
    if (!m_file.isOpen())
        return m_error.isEmpty();
    flush();
    m_file.close();
    check(m_file.error() == QFileDevice::NoError);
    return m_error.isEmpty();
}
