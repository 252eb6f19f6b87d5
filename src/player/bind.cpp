// Binding of the audio source player's events: open, listen, slider, cue and status.
#include "app/form1.h"
#include "player/qtfiledialog.h"

#include <QPushButton>
#include <QScrollBar>

void Form1::bindPlayer() {
    if (auto* dialog = dynamic_cast<QtFileDialog*>(CommonDialog1))
        dialog->setParent(this);

    connect(open_file, &QPushButton::clicked, this, &Form1::open_file_Click);
    connect(Try_Listen, &QPushButton::clicked, this, &Form1::Try_Listen_Click);
    connect(SetMusicPoint, &QPushButton::clicked, this, &Form1::SetMusicPoint_Click);
    // valueChanged comes only on a real change, from the operator and from code alike.
    connect(PlayPoint, &QScrollBar::valueChanged, this, &Form1::PlayPoint_Change);
    connect(MMControl1, &MediaPlayer::StatusUpdate, this, &Form1::MMControl1_StatusUpdate);

    // The player tells things like a missing sound output, at most once per play: each is shown.
    connect(MMControl1, &MediaPlayer::notice, this,
            [this](const QString& text) { MsgBox(text, MessageBox::Icon::Information); });
}
