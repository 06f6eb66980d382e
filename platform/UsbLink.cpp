#include "platform/UsbLink.h"

#include "platform/UsbTransportLibusb.h"

#include <QDebug>
#include <QDeadlineTimer>

namespace UsbLink {

UsbTransport& transport()
{
    if (!Global::InstrumentTransport)
        Global::InstrumentTransport = std::make_shared<LibUsbTransport>();
    return *Global::InstrumentTransport;
}

void setTransport(std::shared_ptr<UsbTransport> t)
{
    Global::InstrumentTransport = std::move(t);
}

int openMask()
{
    return transport().openDevice(VendorId, ProductId);
}

int openPipe(int device, int pipe)
{
    return transport().openPipe(device, InterfaceNo, pipe);
}

void closePipe(int pipeHandle)
{
    transport().closePipe(pipeHandle);
}

void closeDevice(int device)
{
    transport().closeDevice(device);
}

bool writePipe(int pipeHandle, const QByteArray& bytes)
{
    return transport().write(pipeHandle, bytes, Global::UsbReadTimeoutMs);
}

ReadResult readPipe(int pipeHandle, int maxLength, int timeoutMs)
{
    const int limit = timeoutMs < 0 ? Global::UsbReadTimeoutMs : timeoutMs;
    ReadResult r;
    if (!Global::UsbWaitHook) {
        r.status = transport().read(pipeHandle, r.bytes, maxLength, limit);
    } else {
        // A long wait in short reads, the windows repainted between them. A
        // packet arrives whole within one read, so nothing is lost between
        // the slices.
        QDeadlineTimer deadline(limit);
        for (;;) {
            const int left = int(qMax<qint64>(0, deadline.remainingTime()));
            r.status = transport().read(pipeHandle, r.bytes, maxLength, qMin(left, Global::UsbWaitSliceMs));
            if (r.status != UsbReadStatus::TimedOut || deadline.hasExpired())
                break;
            if (Global::UsbWaitHook)
                Global::UsbWaitHook();
        }
    }
    if (r.bytes.size() > maxLength)
        r.bytes.truncate(maxLength);
    return r;
}

void closeAll()
{
    if (Global::UsbOpenFlag && Global::InstrumentTransport) {
        Global::InstrumentTransport->closePipe(Global::hPipeOut);
        Global::InstrumentTransport->closePipe(Global::hPipeIn);
        Global::InstrumentTransport->closeDevice(Global::hUsbDevice);
    }
    Global::UsbOpenFlag = false;
}

void noteFailure(const QString& line)
{
    Global::UsbLastFailure = line;
    qWarning().noquote() << "instrument link:" << line;
}

QString printable(const QByteArray& bytes)
{
    QString s;
    for (char c : bytes) {
        auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && u != '\\')
            s += QChar(u);
        else
            s += QStringLiteral("\\x%1").arg(u, 2, 16, QChar(u'0'));
    }
    return u'"' + s + u'"';
}

} // namespace UsbLink
