// The single-byte chip operations: each button hands its one-byte frame to the send path, which
// lights its lamp and tells the receiver how long the answer is where there is one.
#include "form/form1.h"

namespace {

void sendOperation(Form1& w, uint8_t command) {
    w.sendFrame(std::span<const uint8_t>(&command, 1));
}

} // namespace

void Form1::devid_pu_Click() {
    sendOperation(*this, chip::PU);
}

void Form1::devid_id_Click() {
    sendOperation(*this, chip::DEVID);
}

void Form1::devid_rst_Click() {
    sendOperation(*this, chip::RESET);
}

void Form1::play_Click() {
    sendOperation(*this, chip::PLAY);
}

void Form1::fwd_Click() {
    sendOperation(*this, chip::FWD);
}

void Form1::erase_Click() {
    sendOperation(*this, chip::ERASE);
}

void Form1::erase_all_Click() {
    sendOperation(*this, chip::G_ERASE);
}

void Form1::CurrentRowComm_Click() {
    sendOperation(*this, chip::CurrentRowQuery);
}

void Form1::rd_play_addr_Click() {
    sendOperation(*this, chip::RD_PLAY_PTR);
}

void Form1::rd_rec_addr_Click() {
    sendOperation(*this, chip::RD_REC_PTR);
}

// Recording and stopping leave the lamps to the board's answer; the flag goes at once so that
// the player counts recording time from this click.
void Form1::rec_Click() {
    RecTimeCnt = 0;
    RecOn = true;
    sendOperation(*this, chip::REC);
}

void Form1::stop_Click() {
    RecOn = false;
    sendOperation(*this, chip::STOP);
}
