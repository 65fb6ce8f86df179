#include "I2cBus.h"

#include "Platform.h"

#include <cstdio>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <sys/ioctl.h>
#include <unistd.h>

I2cBus::I2cBus(int busNumber)
    : bus(busNumber)
{
}

int I2cBus::open()
{
    const QString boardPath = QStringLiteral("/dev/i2c-") + QString::number(bus);
    fd = ::open(platform::sysPath(boardPath).toLocal8Bit().constData(), O_RDWR);
    if (fd < 0) {
        std::printf("Error, could not open %s\n", boardPath.toLocal8Bit().constData());
        std::fflush(stdout);
        return 1;
    }
    return 0;
}

void I2cBus::close()
{
    if (fd >= 1) {
        ::close(fd);
        fd = -1;
    }
}

int I2cBus::readFrom(int address, void *buffer, std::size_t length)
{
    if (::ioctl(fd, I2C_SLAVE, address) < 0) {
        std::printf("Error, I2C_SLAVE ioctl error\n");
        std::fflush(stdout);
        return 1;
    }
    return int(::read(fd, buffer, length));
}

int I2cBus::writeTo(int address, const void *buffer, std::size_t length)
{
    if (::ioctl(fd, I2C_SLAVE, address) < 0) {
        std::printf("Error, I2C_SLAVE ioctl error\n");
        std::fflush(stdout);
        return 1;
    }
    return int(::write(fd, buffer, length));
}

I2cDevice::I2cDevice(int address, I2cBus *bus)
    : i2cBus(bus)
    , slaveAddress(address)
{
}
