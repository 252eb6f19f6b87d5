// Fuzzes the reply receiver through the real window: Form1 on the fake port, driven by any
// interleaving of button presses, typed texts, port numbers, timer ticks, quiet timeouts, turns
// of the event loop, devices going away and chunks of board bytes (also while the receiver
// drains and while a box is up). Checks what must hold whatever the board sends.
#include "fakes.h"
#include "form/form1.h"
#include "link/linktrace.h"

#include <QApplication>
#include <QComboBox>
#include <QIODevice>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_receiver: %s\n", what);
        std::abort();
    }
}

// Counts the receiver's decoded replies in the trace and keeps nothing else.
class ReplyCounter final : public QIODevice {
public:
    ReplyCounter() { open(QIODevice::WriteOnly); }
    qint64 replies = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        // A line is "<time> <kind> ...".
        const QByteArray line(data, size);
        const qsizetype blank = line.indexOf(' ');
        if (blank >= 0 && line.mid(blank + 1).startsWith("reply "))
            ++replies;
        return size;
    }
};

// The hexadecimal text of bytes as the console shows it, written out here independently.
QString hex(const QByteArray& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    for (const char c : bytes) {
        const auto b = uint8_t(c);
        text += QLatin1Char(digits[b >> 4]);
        text += QLatin1Char(digits[b & 0x0F]);
        text += QLatin1Char(' ');
    }
    return text;
}

struct Harness {
    Form1* form = nullptr;
    FakeSerialPort* port = nullptr;
    FakeMediaPlayer* player = nullptr;
    FakeMessageBox* boxes = nullptr;
    ReplyCounter* counter = nullptr;
    LinkTraceFile* counting = nullptr;
    QList<QPushButton*> buttons;
    QList<QLineEdit*> typed; // boxes an operator types into

    // The board's bytes the port holds, and those the receiver has taken, in order.
    QByteArray waiting;
    QByteArray taken;
    // Boxes that only a decoded reply shows.
    qint64 replyBoxes = 0;
    bool running = false;
    // Bytes the board sends while the receiver drains, or while the next box is up.
    QByteArray duringDrain;
    QByteArray duringBox;

    // The bytes stored since the receiver's write index was last rewound.
    QByteArray sinceRewind() const { return taken.right(form->RinPos); }

    void deliver(const QByteArray& bytes) {
        if (bytes.isEmpty())
            return;
        if (port->portOpen())
            waiting += bytes;
        port->receive(bytes);
    }

    // A decoded reply may show only bytes that arrived for it, since the hand-over rewound RinPos.
    void checkShown(const QString& text, int first, int count, bool cutLastBlank) {
        const QByteArray since = sinceRewind();
        check(first + count <= since.size(), "a reply shows bytes that did not arrive for it");
        QString expected = hex(since.mid(first, count));
        if (cutLastBlank)
            expected.chop(1);
        check(text == expected, "a reply's text is not the hex of its bytes");
    }

    void checkInvariants() {
        check(form->RinPos < form->RinBuf.size(), "RinPos left RinBuf");
        check(form->RinPos <= taken.size(), "RinPos counts bytes never received");
        const QByteArray since = sinceRewind();
        check(std::equal(since.begin(), since.end(), form->RinBuf.begin(),
                         [](char a, uint8_t b) { return uint8_t(a) == b; }),
              "RinBuf does not hold the bytes received since the rewind");
        check(replyBoxes <= counter->replies, "more boxes than decoded replies");
        check(port->inBufferCount() == waiting.size(), "the port holds other bytes than were sent");
    }

    void setUp() {
        Form1::Platform platform;
        auto p = std::make_unique<FakeSerialPort>();
        auto m = std::make_unique<FakeMediaPlayer>();
        auto b = std::make_unique<FakeMessageBox>();
        port = p.get();
        player = m.get();
        boxes = b.get();
        platform.serialPort = std::move(p);
        platform.mediaPlayer = std::move(m);
        platform.fileDialog = std::make_unique<FakeFileDialog>();
        platform.messageBox = std::move(b);
        form = new Form1(std::move(platform));
        counter = new ReplyCounter;
        // Beside the traffic monitor's log, which the same events then drive too.
        counting = new LinkTraceFile(counter);
        port->trace()->addSink(counting);

        buttons = form->findChildren<QPushButton*>();
        std::sort(buttons.begin(), buttons.end(),
                  [](QPushButton* a, QPushButton* b) { return a->objectName() < b->objectName(); });
        typed = {form->St_Play_Text, form->St_Play_Text1, form->St_Rec_Text, form->St_Rec_Text1,
                 form->SetEraseText, form->SetEraseText1, form->SetAddrText, form->PlayPointText};

        port->duringRead = [this](FakeSerialPort& p, int) {
            const qsizetype n = waiting.size() - p.inBufferCount();
            taken += waiting.left(n);
            waiting.remove(0, n);
            if (!duringDrain.isEmpty())
                deliver(std::exchange(duringDrain, QByteArray()));
        };
        boxes->onShow = [this](const FakeMessageBox::Shown& box) {
            if (!running)
                return;
            if (box.caption == QStringLiteral("器件类型")) {
                ++replyBoxes;
                check(form->RinPos >= 3 && sinceRewind().size() >= 3,
                      "a model named from a byte not received");
            } else if (box.icon == MessageBox::Icon::Information && box.caption.isEmpty()) {
                ++replyBoxes;
                checkShown(box.text, 0, 5, false);
            } else if (box.text == QStringLiteral("请先停止上一次录音")) {
                ++replyBoxes;
            }
            deliver(std::exchange(duringBox, QByteArray()));
        };
        for (QLineEdit* shown : {form->Play_Text, form->Rec_Text}) {
            QObject::connect(shown, &QLineEdit::textChanged, [this](const QString& text) {
                if (running)
                    checkShown(text, 2, 2, false);
            });
        }
        QObject::connect(form->CurrentRow, &QLineEdit::textChanged, [this](const QString& text) {
            if (running)
                checkShown(text, 0, 2, true);
        });
    }

    // Back to the state of a console just started, so that every input runs alike.
    void reset() {
        running = false;
        QCoreApplication::processEvents();
        form->Timer1->stop();
        form->RinQuietTimer->stop();
        port->setPortOpen(false);
        port->absentPorts.clear();
        port->busyPorts.clear();
        port->failOpenWith.clear();
        port->loseOnWrite.clear();
        port->writes.clear();
        port->writeTimesMs.clear();
        port->setRThreshold(1);
        port->setCommPort(1);
        player->setCommand(QString());
        player->commands.clear();
        player->fromWrites.clear();
        static_cast<FormState&>(*form) = FormState{};
        form->Combo1->setEditText(QStringLiteral("1"));
        form->Command16->setText(QStringLiteral("打开串口"));
        form->Form_Load();
        boxes->shown.clear();
        waiting.clear();
        taken.clear();
        duringDrain.clear();
        duringBox.clear();
        replyBoxes = 0;
        counter->replies = 0;
        running = true;
    }
};

Harness* harness = nullptr;

class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool more() const { return m_pos < m_size; }
    uint8_t next() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    QByteArray bytes(size_t n) {
        n = std::min(n, m_size - m_pos);
        QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(n));
        m_pos += n;
        return out;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

} // namespace

// Fontconfig's own caches, filled on Qt's first layout of a text, are reported at exit; they are
// none of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    (void)argc;
    new QApplication(qtArgc, qtArgv);
    harness = new Harness;
    harness->setUp();
    // Every control once, with the port closed and open, every decoding once: the toolkit's
    // caches (fonts, styles) are filled here, so that they are not taken for leaks of an input.
    Harness& h = *harness;
    for (int round = 0; round < 2; ++round) {
        h.reset();
        if (round == 1)
            h.form->Command16_Click();
        for (QLineEdit* box : h.typed)
            box->setText(QStringLiteral("00 1g:"));
        for (QPushButton* button : h.buttons) {
            button->click();
            h.deliver(QByteArray("\x04\x00\xA0\x00\x10", 5));
            QCoreApplication::processEvents();
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Harness& h = *harness;
    Form1& w = *h.form;
    h.reset();
    Input in(data, size);
    while (in.more()) {
        switch (in.next() % 12) {
        case 0: // the board sends a few bytes
            h.deliver(in.bytes(1 + in.next() % 6));
            break;
        case 1: // or many at once
            h.deliver(in.bytes(in.next()));
            break;
        case 2: // the operator presses any button
            h.buttons[in.next() % h.buttons.size()]->click();
            break;
        case 3: { // types any text into an address or time box
            QLineEdit* box = h.typed[in.next() % h.typed.size()];
            box->setText(QString::fromLatin1(in.bytes(in.next() % 16)));
            break;
        }
        case 4: // chooses any port number, or none
            w.Combo1->setEditText(QString::fromLatin1(in.bytes(in.next() % 3)));
            break;
        case 5: // the transmitter's tick
            if (w.Timer1->isActive()) {
                h.port->letTimePass(50);
                w.Timer1_Timer();
            }
            break;
        case 6: // the line falls quiet for long
            if (w.RinQuietTimer->isActive()) {
                w.RinQuietTimer->stop();
                w.RinQuietTimer_Timer();
            }
            break;
        case 7: // queued receive events and losses are delivered
            QCoreApplication::processEvents();
            break;
        case 8: { // the device goes away, is missing or is held by another program
            const uint8_t how = in.next();
            if (how % 4 == 0)
                h.port->loseDevice(QStringLiteral("gone"));
            else if (how % 4 == 1)
                h.port->unplug();
            else if (how % 4 == 2)
                h.port->plugBack();
            else
                h.port->busyPorts = {int16_t(1 + in.next() % 16)};
            break;
        }
        case 9: // another event of the port
            h.port->raiseEvent(in.next() % 8);
            break;
        case 10: // bytes that arrive while the receiver drains
            h.duringDrain = in.bytes(1 + in.next() % 4);
            break;
        case 11: // bytes that arrive while the next box is up
            h.duringBox = in.bytes(1 + in.next() % 4);
            break;
        }
        if (!h.port->portOpen()) {
            check(h.port->inBufferCount() == 0, "a closed port holds bytes");
            h.waiting.clear();
        }
        h.checkInvariants();
    }
    return 0;
}
