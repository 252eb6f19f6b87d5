// Measures reading the message table of a chip that holds 20 messages, on the simulated board at the
// console's line rates: standalone as --read-messages and 读消息表 read it (PU, DEVID, then the walk),
// and within a job (the walk alone: FWD and RD_PLAY_PTR per message and for the start that repeats,
// then RD_REC_PTR). The wire sets the floor: each FWD and RD_PLAY_PTR byte goes 50 ms after the one
// before, and the four bytes of the answer take 40 bit times each way.
#include "ptyconsole.h"

#include "app/messageboxgate.h"
#include "boardhost.h"
#include "chip/operations.h"
#include "job/boarddriver.h"
#include "job/messagetable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <cstdio>

namespace {

constexpr int kMessages = 20;

// Runs the event loop until done() or timeoutMs have passed.
bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// Records kMessages short messages, one every 8 rows, each stopped as soon as it starts.
bool recordMessages(job::BoardDriver& driver) {
    int recorded = -1;
    std::function<void()> next = [&] {
        if (++recorded == kMessages)
            return;
        const int start = 0x010 + 8 * recorded;
        driver.sendAwaiting({chip::SET_REC, uint8_t(start >> 8), uint8_t(start), uint8_t((start + 3) >> 8),
                             uint8_t(start + 3)},
                            1, [&](const QByteArray&) {
                                driver.sendAwaiting({chip::STOP}, 1, [&](const QByteArray&) { next(); });
                            });
    };
    driver.sendUnanswered({chip::PU}, next);
    return runUntil([&] { return recorded == kMessages; }, 60000);
}

// One read; its time in ms, or -1 when it failed.
double readOnce(job::MessageReader& reader, job::MessageTable* table) {
    bool done = false;
    bool ok = false;
    auto readConnection =
        QObject::connect(&reader, &job::MessageReader::read, [&](const job::MessageTable& t) {
            *table = t;
            ok = done = true;
        });
    auto failConnection = QObject::connect(&reader, &job::MessageReader::failed, [&](const QString& reason) {
        std::printf("  the read failed: %s\n", qPrintable(reason));
        done = true;
    });
    QElapsedTimer clock;
    clock.start();
    reader.start();
    runUntil([&] { return done; }, 120000);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    QObject::disconnect(readConnection);
    QObject::disconnect(failConnection);
    return ok ? ms : -1;
}

void measure(int baud) {
    SimulatedBoardHost board({Isd1700Model::defaultChipType(), baud, false, nullptr});
    QString error;
    if (!board.start(&error)) {
        std::printf("  no simulated board: %s\n", qPrintable(error));
        return;
    }
    LinkSettings settings;
    settings.portDevices.insert(1, board.devicePath());
    settings.baudRate = baud;
    auto gateOwned = std::make_unique<MessageBoxGate>(std::make_unique<bench::PrintedBox>());
    MessageBoxGate& gate = *gateOwned;
    Form1 form(Form1::Platform{std::make_unique<QtSerialPort>(settings),
                               std::make_unique<bench::SilentPlayer>(), std::make_unique<bench::NoDialog>(),
                               std::move(gateOwned)});
    form.MSComm1->setCommPort(1);
    form.Command16_Click();
    job::BoardDriver driver(form);
    if (!recordMessages(driver) || board.model().messages().size() != size_t(kMessages)) {
        std::printf("  %d baud: the board did not take %d messages\n", baud, kMessages);
        return;
    }
    // The bytes of a message's FWD, RD_PLAY_PTR and its answer, at 50 ms a byte sent and ten bit
    // times a byte answered; kMessages + 1 of them (the start that repeats), then RD_REC_PTR.
    const double answerMs = 4 * 10 * 1000.0 / baud;
    const double floorMs = (kMessages + 1) * (2 * 50 + answerMs) + 50 + answerMs;

    job::MessageReader standalone(form, gate, 1);
    job::MessageReader walk(form, driver, QStringLiteral("ISD1760"));
    job::MessageTable table;
    for (const auto& [what, reader] : {std::pair("standalone (PU, DEVID, walk)", &standalone),
                                       std::pair("within a job (the walk alone)", &walk)}) {
        double best = 1e300, worst = 0;
        for (int round = 0; round < 3; ++round) {
            const double ms = readOnce(*reader, &table);
            if (ms < 0)
                return;
            best = std::min(best, ms);
            worst = std::max(worst, ms);
        }
        std::printf("  %5d baud, %-30s %zu messages: %.2f s (best of 3; worst %.2f s), %.0f ms a message\n",
                    baud, what, table.messages.size(), best / 1000.0, worst / 1000.0,
                    best / double(table.messages.size()));
    }
    std::printf("  %5d baud, %-30s %.2f s\n", baud, "the wire's floor for the walk", floorMs / 1000.0);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("reading the message table of a simulated ISD1760 holding %d messages\n", kMessages);
    for (const int baud : {1200, 9600})
        measure(baud);
    return 0;
}
