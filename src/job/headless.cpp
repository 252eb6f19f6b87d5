// The headless front end: the runner's signals as lines on stdout and stderr, standard input for the
// next board, and an interrupt for 停止.
#include "job/headless.h"

#include "form/form1.h"
#include "job/jobtext.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace job {

namespace {

int interruptPipe[2] = {-1, -1};

void onInterrupt(int) {
    const char byte = 1;
    // Nothing else is safe in a signal handler; the event loop reads it.
    [[maybe_unused]] const ssize_t n = ::write(interruptPipe[1], &byte, 1);
}

void printLine(std::FILE* to, const QString& text) {
    std::fprintf(to, "%s\n", text.toLocal8Bit().constData());
    std::fflush(to);
}

QString clockText(int64_t ms) {
    const int64_t s = (std::max<int64_t>(ms, 0) + 999) / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

void PrintedMessageBox::show(const QString& text, Icon, const QString& caption) {
    ++m_shown;
    printLine(stderr, QStringLiteral("quillory: %1%2")
                          .arg(caption.isEmpty() ? QString() : caption + QStringLiteral(": "), text));
}

int runHeadless(Form1& form, MessageBoxGate& boxes, const Plan& plan, const JobRunner::Options& options) {
    JobRunner runner(form, boxes, plan, options);
    const bool terminal = ::isatty(::fileno(stdout)) == 1;
    const int count = int(plan.prompts.size());
    bool progressShown = false;
    // The live line is rewritten in place; a line of its own first takes it away.
    const auto clearProgress = [&] {
        if (progressShown)
            std::fputs("\r\033[K", stdout);
        progressShown = false;
    };
    const auto out = [&](const QString& text) {
        clearProgress();
        printLine(stdout, text);
    };

    printLine(stdout, JobText::tr("任务 %1：%2 个提示音，%3，串口 %4，报告 %5")
                          .arg(QFileInfo(options.jobPath).fileName())
                          .arg(count)
                          .arg(plan.chip)
                          .arg(plan.port)
                          .arg(options.reportPath));
    QObject::connect(&runner, &JobRunner::boardStarted,
                     [&](int board) { out(JobText::tr("第 %1 块板").arg(board)); });
    QObject::connect(&runner, &JobRunner::promptStateChanged, [&](int index, PromptState state) {
        if (state == PromptState::Planned || state == PromptState::Recording)
            return;
        const PlannedPrompt& p = plan.prompts[size_t(index)];
        const PromptReport& r = runner.boardReport().prompts[size_t(index)];
        const QString head = QStringLiteral("[%1/%2] %3").arg(index + 1).arg(count).arg(p.name);
        QString line = QStringLiteral("%1 %2-%3 %4 %5")
                           .arg(head, rowText(p.startRow), rowText(p.endRow), secondsText(p.soundMs()),
                                resultWord(r.result));
        QStringList notes;
        if (r.result == PromptResult::Ok && !r.reason.isEmpty())
            notes << r.reason;
        if (r.clipped && *r.clipped > 0)
            notes << JobText::tr("削波 %1 个采样").arg(*r.clipped);
        if (!notes.isEmpty())
            line += QStringLiteral(" (%1)").arg(notes.join(QStringLiteral("; ")));
        out(line);
        // What went wrong, as the window would have said it.
        if (r.result != PromptResult::Ok && !r.reason.isEmpty())
            printLine(stderr, QStringLiteral("%1: %2").arg(head, r.reason));
    });
    QObject::connect(&runner, &JobRunner::promptProgress, [&](int index, qint64 playedMs) {
        if (!terminal)
            return;
        const PlannedPrompt& p = plan.prompts[size_t(index)];
        std::fprintf(stdout, "\r\033[K[%d/%d] %s %.1f/%.1f s, %s", index + 1, count,
                     p.name.toLocal8Bit().constData(), double(playedMs) / 1000.0,
                     double(p.soundMs()) / 1000.0,
                     JobText::tr("还剩 %1").arg(clockText(runner.boardLeftMs())).toLocal8Bit().constData());
        std::fflush(stdout);
        progressShown = true;
    });
    QObject::connect(&runner, &JobRunner::messagesRead, [&](const MessageTable& table) {
        // The table's lines, then its summary.
        for (const QString& line :
             messageTableText(table, plan.sampleRateKhz).split(u'\n', Qt::SkipEmptyParts))
            out(QStringLiteral("  ") + line);
    });
    std::vector<BoardResult> ended;
    QObject::connect(&runner, &JobRunner::boardEnded, [&](const BoardReport& report) {
        ended.push_back(report.result);
        QString line = JobText::tr("第 %1 块板：%2，%3")
                           .arg(report.board)
                           .arg(resultWord(report.result), secondsText(int64_t(report.seconds * 1000)));
        out(line);
        if (report.result != BoardResult::Ok && !report.reason.isEmpty())
            printLine(stderr, JobText::tr("第 %1 块板：%2").arg(report.board).arg(report.reason));
    });
    QObject::connect(&runner, &JobRunner::reportFailed,
                     [&](const QString& error) { printLine(stderr, error); });
    QObject::connect(&runner, &JobRunner::waitingForBoard, [&](int next) {
        out(JobText::tr("请换上第 %1 块板，然后按回车（板上带适配器的，拔下再接上即可）").arg(next));
    });

    // Enter is 下一块板; at the end of the input only a swap of the adapter starts the next board.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            return;
        }
        if (memchr(buffer, '\n', size_t(n)))
            runner.nextBoard();
    });
    std::unique_ptr<QSocketNotifier> interrupts;
    struct sigaction previous {};
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, interruptPipe) == 0) {
        interrupts = std::make_unique<QSocketNotifier>(interruptPipe[0], QSocketNotifier::Read);
        QObject::connect(interrupts.get(), &QSocketNotifier::activated, [&] {
            char byte;
            [[maybe_unused]] const ssize_t n = ::read(interruptPipe[0], &byte, 1);
            runner.stop();
        });
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        // A second interrupt, while the first is being handled, ends the program the usual way.
        action.sa_flags = SA_RESETHAND;
        ::sigaction(SIGINT, &action, &previous);
    }

    QEventLoop loop;
    int code = exitOk;
    QObject::connect(&runner, &JobRunner::finished, [&](int result) {
        code = result;
        loop.quit();
    });
    QMetaObject::invokeMethod(
        &runner, [&] { runner.start(); }, Qt::QueuedConnection);
    loop.exec();
    clearProgress();

    QStringList summary;
    for (const BoardResult result :
         {BoardResult::Ok, BoardResult::Failed, BoardResult::Interrupted, BoardResult::Refused})
        if (const int n = int(std::count(ended.begin(), ended.end(), result)))
            summary << QStringLiteral("%1 %2").arg(n).arg(resultWord(result));
    printLine(stdout, JobText::tr("%1 块板：%2；报告 %3")
                          .arg(ended.size())
                          .arg(summary.isEmpty() ? QStringLiteral("-") : summary.join(QStringLiteral(", ")),
                               options.reportPath));
    if (interrupts) {
        ::sigaction(SIGINT, &previous, nullptr);
        interrupts.reset();
        ::close(interruptPipe[0]);
        ::close(interruptPipe[1]);
        interruptPipe[0] = interruptPipe[1] = -1;
    }
    return code;
}

int readMessagesHeadless(Form1& form, MessageBoxGate& boxes, int port) {
    MessageReader reader(form, boxes, port);
    QEventLoop loop;
    int code = exitOk;
    QObject::connect(&reader, &MessageReader::read, [&](const MessageTable& table) {
        std::fputs(messageTableText(table, 8).toLocal8Bit().constData(), stdout);
        loop.quit();
    });
    QObject::connect(&reader, &MessageReader::failed, [&](const QString& reason) {
        printLine(stderr, QStringLiteral("quillory: %1").arg(reason));
        code = exitBoardOrLink;
        loop.quit();
    });
    QMetaObject::invokeMethod(
        &reader, [&] { reader.start(); }, Qt::QueuedConnection);
    loop.exec();
    std::fflush(stdout);
    return code;
}

} // namespace job
