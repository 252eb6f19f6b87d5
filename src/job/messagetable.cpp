// Walking the chip's messages through the window, and what is made of them.
#include "job/messagetable.h"

#include "app/messageboxgate.h"
#include "chip/operations.h"
#include "chip/statusregister.h"
#include "form/form1.h"
#include "form/trafficmonitor.h"
#include "job/jobtext.h"
#include "link/devicetable.h"

#include <QStringList>

#include <algorithm>
#include <cstdlib>

namespace job {

namespace {
constexpr int firstRow = DeviceModel::firstMessageRow;

// The row an RD_PLAY_PTR or RD_REC_PTR answer carries after SR0, high byte first.
int pointerOf(const QByteArray& reply) {
    return (uint8_t(reply[2]) << 8) | uint8_t(reply[3]);
}
} // namespace

MessageTable tableOf(const QString& chip, int lastRow, std::vector<int> starts, int recPtr) {
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    MessageTable table{chip, lastRow, recPtr, {}};
    for (size_t i = 0; i < starts.size(); ++i) {
        const int end = i + 1 < starts.size() ? starts[i + 1] - 1 : recPtr - 1;
        table.messages.push_back(
            ChipMessage{starts[i], end >= starts[i] ? std::optional<int>(end) : std::nullopt});
    }
    return table;
}

QString messageTableText(const MessageTable& table, int sampleRateKhz) {
    QString text;
    const int width = int(QString::number(table.messages.size()).size());
    for (size_t i = 0; i < table.messages.size(); ++i) {
        const ChipMessage& m = table.messages[i];
        const QString end = m.endRow ? rowText(*m.endRow) : QStringLiteral("?");
        const QString duration =
            m.endRow ? secondsText(int64_t(double(*m.endRow - m.startRow + 1) * rowMs(sampleRateKhz) + 0.5))
                     : QStringLiteral("?");
        text += QStringLiteral("%1  %2-%3  %4\n")
                    .arg(QString::number(i + 1).rightJustified(width))
                    .arg(rowText(m.startRow), end, duration);
    }
    if (table.messages.empty())
        text += JobText::tr("%1：芯片上没有消息（记录指针 %2）\n").arg(table.chip, rowText(table.recPtr));
    else
        text += JobText::tr("%1：%2 条消息，记录指针 %3，消息区 0x010-%4\n")
                    .arg(table.chip)
                    .arg(table.messages.size())
                    .arg(rowText(table.recPtr), rowText(table.lastRow));
    return text;
}

TableCheck checkTable(const MessageTable& table, const Plan& plan) {
    QStringList problems;
    // After erasing all, the chip holds the job's prompts and nothing else.
    if (plan.eraseAll && table.messages.size() != plan.prompts.size())
        problems << JobText::tr("芯片上有 %1 条消息，计划 %2 条")
                        .arg(table.messages.size())
                        .arg(plan.prompts.size());
    for (const PlannedPrompt& p : plan.prompts) {
        const bool there =
            std::any_of(table.messages.begin(), table.messages.end(),
                        [&](const ChipMessage& m) { return std::abs(m.startRow - p.startRow) <= 1; });
        if (!there)
            problems
                << JobText::tr("“%1”计划从 %2 开始，芯片上那里没有消息").arg(p.name, rowText(p.startRow));
    }
    return TableCheck{problems.isEmpty(), problems.join(JobText::tr("；"))};
}

MessageReader::MessageReader(Form1& form, MessageBoxGate& boxes, int port, QObject* parent)
    : QObject(parent), m_form(form), m_boxes(&boxes), m_driver(new BoardDriver(form, this)), m_port(port) {
    connect(m_driver, &BoardDriver::overdue, this, [this](uint8_t command) {
        fail(JobText::tr("板子在 %1 秒内没有应答 %2")
                 .arg(BoardDriver::answerWaitMs / 1000)
                 .arg(BoardDriver::commandName(command)));
    });
    connect(m_driver, &BoardDriver::lost, this,
            [this](const QString& reason) { fail(JobText::tr("串口断开：%1").arg(reason)); });
}

MessageReader::MessageReader(Form1& form, BoardDriver& driver, const QString& chip, QObject* parent)
    : QObject(parent), m_form(form), m_driver(&driver) {
    m_table.chip = chip;
    // The runner that owns the driver ends the job on an overdue answer or a lost port, and this read
    // with it.
}

MessageReader::~MessageReader() {
    stop();
}

void MessageReader::start() {
    if (m_running)
        return;
    m_running = true;
    m_starts.clear();
    m_refusedAtFirst = false;
    m_caught.clear();
    if (!m_boxes) {
        const DeviceModel* model = deviceModelNamed(m_table.chip);
        m_table.lastRow = model ? model->lastRow() : 0;
        forward();
        return;
    }
    m_boxes->setCatcher([this](const MessageBoxGate::Box& box) {
        // DEVID's answer shows the model in a box; the read takes it from the answer itself.
        if (box.icon == MessageBox::Icon::Information || !m_caught.isEmpty())
            return;
        m_caught = box.text;
        // Told once the window's handler that raised it has returned.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_running && !m_caught.isEmpty())
                    fail(m_caught);
            },
            Qt::QueuedConnection);
    });
    m_form.setOperationsEnabled(false);
    m_form.Monitor->setSendLineEnabled(false);
    SerialPort& serial = *m_form.MSComm1;
    const bool open = m_port > 0          ? m_driver->openPort(m_port)
                      : serial.portOpen() ? true
                                          : (m_form.Command16_Click(), serial.portOpen());
    if (!open) {
        fail(m_caught.isEmpty() ? JobText::tr("无法打开串口 %1").arg(m_port > 0 ? m_port : serial.commPort())
                                : m_caught);
        return;
    }
    m_driver->sendUnanswered({chip::PU}, [this] {
        m_driver->sendAwaiting({chip::DEVID}, 3, [this](const QByteArray& reply) { readDevice(reply); });
    });
}

void MessageReader::readDevice(const QByteArray& reply) {
    const uint8_t id = reply.size() >= 3 ? uint8_t(reply[2]) : 0;
    const DeviceModel* model = deviceModelWithId(id);
    if (!model) {
        fail(JobText::tr("板上的器件 0x%1 不是 ISD1700 系列的型号").arg(id, 2, 16, QLatin1Char('0')));
        return;
    }
    m_table.chip = QString::fromLatin1(model->name);
    m_table.lastRow = model->lastRow();
    forward();
}

void MessageReader::forward() {
    // The walk ends: every start lies in the message rows (else the read fails), so a start repeats at
    // the latest after as many FWD as the chip has rows.
    m_driver->sendUnanswered({chip::FWD}, [this] {
        m_driver->sendAwaiting({chip::RD_PLAY_PTR}, 4,
                               [this](const QByteArray& reply) { playPointer(reply); });
    });
}

void MessageReader::playPointer(const QByteArray& reply) {
    if (reply.size() < 4) {
        fail(JobText::tr("RD_PLAY_PTR 的应答只有 %1 字节").arg(reply.size()));
        return;
    }
    const auto readRecordPointer = [this] {
        m_driver->sendAwaiting({chip::RD_REC_PTR}, 4, [this](const QByteArray& r) { recordPointer(r); });
    };
    // The reads leave CMD_ERR as FWD left it.
    if (chip::decodeStatus(uint8_t(reply[0]), uint8_t(reply[1])).cmdErr) {
        if (!m_starts.empty()) {
            fail(chip::refusalText(chip::FWD));
            return;
        }
        // A chip without messages has nowhere to go forward to: its record pointer says whether it is so.
        m_refusedAtFirst = true;
        readRecordPointer();
        return;
    }
    const int row = pointerOf(reply);
    if (row < firstRow || row > m_table.lastRow) {
        fail(JobText::tr("板子报告的播放指针 %1 不在消息区 0x010-%2 之内")
                 .arg(rowText(row), rowText(m_table.lastRow)));
        return;
    }
    if (std::find(m_starts.begin(), m_starts.end(), row) != m_starts.end()) {
        readRecordPointer();
        return;
    }
    m_starts.push_back(row);
    forward();
}

void MessageReader::recordPointer(const QByteArray& reply) {
    if (reply.size() < 4) {
        fail(JobText::tr("RD_REC_PTR 的应答只有 %1 字节").arg(reply.size()));
        return;
    }
    const int recPtr = pointerOf(reply);
    if (m_refusedAtFirst && recPtr != firstRow) {
        fail(chip::refusalText(chip::FWD));
        return;
    }
    if (recPtr < firstRow || recPtr > m_table.lastRow + 1) {
        fail(JobText::tr("板子报告的记录指针 %1 不在消息区 0x010-%2 之内")
                 .arg(rowText(recPtr), rowText(m_table.lastRow)));
        return;
    }
    const MessageTable table = tableOf(m_table.chip, m_table.lastRow, m_starts, recPtr);
    finish();
    emit read(table);
}

void MessageReader::fail(const QString& reason) {
    if (!m_running)
        return;
    finish();
    emit failed(reason);
}

void MessageReader::stop() {
    if (m_running)
        finish();
}

void MessageReader::finish() {
    m_running = false;
    m_driver->cancel();
    if (m_boxes) {
        m_boxes->setCatcher({});
        m_form.setOperationsEnabled(true);
        m_form.Monitor->setSendLineEnabled(true);
    }
}

} // namespace job
