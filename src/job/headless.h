// A job run at once without a window on show and without a display: one line per prompt as it ends, a
// live progress line only on a terminal, a summary, and the job's exit code; and the chip's message
// table read the same way.
#pragma once

#include "app/messagebox.h"
#include "job/jobrunner.h"

class Form1;
class MessageBoxGate;

namespace job {

// What would have been a box, as a line on stderr.
class PrintedMessageBox final : public MessageBox {
public:
    void show(const QString& text, Icon icon, const QString& caption) override;
    quint64 shownCount() const override { return m_shown; }
    void close(quint64) override {}

private:
    quint64 m_shown = 0;
};

// Runs every board of the job on the window's platform (the window is never shown); Enter on
// standard input is 下一块板, an interrupt (Ctrl-C) is 停止. Returns the job's exit code.
int runHeadless(Form1& form, MessageBoxGate& boxes, const Plan& plan, const JobRunner::Options& options);

// --read-messages: the chip's message table on port number `port`, one line per message on stdout (at
// 8 kHz) and a summary; why not, on stderr. Returns 0, or 3 when the board does not answer or the port
// cannot be opened.
int readMessagesHeadless(Form1& form, MessageBoxGate& boxes, int port);

} // namespace job
