// The single-byte chip operations: each button lights its lamp, tells the receiver how long the
// answer is where there is one, and hands a one-byte frame to the transmitter.
#include "app/form1.h"

namespace {

// ISD1700 command codes, and the board's own current-address command.
constexpr uint8_t cmdPu = 0x01;
constexpr uint8_t cmdStop = 0x02;
constexpr uint8_t cmdReset = 0x03;
constexpr uint8_t cmdRdPlayPtr = 0x06;
constexpr uint8_t cmdRdRecPtr = 0x08;
constexpr uint8_t cmdDevId = 0x09;
constexpr uint8_t cmdPlay = 0x40;
constexpr uint8_t cmdRec = 0x41;
constexpr uint8_t cmdErase = 0x42;
constexpr uint8_t cmdGErase = 0x43;
constexpr uint8_t cmdFwd = 0x48;
constexpr uint8_t cmdCurrentRow = 0x60;

void sendOneByte(Form1& w, uint8_t command) {
    w.SendBuf.assign(1, command);
    w.Isd_Comm2_Send(1);
}

// The common pattern: the lamp marks the operation started last, even if the port is closed.
void lightAndSend(Form1& w, Shape& lamp, uint8_t command) {
    w.CriDigClr();
    lamp.setVisible(true);
    sendOneByte(w, command);
}

// Read operations expect an answer of replyLength bytes, counted from a fresh start.
void lightAndRead(Form1& w, Shape& lamp, uint8_t command, uint8_t replyLength) {
    w.CriDigClr();
    lamp.setVisible(true);
    w.RinCnt = 0;
    w.RinNeedCnt = replyLength;
    sendOneByte(w, command);
}

} // namespace

void Form1::devid_pu_Click() {
    lightAndSend(*this, Bottmp(3), cmdPu);
}

void Form1::devid_id_Click() {
    lightAndRead(*this, Bottmp(1), cmdDevId, 3);
}

void Form1::devid_rst_Click() {
    lightAndSend(*this, Bottmp(4), cmdReset);
}

void Form1::play_Click() {
    lightAndSend(*this, Lift(0), cmdPlay);
}

void Form1::fwd_Click() {
    lightAndSend(*this, Lift(3), cmdFwd);
}

void Form1::erase_Click() {
    lightAndSend(*this, Lift(4), cmdErase);
}

void Form1::erase_all_Click() {
    lightAndSend(*this, Lift(5), cmdGErase);
}

void Form1::CurrentRowComm_Click() {
    lightAndRead(*this, Lift(6), cmdCurrentRow, 3);
}

void Form1::rd_play_addr_Click() {
    lightAndRead(*this, Right(0), cmdRdPlayPtr, 4);
}

void Form1::rd_rec_addr_Click() {
    lightAndRead(*this, Right(1), cmdRdRecPtr, 4);
}

// Recording and stopping leave the lamps to the board's answer; the flag goes at once so that
// the player counts recording time from this click.
void Form1::rec_Click() {
    RecTimeCnt = 0;
    RecOn = true;
    RinNeedCnt = 1;
    sendOneByte(*this, cmdRec);
}

void Form1::stop_Click() {
    RecOn = false;
    RinNeedCnt = 1;
    sendOneByte(*this, cmdStop);
}
