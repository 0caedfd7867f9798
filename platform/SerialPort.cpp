#include "platform/SerialPort.h"

#include "platform/Clock.h"

#include <QByteArray>
#include <QMap>
#include <QMutex>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct DeviceRange {
    int first;
    int last;
    const char *prefix;
};

constexpr DeviceRange ComPortTable[] = {
    {1, 32, "/dev/ttyS"},
    {33, 48, "/dev/ttyUSB"},
    {49, 64, "/dev/ttyACM"},
};

QMutex OverrideLock;
QMap<int, QString> &Overrides() {
    static QMap<int, QString> overrides;
    return overrides;
}

speed_t SpeedCode(std::uint32_t baudRate) {
    switch (baudRate) {
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    default:
        return B0;
    }
}

} // namespace

QString ComPortDevice(int port) {
    {
        QMutexLocker lock(&OverrideLock);
        const auto found = Overrides().constFind(port);
        if (found != Overrides().constEnd())
            return *found;
    }
    for (const DeviceRange &range : ComPortTable)
        if (port >= range.first && port <= range.last)
            return QString::fromLatin1(range.prefix) + QString::number(port - range.first);
    return QString();
}

void SetComPortDevice(int port, const QString &device) {
    QMutexLocker lock(&OverrideLock);
    if (device.isEmpty())
        Overrides().remove(port);
    else
        Overrides().insert(port, device);
}

SerialPort::~SerialPort() {
    Close();
}

bool SerialPort::Open(int port) {
    Close();
    const QByteArray device = ComPortDevice(port).toLocal8Bit();
    if (device.isEmpty())
        return false;
    const int fd = ::open(device.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Exclusive as the platform's serial ports are: a second opener fails.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !::isatty(fd)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void SerialPort::Close() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
}

bool SerialPort::Configure(std::uint32_t baudRate) {
    termios tio{};
    const speed_t speed = SpeedCode(baudRate);
    if (fd_ < 0 || speed == B0 || ::tcgetattr(fd_, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS | CSIZE);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0 || ::tcsetattr(fd_, TCSANOW, &tio) != 0)
        return false;
    // A terminal without modem lines has no DTR and RTS to raise either.
    int lines = TIOCM_DTR | TIOCM_RTS;
    return ::ioctl(fd_, TIOCMBIS, &lines) == 0 || errno == ENOTTY || errno == EINVAL;
}

int SerialPort::Read(std::uint8_t *data, std::size_t size) {
    if (fd_ < 0)
        return -1;
    const ssize_t got = ::read(fd_, data, size);
    if (got >= 0)
        return int(got);
    return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : -1;
}

bool SerialPort::Write(const std::uint8_t *data, std::size_t size, std::uint32_t timeoutMs) {
    if (fd_ < 0)
        return false;
    const std::uint32_t start = GetTickCount();
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = ::write(fd_, data + done, size - done);
        if (put > 0) {
            done += std::size_t(put);
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (TicksSince(start) >= timeoutMs)
            return false;
        Sleep(1);
    }
    return true;
}

bool SerialPort::Flush() {
    return fd_ >= 0 && ::tcdrain(fd_) == 0;
}

bool SerialPort::GetModemLines(ModemLines &lines) {
    if (fd_ < 0)
        return false;
    int status = 0;
    if (::ioctl(fd_, TIOCMGET, &status) != 0) {
        if (errno != ENOTTY && errno != EINVAL)
            return false;
        lines.Dsr = lines.Cts = true;
        return true;
    }
    lines.Dsr = (status & TIOCM_DSR) != 0;
    lines.Cts = (status & TIOCM_CTS) != 0;
    return true;
}

bool SerialPort::HasModemLines() {
    int status = 0;
    return fd_ >= 0 && ::ioctl(fd_, TIOCMGET, &status) == 0;
}
