#pragma once
// One way of reaching the instrument: a small table of functions with the
// shape of the USB driver library the link was written for (open the device,
// open a pipe, write, read with a time-out, close). The real instrument is
// reached over libusb (LibUsbTransport); SimulatedInstrument is an
// in-process device behind the same table. Nothing above this interface knows
// which one it talks to.
#include <QByteArray>

#include <cstdint>

enum class UsbReadStatus {
    Ok,       // the read returned; `out` holds what arrived (possibly nothing)
    TimedOut, // nothing arrived within the time-out
    Failed,   // the read itself failed (device gone, pipe closed, ...)
};

class UsbTransport {
  public:
    virtual ~UsbTransport() = default;

    // Opens the device with this vendor and product id: a device handle, or
    // -1 when no such device could be opened.
    virtual int openDevice(std::uint16_t vendorId, std::uint16_t productId) = 0;
    // Opens pipe `pipe` of interface `interfaceNo` of an open device (pipe 0
    // out, pipe 1 in): a pipe handle, or -1.
    virtual int openPipe(int device, int interfaceNo, int pipe) = 0;
    virtual void closePipe(int pipeHandle) = 0;
    virtual void closeDevice(int device) = 0;

    // One write of all of `bytes` (an empty write included); false when the
    // write failed or did not finish within the time-out.
    virtual bool write(int pipeHandle, const QByteArray& bytes, int timeoutMs) = 0;
    // One read of at most `maxLength` bytes. `out` is replaced by the bytes
    // that arrived.
    virtual UsbReadStatus read(int pipeHandle, QByteArray& out, int maxLength, int timeoutMs) = 0;
};
