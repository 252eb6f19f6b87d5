// Play position and cue point: the time text, the cue text's reading, the slider's change and
// the cue button. The arithmetic lives in timetext, cuetext and pointscale.
#include "form/form1.h"
#include "player/cuetext.h"
#include "player/pointscale.h"
#include "player/timetext.h"

#include <QLineEdit>
#include <QScrollBar>

QString Form1::DipPlayPosit(int32_t lgPositData) {
    return player::timeText(lgPositData);
}

int32_t Form1::lgGetMusicPoint(const QString& musicpoint) {
    return player::cuePackedNumber(musicpoint);
}

int32_t Form1::CovMusicPoint(int32_t lgdata) {
    return player::cueMilliseconds(lgdata);
}

void Form1::PlayPoint_Change() {
    // While the trial listen runs the slider only follows the status event.
    if (ListenOn)
        return;
    PlayPosit = player::msForSliderValue(PlayPoint->value(), PointScale, PointMode);
    PlayPointText->setText(DipPlayPosit(PlayPosit));
    SetAddrText->setText(PlayPointText->text());
    MMControl1->setFrom(PlayPosit);
}

void Form1::SetMusicPoint_Click() {
    if (ListenOn)
        return;
    // With no file held there is nothing to cue, and before the first file the slider has no
    // scale to map the point onto; the button is then ignored like the other silent refusals.
    if (MMControl1->fileName().isEmpty())
        return;
    const int32_t ms = CovMusicPoint(lgGetMusicPoint(SetAddrText->text()));
    PlayPointText->setText(DipPlayPosit(ms));
    PlayPosit = ms;
    // A change of the slider runs PlayPoint_Change here, which rounds the counter and the texts
    // to the slider's resolution.
    if (const auto value = player::sliderValueFor(ms, PointScale, PointMode, PlayPoint->maximum(),
                                                  player::SliderRounding::HalfToEven))
        PlayPoint->setValue(*value);
    PlayerRun = false;
    ListenOn = false;
    // The next "Play" starts exactly at the typed point, whatever the slider made of it.
    MMControl1->setFrom(ms);
}
