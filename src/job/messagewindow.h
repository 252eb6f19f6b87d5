// The chip's own message table in a window of its own: each message's number, rows and duration, the
// chip's memory picture, and 读消息表 to read it again.
#pragma once

#include "job/messagetable.h"

#include <QWidget>

#include <memory>

class Form1;
class MessageBoxGate;
class QLabel;
class QPushButton;
class QTableWidget;

namespace job {

class ChipMap;

class MessageWindow final : public QWidget {
    Q_OBJECT
public:
    MessageWindow(Form1& form, MessageBoxGate& boxes, QWidget* parent = nullptr);
    ~MessageWindow() override;

    // Reads the table on port number `port` (0: the one the window has open, else the one in 串口号),
    // with durations at sampleRateKhz, checked against the plan when it has prompts.
    void read(int port, int sampleRateKhz, const Plan& plan);
    bool isReading() const { return m_reader && m_reader->isRunning(); }

    QLabel* summaryLabel = nullptr;
    QTableWidget* table = nullptr;
    ChipMap* chipMap = nullptr;
    QPushButton* readButton = nullptr;

signals:
    void readingChanged(bool reading);

private:
    void showTable(const MessageTable& messages);
    void showFailure(const QString& reason);

    Form1& m_form;
    MessageBoxGate& m_boxes;
    std::unique_ptr<MessageReader> m_reader;
    int m_port = 0;
    int m_sampleRateKhz = 8;
    Plan m_plan;
};

} // namespace job
