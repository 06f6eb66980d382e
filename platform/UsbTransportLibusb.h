#pragma once
// The real instrument: libusb-1.0 bulk transfers on interface 0. Pipe 0 is
// the interface's bulk OUT endpoint, pipe 1 its bulk IN endpoint.
#include "platform/UsbTransport.h"

struct libusb_context;
struct libusb_device_handle;

class LibUsbTransport : public UsbTransport {
  public:
    LibUsbTransport() = default;
    ~LibUsbTransport() override;
    LibUsbTransport(const LibUsbTransport&) = delete;
    LibUsbTransport& operator=(const LibUsbTransport&) = delete;

    int openDevice(std::uint16_t vendorId, std::uint16_t productId) override;
    int openPipe(int device, int interfaceNo, int pipe) override;
    void closePipe(int pipeHandle) override;
    void closeDevice(int device) override;
    bool write(int pipeHandle, const QByteArray& bytes, int timeoutMs) override;
    UsbReadStatus read(int pipeHandle, QByteArray& out, int maxLength, int timeoutMs) override;

  private:
    void release();
    // Endpoint address of an open pipe handle, or -1.
    int endpointOf(int pipeHandle) const;

    libusb_context* context = nullptr;
    libusb_device_handle* handle = nullptr;
    int claimedInterface = -1;
    int openEndpoints[2] = {-1, -1}; // [pipe 0 (out), pipe 1 (in)]
};
