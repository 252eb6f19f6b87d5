// The runner: a planned job carried out on boards through the window, by its one send path and the
// receiver's decoded replies only. Per board: open the port, PU, DEVID, the analog path with the job's
// volume step, erase, then per prompt: open its file, hold the player at from with its end at to and
// its gain, SET_REC (whose answer starts the sound through the window), STOP when the sound has ended,
// RD_REC_PTR, and the pointer checked against the plan; at the end the chip's message table against the
// plan (校验).
#pragma once

#include "app/messageboxgate.h"
#include "job/boarddriver.h"
#include "job/jobplan.h"
#include "job/jobreport.h"
#include "job/messagetable.h"

#include <QElapsedTimer>
#include <QObject>

#include <cstdint>
#include <functional>
#include <vector>

class Form1;
class QTimer;

namespace job {

enum class PromptState { Planned, Recording, Verified, Failed, Interrupted, NotRun };

class JobRunner final : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString jobPath;
        QString reportPath;
        int boards = 1; // 0: until stopped
    };
    // A board that has not answered this long after its frame went out is taken as gone.
    static constexpr int answerWaitMs = BoardDriver::answerWaitMs;
    // How long the chip may stay busy after an erase of all its messages before the job gives up.
    static constexpr int readyWaitMs = 10000;

    JobRunner(Form1& form, MessageBoxGate& boxes, Plan plan, Options options, QObject* parent = nullptr);
    ~JobRunner() override;

    const Plan& plan() const { return m_plan; }
    const Options& options() const { return m_options; }

    // Starts the first board. The window's operations stay off until the job has finished.
    void start();
    // 停止: the prompt under way is interrupted and the job ends; while waiting for the next board,
    // the job just ends.
    void stop();
    // 下一块板: the board was swapped on a fixed adapter.
    void nextBoard();

    bool isRunning() const { return m_running; }
    bool isWaitingForBoard() const { return m_step == Step::WaitingForBoard; }
    int boardNumber() const { return m_report.board; }
    PromptState promptState(int index) const { return m_states.at(size_t(index)); }
    // The board under way, or the one that ended last.
    const BoardReport& boardReport() const { return m_report; }
    // What the boards so far add up to; a report line that could not be written makes it 3.
    int exitCode() const { return m_reportFailed ? int(exitBoardOrLink) : exitCodeFor(m_results); }
    // Estimated time to the end of the board under way.
    int64_t boardLeftMs() const;

signals:
    void boardStarted(int board);
    void promptStateChanged(int index, job::PromptState state);
    // While a prompt's sound plays: how much of it has played.
    void promptProgress(int index, qint64 playedMs);
    // 校验: the chip's message table, read after the board's last prompt.
    void messagesRead(const job::MessageTable& table, bool matchesPlan);
    void boardEnded(const job::BoardReport& report);
    void reportFailed(const QString& error);
    void waitingForBoard(int next);
    void finished(int exitCode);

private:
    enum class Step {
        Idle,
        Opening,
        PowerUp,
        DeviceId,
        AnalogPath,
        Erase,
        WaitReady,
        OpenFile,
        SetRec,
        Sound,
        Stop,
        ReadPointer,
        Messages,
        WaitingForBoard,
    };

    void beginBoard();
    bool openPort();
    // From opening the port to the board's report line.
    bool boardActive() const { return m_step != Step::Idle && m_step != Step::WaitingForBoard; }
    void enter(Step step);
    void checkBoxLater();
    void boxCaught(const MessageBoxGate::Box& box);
    // A box that the step under way raised makes it fail; true when it did.
    bool stepBoxed();
    void stepFailed(const QString& reason);
    void portLost(const QString& reason);
    void answerOverdue(uint8_t command);
    void poll();

    void powerUp();
    void readDevice(const QByteArray& reply);
    void erase();
    void waitReady();
    void startPrompt(size_t index);
    void soundStarted(const QByteArray& reply);
    void sendStop();
    void readPointer();
    void verify(const QByteArray& reply);
    void checkMessages();
    void tableRead(const MessageTable& table);
    void failPrompt(const QString& reason);
    void finishPrompt(PromptResult result, const QString& reason);
    void endBoard(BoardResult result, const QString& reason);
    void waitForBoard();
    void finish();
    void setState(size_t index, PromptState state);

    Form1& m_form;
    MessageBoxGate& m_boxes;
    Plan m_plan;
    Options m_options;

    bool m_running = false;
    Step m_step = Step::Idle;
    // Every step has its number, so that a late check of an earlier step changes nothing.
    quint64 m_stepSerial = 0;
    QString m_stepBox; // the first box the step under way raised
    BoardDriver* m_driver = nullptr;
    MessageReader* m_reader = nullptr;
    QTimer* m_poller = nullptr;
    QElapsedTimer m_stepClock;

    BoardReport m_report;
    QElapsedTimer m_boardClock;
    std::vector<PromptState> m_states;
    std::vector<BoardResult> m_results;
    size_t m_prompt = 0;
    QString m_promptFailure;
    bool m_chipRecording = false; // SET_REC handed over, its STOP not answered yet
    bool m_lostWhileWaiting = false;
    QElapsedTimer m_swapClock;
    bool m_reportFailed = false;
};

} // namespace job

Q_DECLARE_METATYPE(job::PromptState)
