// The address commands: a start and an end address typed as "HH HH" go out as a five-byte frame
// for the chip's SET_PLAY, SET_REC or SET_ERASE.
#include "app/form1.h"

#include "chip/strtohex.h"

#include <QLineEdit>

namespace {

constexpr uint8_t cmdSetPlay = 0x80;
constexpr uint8_t cmdSetRec = 0x81;
constexpr uint8_t cmdSetErase = 0x82;

// An entry is exactly "HH HH"; the four play and record boxes hold no more than this.
constexpr qsizetype entryLength = 5;

// The steps after the guard and the lamp. replyLength is what the board answers once the frame
// has gone out; a refused entry leaves the five of an address reply expected.
void sendAddresses(Form1& w, uint8_t command, const QLineEdit* startBox, const QLineEdit* endBox,
                   uint8_t replyLength) {
    w.RinNeedCnt = 5;
    w.SendBuf.assign(5, 0);
    QString start = startBox->text();
    QString end = endBox->text();
    if (start.size() < entryLength || end.size() < entryLength) {
        w.MsgBox(Form1::tr("数据格式非法"), MessageBox::Icon::Critical, Form1::tr("错误"));
        return;
    }
    // Only the erase boxes can hold more; such an entry is dropped without a word.
    if (start.size() > entryLength || end.size() > entryLength)
        return;
    w.RinNeedCnt = replyLength;
    w.SendBuf[0] = command;
    // The count of parsed bytes is not used: whatever was not parsed goes out as zero.
    w.StrToHex(start);
    w.SendBuf[1] = w.HexBuf[0];
    w.SendBuf[2] = w.HexBuf[1];
    w.StrToHex(end);
    w.SendBuf[3] = w.HexBuf[0];
    w.SendBuf[4] = w.HexBuf[1];
    w.Isd_Comm2_Send(5);
}

} // namespace

uint8_t Form1::StrToHex(QString& StringTemp) {
    return chip::StrToHex(StringTemp, HexBuf);
}

void Form1::set_play_addr_Click() {
    CriDigClr();
    Right(2).setVisible(true);
    sendAddresses(*this, cmdSetPlay, St_Play_Text, St_Play_Text1, 5);
}

// The record range may be set only once the source has been listened to; its lamp comes with
// the board's answer.
void Form1::set_rec_addr_Click() {
    if (!TryListenFlag)
        return;
    sendAddresses(*this, cmdSetRec, St_Rec_Text, St_Rec_Text1, 1);
}

void Form1::SetEraseAddrComm_Click() {
    CriDigClr();
    Right(4).setVisible(true);
    sendAddresses(*this, cmdSetErase, SetEraseText, SetEraseText1, 5);
}
