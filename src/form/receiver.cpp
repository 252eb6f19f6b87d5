// The reply receiver: MSComm1_OnComm collects the board's bytes in RinBuf and, once RinNeedCnt of
// them have arrived, decodes them by the command last handed over (SendCmd).
#include "form/form1.h"

#include "chip/statusregister.h"
#include "link/devicetable.h"
#include "link/hextext.h"
#include "link/linktrace.h"

#include <QLineEdit>
#include <QTimer>

#include <optional>
#include <span>
#include <utility>

namespace {

const QString playWord = QStringLiteral("Play");
const QString pauseWord = QStringLiteral("Pause");
constexpr int32_t playingInterval = 200;

// RinCnt and RinPos are bytes: a pile of 255 bytes that never made a reply is dropped before
// the next byte, so that neither counter wraps back onto old bytes.
void storeReplyByte(FormState& s, uint8_t byte, LinkTrace* trace) {
    if (s.RinCnt == 255 || s.RinPos == 255) {
        if (trace)
            trace->dropped(s.RinCnt, QStringLiteral("no reply within 255 bytes"),
                           Form1::tr("255 字节内没有成为应答"));
        s.RinCnt = 0;
        s.RinPos = 0;
    }
    s.RinBuf[s.RinPos] = byte;
    s.RinPos = uint8_t(s.RinPos + 1);
    s.RinCnt = uint8_t(s.RinCnt + 1);
}

// How many bytes from RinBuf(0) on the decoding of a command reads.
uint8_t bytesDecoded(uint8_t command) {
    const chip::Operation* op = chip::operation(command);
    return op ? op->bytesDecoded : 0;
}

QString nameOf(uint8_t command) {
    const chip::Operation* op = chip::operation(command);
    return op && op->name ? QString::fromLatin1(op->name) : QString();
}

// The status register that leads the answer after what the receiver made of it, in the trace's words
// and in the window's; CMD_ERR names the command it refused, the last one that made the chip act.
std::pair<QString, QString> withReplyStatus(uint8_t command, const uint8_t* reply, uint8_t length,
                                            std::optional<uint8_t> lastActing, const QString& meaning,
                                            const QString& shown) {
    const std::optional<chip::StatusRegister> status =
        chip::replyStatus(command, std::span<const uint8_t>(reply, length));
    if (!status)
        return {meaning, shown};
    QString traced = meaning + QStringLiteral("; ") + chip::statusText(*status);
    if (status->cmdErr)
        traced += QStringLiteral("; ") + chip::refusalText(lastActing);
    return {traced, (shown.isEmpty() ? meaning : shown) + chip::replyStatusShown(*status, lastActing)};
}

// The lamp the receiver lights for the answer to command.
chip::Lamp replyLamp(uint8_t command) {
    return chip::operation(command)->replyLamp;
}

} // namespace

void Form1::MSComm1_OnComm() {
    if (MSComm1->commEvent() != SerialPort::comEvReceive)
        return;
    MSComm1->setInputMode(1);
    // The receive event stays off until the counters are reset: a decoding's modal box runs the
    // event loop, and bytes let in then would be counted into a reply about to be reset. The port
    // holds them and raises the event again when the threshold returns to 1.
    MSComm1->setRThreshold(0);
    bool stored = false;
    // The answer decoded by this event and the command it answers, told once the receiver is ready
    // for the next one.
    std::optional<std::pair<uint8_t, QByteArray>> decoded;
    // Every byte waiting is stored and counted, also those that arrive while draining.
    while (MSComm1->inBufferCount() != 0) {
        const QByteArray bytes = MSComm1->input();
        if (bytes.isEmpty())
            break;
        for (const char c : bytes)
            storeReplyByte(*this, uint8_t(c), MSComm1->trace());
        stored = true;
    }
    // A count carried over from before the hand-over can complete a reply whose own bytes have
    // not all arrived: RinBuf then still holds an older reply's bytes where the decoding reads,
    // and those are never shown as this reply's. The reply is dropped as one not understood.
    if (stored && RinCnt == RinNeedCnt && RinPos < bytesDecoded(SendCmd)) {
        if (LinkTrace* trace = MSComm1->trace()) {
            const QString command = hexText(std::span<const uint8_t>(&SendCmd, 1)).trimmed();
            trace->dropped(RinCnt,
                           QStringLiteral("reply to %1 completed by a count from before its hand-over, "
                                          "only %2 of its bytes since")
                               .arg(command)
                               .arg(RinPos),
                           tr("%1 的应答计满了，但计数里有发送前收到的字节，发送后只收到 %2 字节")
                               .arg(command)
                               .arg(RinPos));
        }
        RinCnt = 0;
        RinPos = 0;
    } else if (stored && RinCnt == RinNeedCnt) {
        const uint8_t command = SendCmd;
        // Traced before any box goes up, so that the trace keeps the board's timing.
        const auto traceReply = [&](const QString& meaning, const QString& shown = QString()) {
            if (LinkTrace* trace = MSComm1->trace()) {
                const auto [traced, told] = withReplyStatus(command, RinBuf.data(), std::min(RinCnt, RinPos),
                                                            m_lastActingCommand, meaning, shown);
                trace->decoded(command, traced, RinCnt, told);
            }
        };
        const QString player = MMControl1->command();
        switch (command) {
        case chip::STOP:
            traceReply(nameOf(command));
            if (player == playWord) {
                MMControl1->setCommand(pauseWord);
                MMControl1->setUpdateInterval(0);
                showLamp(replyLamp(command));
            }
            ListenOn = false;
            PlayerRun = false;
            RecOn = false;
            break;
        case chip::RD_PLAY_PTR:
            Play_Text->setText(MyRinByteToStr(RinBuf.data(), 2, 2));
            traceReply(QStringLiteral("%1 Play_Text \"%2\"").arg(nameOf(command), Play_Text->text()));
            break;
        case chip::RD_REC_PTR:
            Rec_Text->setText(MyRinByteToStr(RinBuf.data(), 2, 2));
            traceReply(QStringLiteral("%1 Rec_Text \"%2\"").arg(nameOf(command), Rec_Text->text()));
            break;
        case chip::DEVID: { // the third byte names the model
            const QString model = DeviceType(RinBuf[2]);
            traceReply(QStringLiteral("%1 %2").arg(nameOf(command), model));
            MsgBox(model, MessageBox::Icon::Information, tr("器件类型"));
            break;
        }
        case chip::REC: // the board records, the player is its source
            traceReply(nameOf(command));
            showLamp(replyLamp(command));
            if (player != playWord) {
                MMControl1->setUpdateInterval(playingInterval);
                MMControl1->setCommand(playWord);
            }
            RecOn = true;
            PlayerRun = true;
            break;
        case chip::CurrentRowQuery: // CurrentRow's five characters cut the last blank
            CurrentRow->setText(MyRinByteToStr(RinBuf.data(), 0, 2));
            traceReply(QStringLiteral("CurrentRow \"%1\"").arg(CurrentRow->text()));
            break;
        case chip::SET_PLAY:
        case chip::SET_ERASE: {
            const QString text = MyRinByteToStr(RinBuf.data(), 0, 5);
            traceReply(QStringLiteral("%1 %2").arg(nameOf(command), text));
            MsgBox(text, MessageBox::Icon::Information);
            break;
        }
        case chip::SET_REC:
            if (RecOn) {
                traceReply(QStringLiteral("%1 while recording").arg(nameOf(command)),
                           tr("SET_REC，录音中：请先停止上一次录音"));
                MsgBox(tr("请先停止上一次录音"));
                break;
            }
            traceReply(nameOf(command));
            if (player == pauseWord) {
                MMControl1->setCommand(playWord);
                MMControl1->setUpdateInterval(playingInterval);
            }
            showLamp(replyLamp(command));
            break;
        default:
            traceReply(QStringLiteral("no decoding, %1 bytes dropped").arg(RinCnt),
                       tr("没有对此命令应答的解码，%1 字节丢弃").arg(RinCnt));
            break;
        }
        decoded.emplace(command,
                        QByteArray(reinterpret_cast<const char*>(RinBuf.data()), std::min(RinCnt, RinPos)));
        RinCnt = 0;
        RinPos = 0;
    }
    // A count past the expected length waits for the line to fall quiet, then goes.
    if (stored && RinCnt > RinNeedCnt)
        RinQuietTimer->start(rinQuietMs);
    MSComm1->setRThreshold(1);
    if (decoded)
        emit replyDecoded(decoded->first, decoded->second);
}

QMetaObject::Connection Form1::onReplyDecoded(QObject* context,
                                              std::function<void(uint8_t, const QByteArray&)> handler) {
    return connect(this, &Form1::replyDecoded, context, std::move(handler));
}

void Form1::RinQuietTimer_Timer() {
    // Only a pile that is still past the length in force goes: a read operation may have reset
    // the count meanwhile, and a short count waits for the rest of its reply.
    if (RinCnt <= RinNeedCnt)
        return;
    if (LinkTrace* trace = MSComm1->trace())
        trace->dropped(RinCnt,
                       QStringLiteral("%1 expected, line quiet for %2 ms").arg(RinNeedCnt).arg(rinQuietMs),
                       tr("超过应答长度 %1 字节，线路静止 %2 ms 后丢弃").arg(RinNeedCnt).arg(rinQuietMs));
    RinCnt = 0;
    RinPos = 0;
}

QString Form1::MyRinByteToStr(const uint8_t* RinByte, uint8_t StartCnt, uint8_t LenCnt) {
    if (!RinByte)
        return {};
    // StartCnt and LenCnt are bytes, so the run stays inside the 513 bytes of RinBuf.
    return hexText(std::span<const uint8_t>(RinByte + StartCnt, LenCnt));
}

QString Form1::HexToString(const std::vector<uint8_t>& HexData) {
    return hexText(HexData);
}

QString Form1::FindChar(uint8_t& ByteTempp) {
    ByteTempp = hexDigitCode(ByteTempp);
    return QString::number(ByteTempp);
}

QString Form1::DeviceType(uint8_t inputTypeData) {
    DevKnown = false;
    const std::optional<QString> model = deviceModelName(inputTypeData);
    if (model) {
        DevKnown = true;
        return *model;
    }
    return unknownDeviceText();
}
