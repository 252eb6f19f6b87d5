// Binding of the chip buttons to their handlers.
#include "app/form1.h"

#include <QPushButton>

void Form1::bindChip() {
    const std::pair<QPushButton*, void (Form1::*)()> clicks[] = {
        {devid_pu, &Form1::devid_pu_Click},
        {devid_id, &Form1::devid_id_Click},
        {devid_rst, &Form1::devid_rst_Click},
        {play, &Form1::play_Click},
        {stop, &Form1::stop_Click},
        {rec, &Form1::rec_Click},
        {fwd, &Form1::fwd_Click},
        {erase, &Form1::erase_Click},
        {erase_all, &Form1::erase_all_Click},
        {rd_play_addr, &Form1::rd_play_addr_Click},
        {rd_rec_addr, &Form1::rd_rec_addr_Click},
        {CurrentRowComm, &Form1::CurrentRowComm_Click},
        {set_play_addr, &Form1::set_play_addr_Click},
        {set_rec_addr, &Form1::set_rec_addr_Click},
        {SetEraseAddrComm, &Form1::SetEraseAddrComm_Click},
        {si_ok, &Form1::si_ok_Click},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this, handler);
}
