// The serial-port seam (the window's MSComm1): exactly the operations the console uses.
// The product implementation sits on QSerialPort; tests use a fake that records every write.
#pragma once

#include "link/portadvice.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>

class LinkTrace;

class SerialPort : public QObject {
    Q_OBJECT
public:
    // CommEvent codes; the receiver acts only on comEvReceive.
    static constexpr int comEvReceive = 2;

    using QObject::QObject;
    ~SerialPort() override = default;

    // CommPort: the port number 1..16 used at the next opening.
    virtual void setCommPort(int16_t number) = 0;
    virtual int16_t commPort() const = 0;
    // The device that a port number opens (for the operator: tooltip and messages).
    virtual QString deviceFor(int16_t number) const = 0;
    // Whether that device is there now (its node exists, or the system lists it).
    virtual bool devicePresent(int16_t number) const = 0;
    // The device node that number opens as it is now: empty while it is absent, and another value
    // once the device has gone and come back as a new node.
    virtual QString deviceInstance(int16_t number) const = 0;

    // PortOpen. Opening can fail: setPortOpen(true) then returns false, the port stays
    // closed and errorString() gives the system's reason.
    virtual bool portOpen() const = 0;
    virtual bool setPortOpen(bool open) = 0;
    virtual QString errorString() const = 0;
    // Why the last opening failed, and what the operator can do about it (several lines; empty
    // when there is nothing to add to the system's reason).
    virtual OpenFailure openFailure() const = 0;
    virtual QString openRemedy() const = 0;

    virtual void setInputMode(int mode) = 0;       // 1 = binary
    virtual void setOutBufferCount(int count) = 0; // 0 discards output still waiting
    virtual void output(const QByteArray& bytes) = 0;
    // Microseconds on the monotonic clock since output() last put a byte on the line, whatever
    // openings came between; -1 before the first. The board needs its 50 ms after every byte.
    virtual qint64 sinceLastWriteUs() const = 0;
    virtual int inBufferCount() const = 0;        // bytes waiting to be read
    virtual void setInBufferCount(int count) = 0; // 0 discards waiting input
    // OnComm is raised only while this is 1 or more; raising it back to 1 while bytes wait
    // raises OnComm again (queued), so that bytes held back while it was 0 are not left unseen.
    virtual void setRThreshold(int threshold) = 0;
    virtual void setInputLen(int length) = 0;
    virtual QByteArray input() = 0; // reads up to InputLen waiting bytes
    virtual int commEvent() const = 0;

    // The link's trace sink (--trace); null while tracing is off.
    void setTrace(LinkTrace* trace) { m_trace = trace; }
    LinkTrace* trace() const { return m_trace; }

signals:
    // The receive event, on the event thread.
    void OnComm();
    // The device went away while open, by whatever way it went (adapter pulled out, line hung
    // up, reads failing, node removed); reason says so in a person's words. The port is already
    // closed, and no receive event follows. Raised once per opening, queued: never from inside a
    // port operation.
    void deviceLost(const QString& reason);

protected:
    LinkTrace* m_trace = nullptr;
};
