// The one send path and the paced frame transmitter: sendFrame declares the answer and hands the
// frame over, Isd_Comm2_Send arms Timer1, which writes it one byte per 50 ms tick. One frame is in
// transit at a time; a new hand-over replaces the one in transit.
#include "form/form1.h"

#include "chip/statusregister.h"
#include "link/linktrace.h"

#include <QTimer>

#include <algorithm>
#include <span>

namespace {
constexpr int byteSpacingMs = 50;
}

void Form1::sendFrame(std::span<const uint8_t> frame, LampStep lamp) {
    if (const chip::Operation* op = frame.empty() ? nullptr : chip::operation(frame[0])) {
        if (lamp == LampStep::Light && op->buttonLamp.lit())
            showLamp(op->buttonLamp);
        if (op->resetsCount)
            RinCnt = 0;
        if (op->replyLength != chip::keepsReplyLength)
            RinNeedCnt = op->replyLength;
    }
    handOver(frame);
}

void Form1::sendFrame(std::span<const uint8_t> frame, uint8_t replyLength) {
    RinCnt = 0;
    RinNeedCnt = replyLength;
    handOver(frame);
}

void Form1::handOver(std::span<const uint8_t> frame) {
    SendBuf.assign(frame.begin(), frame.end());
    // A frame longer than a byte can count goes out cut to 255 bytes, never to its length modulo 256.
    Isd_Comm2_Send(uint8_t(std::min<size_t>(SendBuf.size(), 255)));
}

void Form1::Isd_Comm2_Send(uint8_t SendBytCnt) {
    RinPos = 0;
    SendCmd = SendBuf.empty() ? 0 : SendBuf[0];
    SendPos = 0;
    SendLen = SendBytCnt;
    if (!MSComm1->portOpen()) {
        MsgBox(tr("串口没打开"), MessageBox::Icon::Critical, tr("串口状态"));
        return;
    }
    if (chip::actsOnChip(SendCmd))
        m_lastActingCommand = SendCmd;
    if (LinkTrace* trace = MSComm1->trace())
        trace->handedOver(std::span<const uint8_t>(SendBuf.data(), std::min<size_t>(SendLen, SendBuf.size())),
                          RinNeedCnt, RinCnt);
    // Restarting the timer puts the new frame's first byte 50 ms after this hand-over.
    Timer1->start(byteSpacingMs);
}

void Form1::Timer1_Timer() {
    MSComm1->setInputMode(1);
    // The board needs its 50 ms after every byte, however late the tick before it came: a tick
    // that comes early waits out the rest, to the millisecond by the timer and then through the
    // event loop. The tick that ends a frame waits too, so that the frame keeps its length in time.
    const qint64 sinceUs = MSComm1->portOpen() ? MSComm1->sinceLastWriteUs() : -1;
    if (sinceUs >= 0 && sinceUs < byteSpacingMs * 1000) {
        Timer1->start(int((byteSpacingMs * 1000 - sinceUs) / 1000));
        return;
    }
    // A frame never reads past its buffer, whatever length it was handed over with.
    if (SendPos < SendLen && SendPos < SendBuf.size() && MSComm1->portOpen()) {
        const char byte = char(SendBuf[SendPos]);
        // Advanced before the write: a write that finds the device gone closes the link, and
        // the transmitter must then be left idle at 0.
        SendPos = uint8_t(SendPos + 1);
        MSComm1->setOutBufferCount(0);
        MSComm1->output(QByteArray(1, byte));
        // Counted from this byte, the next tick comes a millisecond early and waits out the rest,
        // so that the timer's own lateness never adds up from one byte to the next.
        Timer1->start(byteSpacingMs - 1);
        return;
    }
    Timer1->stop();
    SendPos = 0;
}
