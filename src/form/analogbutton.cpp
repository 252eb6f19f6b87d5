// The analog-path button: sends the source, monitor, speaker and volume step as they stand.
#include "form/form1.h"

#include "chip/analogpath.h"

#include <QCheckBox>
#include <QComboBox>

void Form1::si_ok_Click() {
    // A greyed check box counts as off, like an unchecked one.
    sendFrame(chip::analogPathFrame(sound_in->currentText(), SoundMon->checkState() == Qt::Checked,
                                    SPKon->checkState() == Qt::Checked, VolStep));
}
