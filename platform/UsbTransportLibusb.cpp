#include "platform/UsbTransportLibusb.h"

#include <libusb.h>

#include <QtGlobal>

namespace {

constexpr int kDeviceHandle = 1;
// Pipe handles are the endpoint address plus this, so none is 0 or -1.
constexpr int kPipeBase = 0x100;

// The first endpoint of the interface in the wanted direction, preferring a
// bulk one; -1 when there is none.
int findEndpoint(libusb_device_handle* h, int interfaceNo, bool in)
{
    libusb_config_descriptor* cfg = nullptr;
    if (libusb_get_active_config_descriptor(libusb_get_device(h), &cfg) != 0 || !cfg)
        return -1;
    int found = -1;
    int fallback = -1;
    for (int i = 0; i < cfg->bNumInterfaces && found < 0; ++i) {
        const libusb_interface& itf = cfg->interface[i];
        if (itf.num_altsetting < 1)
            continue;
        const libusb_interface_descriptor& alt = itf.altsetting[0];
        if (alt.bInterfaceNumber != interfaceNo)
            continue;
        for (int e = 0; e < alt.bNumEndpoints; ++e) {
            const libusb_endpoint_descriptor& ep = alt.endpoint[e];
            bool isIn = (ep.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN;
            if (isIn != in)
                continue;
            if ((ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) == LIBUSB_TRANSFER_TYPE_BULK) {
                found = ep.bEndpointAddress;
                break;
            }
            if (fallback < 0)
                fallback = ep.bEndpointAddress;
        }
    }
    libusb_free_config_descriptor(cfg);
    return found >= 0 ? found : fallback;
}

} // namespace

LibUsbTransport::~LibUsbTransport()
{
    release();
}

void LibUsbTransport::release()
{
    openEndpoints[0] = openEndpoints[1] = -1;
    if (handle) {
        if (claimedInterface >= 0)
            libusb_release_interface(handle, claimedInterface);
        libusb_close(handle);
        handle = nullptr;
    }
    claimedInterface = -1;
    if (context) {
        libusb_exit(context);
        context = nullptr;
    }
}

int LibUsbTransport::openDevice(std::uint16_t vendorId, std::uint16_t productId)
{
    release();
    if (libusb_init(&context) != 0) {
        context = nullptr;
        return -1;
    }
    handle = libusb_open_device_with_vid_pid(context, vendorId, productId);
    if (!handle) {
        release();
        return -1;
    }
    // A kernel driver bound to the interface is set aside while we hold it.
    libusb_set_auto_detach_kernel_driver(handle, 1);
    return kDeviceHandle;
}

int LibUsbTransport::openPipe(int device, int interfaceNo, int pipe)
{
    if (device != kDeviceHandle || !handle || pipe < 0 || pipe > 1)
        return -1;
    if (claimedInterface != interfaceNo) {
        if (claimedInterface >= 0)
            return -1;
        if (libusb_claim_interface(handle, interfaceNo) != 0)
            return -1;
        claimedInterface = interfaceNo;
    }
    int ep = findEndpoint(handle, interfaceNo, pipe == 1);
    if (ep < 0)
        return -1;
    openEndpoints[pipe] = ep;
    return kPipeBase + ep;
}

int LibUsbTransport::endpointOf(int pipeHandle) const
{
    int ep = pipeHandle - kPipeBase;
    if (!handle || ep < 0)
        return -1;
    if (ep == openEndpoints[0] || ep == openEndpoints[1])
        return ep;
    return -1;
}

void LibUsbTransport::closePipe(int pipeHandle)
{
    int ep = endpointOf(pipeHandle);
    for (int& e : openEndpoints)
        if (ep >= 0 && e == ep)
            e = -1;
}

void LibUsbTransport::closeDevice(int device)
{
    if (device == kDeviceHandle)
        release();
}

bool LibUsbTransport::write(int pipeHandle, const QByteArray& bytes, int timeoutMs)
{
    int ep = endpointOf(pipeHandle);
    if (ep < 0 || (ep & LIBUSB_ENDPOINT_DIR_MASK) != LIBUSB_ENDPOINT_OUT)
        return false;
    QByteArray buffer = bytes;
    int transferred = 0;
    int rc = libusb_bulk_transfer(handle, static_cast<unsigned char>(ep),
                                  reinterpret_cast<unsigned char*>(buffer.data()), int(buffer.size()),
                                  &transferred, static_cast<unsigned int>(qMax(1, timeoutMs)));
    return rc == 0;
}

UsbReadStatus LibUsbTransport::read(int pipeHandle, QByteArray& out, int maxLength, int timeoutMs)
{
    out.clear();
    int ep = endpointOf(pipeHandle);
    if (ep < 0 || (ep & LIBUSB_ENDPOINT_DIR_MASK) != LIBUSB_ENDPOINT_IN || maxLength <= 0)
        return UsbReadStatus::Failed;
    QByteArray buffer(maxLength, '\0');
    int transferred = 0;
    int rc = libusb_bulk_transfer(handle, static_cast<unsigned char>(ep),
                                  reinterpret_cast<unsigned char*>(buffer.data()), maxLength, &transferred,
                                  static_cast<unsigned int>(qMax(1, timeoutMs)));
    if (rc == LIBUSB_ERROR_TIMEOUT && transferred == 0)
        return UsbReadStatus::TimedOut;
    if (rc != 0 && rc != LIBUSB_ERROR_TIMEOUT)
        return UsbReadStatus::Failed;
    out = buffer.left(transferred);
    return UsbReadStatus::Ok;
}
