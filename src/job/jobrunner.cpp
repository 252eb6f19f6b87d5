// The runner's steps. Every frame goes out through the window's sendFrame and every answer comes back
// as its replyDecoded; the sound is started by the window itself when it decodes SET_REC's answer,
// and paused by it on STOP's answer. Boxes the window raises meanwhile are caught: the step under way
// fails with the box's text.
#include "job/jobrunner.h"

#include "chip/operations.h"
#include "chip/statusregister.h"
#include "form/form1.h"
#include "form/trafficmonitor.h"
#include "job/jobtext.h"
#include "link/devicetable.h"
#include "player/timetext.h"

#include <QLineEdit>
#include <QTimer>

#include <cstdlib>
#include <utility>

namespace job {

namespace {
constexpr uint8_t RD_STATUS = BoardDriver::RD_STATUS;
constexpr uint8_t chipReady = 0x01;
constexpr int pollMs = 5;
constexpr int readyRetryMs = 20;
constexpr int swapLookMs = 250;
// The sound should have ended at to; past this much longer the prompt fails.
constexpr int soundGraceMs = 2000;
// What a prompt costs beyond its sound, for the time left: SET_REC, STOP and RD_REC_PTR on the wire.
constexpr int64_t promptOverheadMs = 450;

} // namespace

JobRunner::JobRunner(Form1& form, MessageBoxGate& boxes, Plan plan, Options options, QObject* parent)
    : QObject(parent), m_form(form), m_boxes(boxes), m_plan(std::move(plan)), m_options(std::move(options)),
      m_states(m_plan.prompts.size(), PromptState::Planned) {
    m_driver = new BoardDriver(form, this);
    connect(m_driver, &BoardDriver::overdue, this, &JobRunner::answerOverdue);
    connect(m_driver, &BoardDriver::lost, this, &JobRunner::portLost);
    m_reader = new MessageReader(form, *m_driver, m_plan.chip, this);
    connect(m_reader, &MessageReader::read, this, &JobRunner::tableRead);
    connect(m_reader, &MessageReader::failed, this,
            [this](const QString& reason) { endBoard(BoardResult::Interrupted, reason); });
    m_poller = new QTimer(this);
    m_poller->setTimerType(Qt::PreciseTimer);
    m_poller->setInterval(pollMs);
    connect(m_poller, &QTimer::timeout, this, &JobRunner::poll);
}

JobRunner::~JobRunner() {
    // Before the driver it reads through goes with the runner's other children.
    m_reader->stop();
    if (m_running) {
        m_boxes.setCatcher({});
        m_form.setOperationsEnabled(true);
        m_form.Monitor->setSendLineEnabled(true);
    }
}

void JobRunner::start() {
    if (m_running)
        return;
    m_running = true;
    m_results.clear();
    m_reportFailed = false;
    m_report = BoardReport{};
    m_boxes.setCatcher([this](const MessageBoxGate::Box& box) { boxCaught(box); });
    m_form.setOperationsEnabled(false);
    m_form.Monitor->setSendLineEnabled(false);
    m_poller->start();
    beginBoard();
}

void JobRunner::stop() {
    if (m_step == Step::WaitingForBoard)
        finish();
    else if (boardActive())
        endBoard(BoardResult::Interrupted, JobText::tr("操作员按了停止"));
}

void JobRunner::nextBoard() {
    if (m_step == Step::WaitingForBoard)
        beginBoard();
}

int64_t JobRunner::boardLeftMs() const {
    if (!boardActive())
        return 0;
    int64_t left = 0;
    for (size_t i = m_prompt; i < m_plan.prompts.size(); ++i)
        left += m_plan.prompts[i].soundMs() + promptOverheadMs;
    if (m_step == Step::Sound)
        left -= std::min<int64_t>(m_stepClock.elapsed(), m_plan.prompts[m_prompt].soundMs());
    return left;
}

void JobRunner::enter(Step step) {
    m_step = step;
    ++m_stepSerial;
    m_stepClock.start();
    // A box the last step raised and nobody has looked at yet belongs to this one now.
    if (!m_stepBox.isEmpty())
        checkBoxLater();
}

void JobRunner::checkBoxLater() {
    QMetaObject::invokeMethod(
        this,
        [this, serial = m_stepSerial] {
            if (serial == m_stepSerial)
                stepBoxed();
        },
        Qt::QueuedConnection);
}

void JobRunner::boxCaught(const MessageBoxGate::Box& box) {
    // Between boards the operator swaps them: the loss of the port is expected then.
    if (!boardActive())
        return;
    // DEVID's answer always shows the model; the job reads it from the answer itself.
    if (m_step == Step::DeviceId && box.icon == MessageBox::Icon::Information)
        return;
    if (m_stepBox.isEmpty())
        m_stepBox = box.text;
    // Looked at once the window's handler that raised it has returned.
    checkBoxLater();
}

bool JobRunner::stepBoxed() {
    if (m_stepBox.isEmpty())
        return false;
    stepFailed(std::exchange(m_stepBox, QString()));
    return true;
}

void JobRunner::stepFailed(const QString& reason) {
    switch (m_step) {
    case Step::OpenFile:
    case Step::SetRec:
    case Step::Sound:
    case Step::Stop:
    case Step::ReadPointer:
        // A prompt's trouble ends that prompt, unless the port went with it.
        if (m_form.MSComm1->portOpen()) {
            failPrompt(reason);
            return;
        }
        break;
    default:
        break;
    }
    endBoard(BoardResult::Interrupted, reason);
}

void JobRunner::answerOverdue(uint8_t command) {
    if (!boardActive())
        return;
    endBoard(BoardResult::Interrupted, JobText::tr("板子在 %1 秒内没有应答 %2")
                                           .arg(answerWaitMs / 1000)
                                           .arg(BoardDriver::commandName(command)));
}

void JobRunner::portLost(const QString& reason) {
    if (m_step == Step::WaitingForBoard) {
        m_lostWhileWaiting = true;
        return;
    }
    if (!boardActive())
        return;
    // The window told of it in a box, caught just now: its text is the reason.
    const QString told = std::exchange(m_stepBox, QString());
    endBoard(BoardResult::Interrupted, told.isEmpty() ? JobText::tr("串口断开：%1").arg(reason) : told);
}

void JobRunner::poll() {
    if (m_step == Step::Sound) {
        const PlannedPrompt& p = m_plan.prompts[m_prompt];
        const int64_t played = m_stepClock.elapsed();
        emit promptProgress(int(m_prompt), std::min<int64_t>(played, p.soundMs()));
        if (m_form.MMControl1->mode() != MediaPlayer::mciModePlay) {
            sendStop();
        } else if (played > p.soundMs() + soundGraceMs) {
            m_promptFailure = JobText::tr("声音没有在 to 处停下");
            sendStop();
        }
        return;
    }
    if (m_step == Step::WaitingForBoard && m_lostWhileWaiting && m_swapClock.elapsed() >= swapLookMs) {
        m_swapClock.start();
        // Back by itself (自动重连), or there again to be opened.
        if (m_form.MSComm1->portOpen() || (m_form.MSComm1->devicePresent(int16_t(m_plan.port)) && openPort()))
            beginBoard();
    }
}

bool JobRunner::openPort() {
    return m_driver->openPort(m_plan.port);
}

void JobRunner::beginBoard() {
    const int number = m_report.board + 1;
    m_report = BoardReport{};
    m_report.job = m_options.jobPath;
    m_report.board = number;
    m_report.port = m_plan.port;
    m_report.started = QDateTime::currentDateTimeUtc();
    for (const PlannedPrompt& p : m_plan.prompts)
        m_report.prompts.push_back(PromptReport{p.name,
                                                p.file,
                                                p.fromMs,
                                                p.toMs,
                                                p.startRow,
                                                p.endRow,
                                                {},
                                                PromptResult::NotRun,
                                                {},
                                                p.gainDb,
                                                {}});
    m_boardClock.start();
    m_prompt = 0;
    m_chipRecording = false;
    m_stepBox.clear();
    emit boardStarted(number);
    for (size_t i = 0; i < m_states.size(); ++i)
        setState(i, PromptState::Planned);
    enter(Step::Opening);
    if (!openPort()) {
        const QString told = std::exchange(m_stepBox, QString());
        endBoard(BoardResult::Interrupted,
                 told.isEmpty() ? JobText::tr("无法打开串口 %1").arg(m_plan.port) : told);
        return;
    }
    powerUp();
}

void JobRunner::powerUp() {
    enter(Step::PowerUp);
    m_driver->sendUnanswered({chip::PU}, [this] {
        if (stepBoxed())
            return;
        enter(Step::DeviceId);
        m_driver->sendAwaiting({chip::DEVID}, 3, [this](const QByteArray& reply) { readDevice(reply); });
    });
}

void JobRunner::readDevice(const QByteArray& reply) {
    if (stepBoxed())
        return;
    const uint8_t id = reply.size() >= 3 ? uint8_t(reply[2]) : 0;
    const DeviceModel* model = deviceModelWithId(id);
    m_report.chip = model ? QString::fromLatin1(model->name)
                          : QStringLiteral("unknown 0x%1").arg(id, 2, 16, QLatin1Char('0'));
    if (!model || m_report.chip != m_plan.chip) {
        endBoard(BoardResult::Refused,
                 JobText::tr("板上的芯片是 %1，任务要求 %2").arg(m_report.chip, m_plan.chip));
        return;
    }
    if (m_plan.volumeStep) {
        // The volume step reaches the chip in the analog-path frame alone: the window's own, as its button
        // sends it, with the job's step.
        enter(Step::AnalogPath);
        m_form.VolStep = uint8_t(*m_plan.volumeStep);
        m_form.SoundDip(m_form.VolStep);
        m_form.si_ok_Click();
        m_driver->whenSent([this] {
            if (!stepBoxed())
                erase();
        });
        return;
    }
    erase();
}

void JobRunner::erase() {
    if (!m_plan.eraseAll) {
        startPrompt(0);
        return;
    }
    enter(Step::Erase);
    m_driver->sendUnanswered({chip::G_ERASE}, [this] {
        if (stepBoxed())
            return;
        enter(Step::WaitReady);
        waitReady();
    });
}

void JobRunner::waitReady() {
    // Erasing takes the chip a while; its status says when it is done.
    m_driver->sendAwaiting({RD_STATUS}, 3, [this](const QByteArray& reply) {
        if (stepBoxed())
            return;
        // The reads leave CMD_ERR as the erase left it.
        if (!reply.isEmpty() && chip::decodeStatus(uint8_t(reply[0])).cmdErr) {
            endBoard(BoardResult::Interrupted, chip::refusalText(chip::G_ERASE));
            return;
        }
        if (reply.size() >= 3 && (uint8_t(reply[2]) & chipReady)) {
            startPrompt(0);
        } else if (m_stepClock.elapsed() > readyWaitMs) {
            endBoard(BoardResult::Interrupted,
                     JobText::tr("芯片擦除后 %1 秒内没有就绪").arg(readyWaitMs / 1000));
        } else {
            QTimer::singleShot(readyRetryMs, this, [this, serial = m_stepSerial] {
                if (serial == m_stepSerial)
                    waitReady();
            });
        }
    });
}

void JobRunner::startPrompt(size_t index) {
    if (index >= m_plan.prompts.size()) {
        checkMessages();
        return;
    }
    m_prompt = index;
    m_promptFailure.clear();
    const PlannedPrompt& p = m_plan.prompts[index];
    enter(Step::OpenFile);
    setState(index, PromptState::Recording);
    if (!m_form.openSourceFile(p.path)) {
        const QString told = std::exchange(m_stepBox, QString());
        failPrompt(told.isEmpty() ? JobText::tr("无法打开音频文件“%1”").arg(p.file) : told);
        return;
    }
    // Held at from as the cue button holds it, to the millisecond; the sound ends at to by itself.
    m_form.SetAddrText->setText(player::timeText(int32_t(p.fromMs)));
    m_form.SetMusicPoint_Click();
    m_form.MMControl1->setFrom(int32_t(p.fromMs));
    m_form.MMControl1->setTo(int32_t(p.toMs));
    // Written even at 0 dB: it starts the count of the samples clipped anew.
    m_form.MMControl1->setGain(p.gainDb);
    if (stepBoxed())
        return;
    enter(Step::SetRec);
    m_chipRecording = true;
    // The chip takes a row address high byte first.
    m_driver->sendAwaiting({chip::SET_REC, uint8_t(p.startRow >> 8), uint8_t(p.startRow),
                            uint8_t(p.endRow >> 8), uint8_t(p.endRow)},
                           1, [this](const QByteArray& reply) { soundStarted(reply); });
}

void JobRunner::soundStarted(const QByteArray& reply) {
    if (!m_stepBox.isEmpty() && m_promptFailure.isEmpty())
        m_promptFailure = std::exchange(m_stepBox, QString());
    // The board answers SET_REC with SR0's low byte: a refusal shows there at once, and the STOP that follows
    // would clear it before any read.
    if (m_promptFailure.isEmpty() && !reply.isEmpty() && chip::decodeStatus(uint8_t(reply[0])).cmdErr)
        m_promptFailure = chip::refusalText(chip::SET_REC);
    if (m_promptFailure.isEmpty() && m_form.MMControl1->mode() != MediaPlayer::mciModePlay)
        m_promptFailure = JobText::tr("SET_REC 的应答没有启动播放器");
    if (!m_promptFailure.isEmpty()) {
        sendStop();
        return;
    }
    enter(Step::Sound);
}

void JobRunner::sendStop() {
    enter(Step::Stop);
    m_driver->sendAwaiting({chip::STOP}, 1, [this](const QByteArray&) {
        m_chipRecording = false;
        if (!m_stepBox.isEmpty() && m_promptFailure.isEmpty())
            m_promptFailure = std::exchange(m_stepBox, QString());
        readPointer();
    });
}

void JobRunner::readPointer() {
    enter(Step::ReadPointer);
    m_driver->sendAwaiting({chip::RD_REC_PTR}, 4, [this](const QByteArray& reply) { verify(reply); });
}

void JobRunner::verify(const QByteArray& reply) {
    if (!m_stepBox.isEmpty() && m_promptFailure.isEmpty())
        m_promptFailure = std::exchange(m_stepBox, QString());
    const PlannedPrompt& p = m_plan.prompts[m_prompt];
    PromptReport& r = m_report.prompts[m_prompt];
    // After the two status bytes, the row, high byte first.
    if (reply.size() >= 4)
        r.recPtr = (uint8_t(reply[2]) << 8) | uint8_t(reply[3]);
    // Counted by the player since the prompt's gain was written, whatever rewound the file since.
    r.clipped = m_form.MMControl1->clippedSamples();
    // The last command that made the chip act was STOP.
    if (m_promptFailure.isEmpty() && reply.size() >= 2 &&
        chip::decodeStatus(uint8_t(reply[0]), uint8_t(reply[1])).cmdErr)
        m_promptFailure = chip::refusalText(chip::STOP);
    if (!m_promptFailure.isEmpty()) {
        finishPrompt(PromptResult::Failed, m_promptFailure);
        return;
    }
    const int expected = p.endRow + 1;
    const QString read = r.recPtr ? rowText(*r.recPtr) : QStringLiteral("-");
    if (r.recPtr == expected)
        finishPrompt(PromptResult::Ok, QString());
    else if (r.recPtr && std::abs(*r.recPtr - expected) == 1)
        finishPrompt(PromptResult::Ok,
                     JobText::tr("记录指针 %1，与预期的 %2 差一行（容许）").arg(read, rowText(expected)));
    else
        finishPrompt(PromptResult::Failed,
                     JobText::tr("记录指针应为 %1，读到 %2").arg(rowText(expected), read));
}

void JobRunner::checkMessages() {
    enter(Step::Messages);
    m_reader->start();
}

void JobRunner::tableRead(const MessageTable& table) {
    if (m_step != Step::Messages || stepBoxed())
        return;
    const TableCheck check = checkTable(table, m_plan);
    MessagesReport report{check.ok, check.reason, table.recPtr, {}};
    for (const ChipMessage& m : table.messages)
        report.table.push_back({m.startRow, m.endRow});
    m_report.messages = report;
    emit messagesRead(table, check.ok);
    endBoard(BoardResult::Ok, QString());
}

void JobRunner::failPrompt(const QString& reason) {
    if (m_promptFailure.isEmpty())
        m_promptFailure = reason;
    switch (m_step) {
    case Step::OpenFile:
        // Nothing was sent for it yet.
        finishPrompt(PromptResult::Failed, m_promptFailure);
        break;
    case Step::Sound:
        // The chip is recording: STOP, and its answer pauses the player.
        sendStop();
        break;
    default:
        // SET_REC, STOP or RD_REC_PTR is on its way: its answer carries on to the end of the prompt.
        break;
    }
}

void JobRunner::finishPrompt(PromptResult result, const QString& reason) {
    PromptReport& r = m_report.prompts[m_prompt];
    r.result = result;
    r.reason = reason;
    setState(m_prompt, result == PromptResult::Ok ? PromptState::Verified : PromptState::Failed);
    startPrompt(m_prompt + 1);
}

void JobRunner::setState(size_t index, PromptState state) {
    m_states[index] = state;
    emit promptStateChanged(int(index), state);
}

void JobRunner::endBoard(BoardResult result, const QString& reason) {
    if (!boardActive())
        return;
    const bool wasRecording = m_chipRecording;
    m_step = Step::Idle;
    ++m_stepSerial;
    m_stepBox.clear();
    m_driver->cancel();
    m_reader->stop();
    m_chipRecording = false;

    m_report.result = result;
    m_report.reason = reason;
    if (result == BoardResult::Interrupted && m_prompt < m_states.size() &&
        m_states[m_prompt] == PromptState::Recording) {
        m_report.prompts[m_prompt].result = PromptResult::Interrupted;
        m_report.prompts[m_prompt].reason = reason;
        setState(m_prompt, PromptState::Interrupted);
    }
    for (size_t i = 0; i < m_states.size(); ++i)
        if (m_states[i] == PromptState::Planned)
            setState(i, PromptState::NotRun);
    if (result == BoardResult::Ok) {
        int failed = 0;
        for (const PromptReport& p : m_report.prompts)
            failed += p.result == PromptResult::Failed;
        QStringList reasons;
        if (failed > 0)
            reasons << JobText::tr("%1 个提示音中有 %2 个失败").arg(m_report.prompts.size()).arg(failed);
        if (m_report.messages && !m_report.messages->ok)
            reasons << JobText::tr("芯片的消息表与计划不符：%1").arg(m_report.messages->reason);
        if (!reasons.isEmpty()) {
            m_report.result = BoardResult::Failed;
            m_report.reason = reasons.join(JobText::tr("；"));
        }
    }
    m_report.seconds = double(m_boardClock.elapsed()) / 1000.0;
    // A chip left recording is stopped, and its answer pauses the player.
    if (wasRecording && m_form.MSComm1->portOpen())
        m_form.sendFrame(std::vector<uint8_t>{chip::STOP});

    QString error;
    if (!appendReport(m_options.reportPath, m_report, &error)) {
        m_reportFailed = true;
        emit reportFailed(JobText::tr("报告没有写入 %1：%2").arg(m_options.reportPath, error));
    }
    m_results.push_back(m_report.result);
    emit boardEnded(m_report);
    const bool moreBoards = m_options.boards == 0 || m_report.board < m_options.boards;
    if (m_report.result == BoardResult::Interrupted || !moreBoards)
        finish();
    else
        waitForBoard();
}

void JobRunner::waitForBoard() {
    m_step = Step::WaitingForBoard;
    ++m_stepSerial;
    m_lostWhileWaiting = !m_form.MSComm1->portOpen();
    m_swapClock.start();
    emit waitingForBoard(m_report.board + 1);
}

void JobRunner::finish() {
    m_running = false;
    m_step = Step::Idle;
    ++m_stepSerial;
    m_poller->stop();
    m_driver->cancel();
    m_boxes.setCatcher({});
    m_form.setOperationsEnabled(true);
    m_form.Monitor->setSendLineEnabled(true);
    emit finished(exitCode());
}

} // namespace job
