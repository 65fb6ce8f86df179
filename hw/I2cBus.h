#pragma once

#include <cstddef>

// One I2C character device ("/dev/i2c-N"), held open once opened.
class I2cBus
{
public:
    explicit I2cBus(int bus);
    ~I2cBus() { close(); }
    I2cBus(const I2cBus &) = delete;
    I2cBus &operator=(const I2cBus &) = delete;

    // 0 when opened, 1 when the device node could not be opened.
    int open();
    void close();

    // Byte count of the transfer, or 1 when the slave could not be selected.
    int readFrom(int address, void *buffer, std::size_t length);
    int writeTo(int address, const void *buffer, std::size_t length);

    int busNumber() const { return bus; }
    int descriptor() const { return fd; }

private:
    int bus;
    int fd = -1;
};

// A slave address on a bus; the bus must outlive it.
class I2cDevice
{
public:
    I2cDevice(int address, I2cBus *bus);

    I2cBus *bus() const { return i2cBus; }
    int address() const { return slaveAddress; }

private:
    I2cBus *i2cBus;
    int slaveAddress;
};
