// Reconnecting, opt-in ("自动重连", --reconnect): after the open port is lost, the device that port
// number opens is looked for every 500 ms, and once it is back it is opened again with the same
// settings, as if Command16 had been clicked; reopened() then lets the window show it.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>

class SerialPort;

class Reconnector final : public QObject {
    Q_OBJECT
public:
    // How often the device is looked for while waiting. A look is one stat() of its node.
    static constexpr int lookMs = 500;

    explicit Reconnector(SerialPort* port, QObject* parent = nullptr);

    bool isOn() const { return m_on; }
    // Turning it off ends a wait under way; turning it on starts none (only a loss does).
    void setOn(bool on);
    bool isWaiting() const { return m_looking.isActive(); }

    // The open port was lost. With reconnecting on, the device is waited for from now on.
    void portLost();
    // The wait ends without reopening: the operator took the port over, or the window closes.
    void stopWaiting();

    // Looks at the device and attempts at opening it since construction, for the tests.
    qint64 looks() const { return m_looks; }
    qint64 openAttempts() const { return m_openAttempts; }

signals:
    // The port is open again; the window shows it as after an opening click.
    void reopened();

private:
    void look();
    void note(const QString& text, const QString& shown) const;

    SerialPort* m_port;
    QTimer m_looking;
    bool m_on = false;
    int16_t m_number = 0;
    QString m_device;
    // The node that went wrong, as it was at the loss (empty when it had gone already), and
    // whether the device has been seen absent since: a node that never went away is not back.
    QString m_lostInstance;
    bool m_seenAbsent = false;
    qint64 m_looks = 0;
    qint64 m_openAttempts = 0;
};
