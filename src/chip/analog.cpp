// The analog-path button: sends the source, monitor, speaker and volume step as they stand.
#include "app/form1.h"

#include "chip/analogpath.h"

#include <QCheckBox>
#include <QComboBox>

void Form1::si_ok_Click() {
    CriDigClr();
    Bottmp(0).setVisible(true);
    // A greyed check box counts as off, like an unchecked one.
    const auto frame = chip::analogPathFrame(sound_in->currentText(), SoundMon->checkState() == Qt::Checked,
                                             SPKon->checkState() == Qt::Checked, VolStep);
    SendBuf.assign(frame.begin(), frame.end());
    Isd_Comm2_Send(uint8_t(frame.size()));
}
