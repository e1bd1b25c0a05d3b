#include "DescriptorDevice.h"

#include "OpenDatabaseFiles.h"
#include "PartFile.h"

#include <QByteArray>

#include <cerrno>
#include <system_error>
#include <utility>

#include <unistd.h>

namespace trellum {

namespace {

QString systemText(int number)
{
    return QString::fromStdString(std::generic_category().message(number));
}

} // namespace

DescriptorDevice::DescriptorDevice(int fd)
    : m_fd(fd)
{
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

DescriptorDevice::~DescriptorDevice() = default;

bool DescriptorDevice::closeChecked()
{
    QIODevice::close();
    if (m_fd < 0)
        return true;
    if (::close(std::exchange(m_fd, -1)) != 0 && errno != EINTR) {
        setErrorString(systemText(errno));
        return false;
    }
    return true;
}

qint64 DescriptorDevice::readData(char*, qint64)
{
    return -1;
}

qint64 DescriptorDevice::writeData(const char* data, qint64 size)
{
    if (m_fd < 0) {
        setErrorString(QStringLiteral("标准输出已关闭"));
        return -1;
    }
    QString database;
    if (OpenDatabaseFiles::holdsDescriptor(m_fd, &database)) {
        setErrorString(QStringLiteral("标准输出就是正在读取的数据库文件 %1，不能写到它上面。").arg(database));
        return -1;
    }
    if (!PartFile::writeAll(m_fd, QByteArray::fromRawData(data, qsizetype(size)))) {
        setErrorString(systemText(errno));
        return -1;
    }
    return size;
}

} // namespace trellum
