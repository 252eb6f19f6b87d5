// The address commands: a start and an end address typed as "HH HH" go out as a five-byte frame
// for the chip's SET_PLAY, SET_REC or SET_ERASE.
#include "form/form1.h"

#include "chip/strtohex.h"

#include <QLineEdit>

#include <array>

namespace {

// An entry is exactly "HH HH"; the four play and record boxes hold no more than this.
constexpr qsizetype entryLength = 5;
// An address frame: the command byte, two bytes of start and two of end.
constexpr uint8_t frameLength = 5;

// The steps after the guard and the lamp. Until the entries pass, the five bytes of an address
// answer are expected; the send path then declares the operation's own reply length.
void sendAddresses(Form1& w, uint8_t command, const QLineEdit* startBox, const QLineEdit* endBox) {
    w.RinNeedCnt = frameLength;
    w.SendBuf.assign(frameLength, 0);
    QString start = startBox->text();
    QString end = endBox->text();
    if (start.size() < entryLength || end.size() < entryLength) {
        w.MsgBox(Form1::tr("数据格式非法"), MessageBox::Icon::Critical, Form1::tr("错误"));
        return;
    }
    // Only the erase boxes can hold more; such an entry is dropped without a word.
    if (start.size() > entryLength || end.size() > entryLength)
        return;
    // The count of parsed bytes is not used: whatever was not parsed goes out as zero.
    std::array<uint8_t, frameLength> frame{command};
    w.StrToHex(start);
    frame[1] = w.HexBuf[0];
    frame[2] = w.HexBuf[1];
    w.StrToHex(end);
    frame[3] = w.HexBuf[0];
    frame[4] = w.HexBuf[1];
    w.sendFrame(frame, Form1::LampStep::AlreadyLit);
}

} // namespace

uint8_t Form1::StrToHex(QString& StringTemp) {
    return chip::StrToHex(StringTemp, HexBuf);
}

// The play and erase ranges light their lamps before their entries are checked.
void Form1::set_play_addr_Click() {
    showLamp(chip::operation(chip::SET_PLAY)->buttonLamp);
    sendAddresses(*this, chip::SET_PLAY, St_Play_Text, St_Play_Text1);
}

// The record range may be set only once the source has been listened to; its lamp comes with
// the board's answer.
void Form1::set_rec_addr_Click() {
    if (!TryListenFlag)
        return;
    sendAddresses(*this, chip::SET_REC, St_Rec_Text, St_Rec_Text1);
}

void Form1::SetEraseAddrComm_Click() {
    showLamp(chip::operation(chip::SET_ERASE)->buttonLamp);
    sendAddresses(*this, chip::SET_ERASE, SetEraseText, SetEraseText1);
}
