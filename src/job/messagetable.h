// The chip's own message table: the messages the chip holds, found by walking them with FWD and
// RD_PLAY_PTR until a start repeats, then RD_REC_PTR; their lines for the console, and the check of a
// job's plan against them (校验).
#pragma once

#include "job/boarddriver.h"
#include "job/jobplan.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class Form1;
class MessageBoxGate;

namespace job {

struct ChipMessage {
    int startRow = 0;
    // The next message's start - 1, or the record pointer - 1 for the last; unknown when the record
    // pointer lies before the last message's start (it was not recorded last).
    std::optional<int> endRow;
};

struct MessageTable {
    QString chip; // as DEVID named it
    int lastRow = 0;
    int recPtr = 0;
    std::vector<ChipMessage> messages; // in the order of their rows
};

// The table the walk's starts (in any order, repeats ignored) and the record pointer make.
MessageTable tableOf(const QString& chip, int lastRow, std::vector<int> starts, int recPtr);
// One line per message, "1  0x010-0x014  0.63 s" (number, rows in hex, duration at sampleRateKhz),
// then a line that sums them up; an empty chip says so.
QString messageTableText(const MessageTable& table, int sampleRateKhz);

// 校验: the chip holds the plan's prompts at their starts, one row either way tolerated; after erasing
// all, as many messages as the plan has prompts, else at least those.
struct TableCheck {
    bool ok = false;
    QString reason; // what differs
};
TableCheck checkTable(const MessageTable& table, const Plan& plan);

// Reads the table from the board through the window. Standalone (with the box gate), it opens the
// port, powers the chip up and asks DEVID for its model, keeping the window's operations off and its
// boxes caught meanwhile; within a job, it walks the chip the job has ready.
class MessageReader final : public QObject {
    Q_OBJECT
public:
    // Standalone, on port `port` (0: the port the window has open, else the one in 串口号).
    MessageReader(Form1& form, MessageBoxGate& boxes, int port, QObject* parent = nullptr);
    // Within a job: the runner's driver, its chip and port as they are.
    MessageReader(Form1& form, BoardDriver& driver, const QString& chip, QObject* parent = nullptr);
    ~MessageReader() override;

    void start();
    // Ends a read under way without a word.
    void stop();
    bool isRunning() const { return m_running; }

signals:
    // Once per start: the table, or why there is none.
    void read(const job::MessageTable& table);
    void failed(const QString& reason);

private:
    void readDevice(const QByteArray& reply);
    void forward();
    void playPointer(const QByteArray& reply);
    void recordPointer(const QByteArray& reply);
    void fail(const QString& reason);
    void finish();

    Form1& m_form;
    MessageBoxGate* m_boxes = nullptr; // standalone only
    BoardDriver* m_driver = nullptr;
    int m_port = 0;
    bool m_running = false;
    QString m_caught; // the first box the read raised
    MessageTable m_table;
    std::vector<int> m_starts;
    bool m_refusedAtFirst = false;
};

} // namespace job

Q_DECLARE_METATYPE(job::MessageTable)
