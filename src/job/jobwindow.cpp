// The job window, its chip picture, and the action that opens it from the main window.
#include "job/jobwindow.h"

#include "form/form1.h"
#include "job/messagewindow.h"
#include "player/filedialog.h"
#include "player/timetext.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace job {

namespace {

enum Column {
    NameColumn,
    FileColumn,
    FromColumn,
    ToColumn,
    DurationColumn,
    RowsColumn,
    LevelColumn,
    GainColumn,
    TrimColumn,
    StateColumn,
    Columns
};

QString stateText(PromptState state) {
    switch (state) {
    case PromptState::Planned:
        return JobWindow::tr("计划中");
    case PromptState::Recording:
        return JobWindow::tr("录音中");
    case PromptState::Verified:
        return JobWindow::tr("已校验");
    case PromptState::Failed:
        return JobWindow::tr("失败");
    case PromptState::Interrupted:
        return JobWindow::tr("已中断");
    case PromptState::NotRun:
        break;
    }
    return JobWindow::tr("未运行");
}

// "-3.0 / -12.5 dBFS", and what the prompt is marked for.
QString levelCell(const PlannedPrompt& p) {
    if (!p.figures)
        return {};
    QString text = QStringLiteral("%1 / %2 dBFS").arg(decibelText(p.peakDbfs()), decibelText(p.rmsDbfs()));
    if (p.clips())
        text += QLatin1Char(' ') + JobWindow::tr("削波");
    if (p.quiet())
        text += QLatin1Char(' ') + JobWindow::tr("过轻");
    return text;
}

// m:ss, for the time left.
QString clockText(int64_t ms) {
    const int64_t s = (std::max<int64_t>(ms, 0) + 999) / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

ChipMap::ChipMap(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("chipMap"));
    setMinimumHeight(28);
}

QColor ChipMap::colourOf(PromptState state) {
    switch (state) {
    case PromptState::Planned:
    case PromptState::NotRun:
        return QColor(0x6b, 0xae, 0xd6); // blue
    case PromptState::Recording:
        return QColor(0xfd, 0x8d, 0x3c); // orange
    case PromptState::Verified:
        return QColor(0x31, 0xa3, 0x54); // green
    case PromptState::Failed:
    case PromptState::Interrupted:
        break;
    }
    return QColor(0xde, 0x2d, 0x26); // red
}

void ChipMap::setPlan(const Plan& plan) {
    m_plan = plan;
    m_states.assign(plan.prompts.size(), PromptState::Planned);
    m_messages.reset();
    updateTip();
    update();
}

void ChipMap::setMessages(std::optional<MessageTable> table) {
    m_messages = std::move(table);
    updateTip();
    update();
}

void ChipMap::updateTip() {
    QString tip;
    for (const PlannedPrompt& p : m_plan.prompts)
        tip += QStringLiteral("%1  %2-%3\n").arg(p.name, rowText(p.startRow), rowText(p.endRow));
    if (m_messages) {
        if (!tip.isEmpty())
            tip += QLatin1Char('\n');
        tip += messageTableText(*m_messages, m_plan.sampleRateKhz > 0 ? m_plan.sampleRateKhz : 8);
    }
    setToolTip(tip.trimmed());
}

void ChipMap::setState(int index, PromptState state) {
    if (index >= 0 && size_t(index) < m_states.size())
        m_states[size_t(index)] = state;
    update();
}

void ChipMap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(area, QColor(0xd9, 0xd9, 0xd9));
    const int lastRow = m_plan.lastRow > 0 ? m_plan.lastRow : m_messages ? m_messages->lastRow : 0;
    const int rows = lastRow - 0x010 + 1;
    if (rows > 0) {
        const auto xOf = [&](int row) {
            return area.left() +
                   int(int64_t(std::clamp(row, 0x010, lastRow + 1) - 0x010) * area.width() / rows);
        };
        // The plan above the chip's own table when both are there.
        const bool both = m_messages && !m_plan.prompts.empty();
        const int middle = area.top() + area.height() / 2;
        const auto band = [&](int first, int last, bool lower, const QColor& colour) {
            const int left = xOf(first);
            // Every band is at least a pixel wide and ends where the next row starts.
            const int right = std::max(left + 1, xOf(last + 1));
            const int top = both && lower ? middle + 1 : area.top();
            const int bottom = both && !lower ? middle : area.bottom();
            painter.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom)), colour);
        };
        for (size_t i = 0; i < m_plan.prompts.size(); ++i)
            band(m_plan.prompts[i].startRow, m_plan.prompts[i].endRow, false, colourOf(m_states[i]));
        if (m_messages) {
            for (size_t i = 0; i < m_messages->messages.size(); ++i) {
                const ChipMessage& m = m_messages->messages[i];
                // Two shades, so that messages that follow each other without a gap stay apart.
                band(m.startRow, m.endRow.value_or(m.startRow), true,
                     i % 2 ? QColor(0x9e, 0x9a, 0xc8) : QColor(0x75, 0x6b, 0xb1));
            }
        }
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(area);
}

JobWindow::JobWindow(Form1& form, MessageBoxGate& boxes, QWidget* parent)
    : QWidget(parent, Qt::Window), m_form(form), m_boxes(boxes) {
    setObjectName(QStringLiteral("JobWindow"));
    setWindowTitle(tr("录音任务"));
    // The console ends with its main window, whether or not this one is still open.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(720, 460);

    jobLabel = new QLabel(this);
    jobLabel->setObjectName(QStringLiteral("jobLabel"));
    openButton = new QPushButton(tr("打开任务…"), this);
    openButton->setObjectName(QStringLiteral("openButton"));
    table = new QTableWidget(0, Columns, this);
    table->setObjectName(QStringLiteral("planTable"));
    table->setHorizontalHeaderLabels({tr("名称"), tr("文件"), tr("起点"), tr("终点"), tr("时长"), tr("行"),
                                      tr("峰值 / RMS"), tr("增益"), tr("修剪"), tr("状态")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    chipMap = new ChipMap(this);
    promptBar = new QProgressBar(this);
    promptBar->setObjectName(QStringLiteral("promptBar"));
    jobBar = new QProgressBar(this);
    jobBar->setObjectName(QStringLiteral("jobBar"));
    leftLabel = new QLabel(this);
    leftLabel->setObjectName(QStringLiteral("leftLabel"));
    startButton = new QPushButton(tr("开始"), this);
    startButton->setObjectName(QStringLiteral("startButton"));
    stopButton = new QPushButton(tr("停止"), this);
    stopButton->setObjectName(QStringLiteral("stopButton"));
    nextButton = new QPushButton(tr("下一块板"), this);
    nextButton->setObjectName(QStringLiteral("nextButton"));
    messagesButton = new QPushButton(tr("读消息表"), this);
    messagesButton->setObjectName(QStringLiteral("messagesButton"));
    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    statusLabel->setWordWrap(true);
    refusalText = new QPlainTextEdit(this);
    refusalText->setObjectName(QStringLiteral("refusalText"));
    refusalText->setReadOnly(true);
    refusalText->hide();

    auto* top = new QHBoxLayout;
    top->addWidget(jobLabel, 1);
    top->addWidget(openButton);
    auto* bars = new QGridLayout;
    bars->addWidget(new QLabel(tr("提示音"), this), 0, 0);
    bars->addWidget(promptBar, 0, 1);
    bars->addWidget(new QLabel(tr("任务"), this), 1, 0);
    bars->addWidget(jobBar, 1, 1);
    bars->addWidget(leftLabel, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(startButton);
    buttons->addWidget(stopButton);
    buttons->addWidget(nextButton);
    buttons->addWidget(messagesButton);
    buttons->addWidget(statusLabel, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table, 1);
    layout->addWidget(refusalText, 1);
    layout->addWidget(chipMap);
    layout->addLayout(bars);
    layout->addLayout(buttons);

    connect(openButton, &QPushButton::clicked, this, &JobWindow::openRequested);
    connect(startButton, &QPushButton::clicked, this, [this] {
        if (m_runner)
            m_runner->start();
        updateButtons();
    });
    connect(stopButton, &QPushButton::clicked, this, [this] {
        if (m_runner)
            m_runner->stop();
    });
    connect(messagesButton, &QPushButton::clicked, this, &JobWindow::messagesRequested);
    connect(nextButton, &QPushButton::clicked, this, [this] {
        if (m_runner)
            m_runner->nextBoard();
    });
    updateButtons();
}

JobWindow::~JobWindow() = default;

bool JobWindow::setJob(const QString& path, const Plan& plan, JobRunner::Options options) {
    if (m_runner && m_runner->isRunning())
        return false;
    m_runner = std::make_unique<JobRunner>(m_form, m_boxes, plan, std::move(options));
    JobRunner* runner = m_runner.get();
    setWindowTitle(tr("录音任务 — %1").arg(QFileInfo(path).fileName()));
    jobLabel->setText(tr("%1：%2 个提示音，%3，串口 %4")
                          .arg(QDir::toNativeSeparators(path))
                          .arg(plan.prompts.size())
                          .arg(plan.chip)
                          .arg(plan.port));
    refusalText->hide();
    table->show();
    table->setRowCount(int(plan.prompts.size()));
    for (int i = 0; i < int(plan.prompts.size()); ++i) {
        const PlannedPrompt& p = plan.prompts[size_t(i)];
        const QString cells[Columns] = {p.name,
                                        p.file,
                                        player::timeText(int32_t(p.fromMs)),
                                        player::timeText(int32_t(p.toMs)),
                                        secondsText(p.soundMs()),
                                        QStringLiteral("%1-%2").arg(rowText(p.startRow), rowText(p.endRow)),
                                        levelCell(p),
                                        p.gainDb != 0.0 ? tr("%1 dB").arg(decibelText(p.gainDb, true))
                                                        : QString(),
                                        p.trimmed ? tr("省下 %1 行").arg(p.rowsSaved) : QString(),
                                        stateText(PromptState::Planned)};
        for (int c = 0; c < Columns; ++c)
            table->setItem(i, c, new QTableWidgetItem(cells[c]));
        // What the prompt holds between from and to as written, and why it is marked.
        QTableWidgetItem* level = table->item(i, LevelColumn);
        level->setToolTip(
            levelText(p) +
            (p.figures ? QStringLiteral("\n\n") + player::figuresText(p.figures->figures) : QString()));
        if (p.clips() || p.quiet())
            level->setForeground(p.clips() ? QColor(0xde, 0x2d, 0x26) : QColor(0xd9, 0x5f, 0x0e));
    }
    table->resizeColumnsToContents();
    chipMap->setPlan(plan);
    promptBar->setRange(0, 1000);
    promptBar->setValue(0);
    jobBar->setRange(0, 1000);
    jobBar->setValue(0);
    leftLabel->setText(tr("剩余 %1").arg(clockText(plan.soundMs() + int64_t(plan.prompts.size()) * 450)));
    statusLabel->setText(tr("按“开始”在串口 %1 的板子上录音").arg(plan.port));

    connect(runner, &JobRunner::promptStateChanged, this, [this, runner](int index, PromptState state) {
        const PromptReport& r = runner->boardReport().prompts.at(size_t(index));
        QString reason = r.reason;
        if (r.clipped && *r.clipped > 0)
            reason +=
                (reason.isEmpty() ? QString() : QStringLiteral("; ")) + tr("削波 %1 个采样").arg(*r.clipped);
        showState(index, state, reason);
    });
    connect(runner, &JobRunner::promptProgress, this, &JobWindow::updateProgress);
    connect(runner, &JobRunner::boardStarted, this, [this](int board) {
        statusLabel->setText(tr("第 %1 块板").arg(board));
        updateButtons();
    });
    connect(runner, &JobRunner::boardEnded, this, [this](const BoardReport& report) {
        QString text = tr("第 %1 块板：%2").arg(report.board).arg(resultWord(report.result));
        if (!report.reason.isEmpty())
            text += QStringLiteral(" — ") + report.reason;
        if (report.messages)
            text += QLatin1Char('\n') +
                    (report.messages->ok
                         ? tr("校验：芯片上的 %1 条消息与计划相符").arg(report.messages->table.size())
                         : tr("校验：芯片上的消息表与计划不符"));
        statusLabel->setText(text);
        promptBar->setValue(0);
    });
    connect(runner, &JobRunner::boardStarted, this, [this] { chipMap->setMessages(std::nullopt); });
    connect(runner, &JobRunner::messagesRead, this,
            [this](const MessageTable& table) { chipMap->setMessages(table); });
    connect(runner, &JobRunner::waitingForBoard, this, [this](int next) {
        statusLabel->setText(
            statusLabel->text() + QLatin1Char('\n') +
            tr("请换上第 %1 块板，然后按“下一块板”（板上带适配器的，拔下再接上即可）").arg(next));
        updateButtons();
    });
    connect(runner, &JobRunner::reportFailed, this, [this](const QString& error) {
        statusLabel->setText(statusLabel->text() + QLatin1Char('\n') + error);
    });
    connect(runner, &JobRunner::finished, this, [this](int code) {
        m_lastExitCode = code;
        jobBar->setValue(jobBar->maximum());
        leftLabel->setText(tr("剩余 %1").arg(clockText(0)));
        updateButtons();
    });
    updateButtons();
    return true;
}

void JobWindow::showRefusal(const QString& path, const QStringList& faultLines) {
    if (m_runner && m_runner->isRunning())
        return;
    m_runner.reset();
    setWindowTitle(tr("录音任务 — %1").arg(QFileInfo(path).fileName()));
    jobLabel->setText(tr("任务无法运行：%1").arg(QDir::toNativeSeparators(path)));
    table->hide();
    table->setRowCount(0);
    refusalText->setPlainText(faultLines.join(QLatin1Char('\n')));
    refusalText->show();
    chipMap->setPlan(Plan{});
    statusLabel->clear();
    updateButtons();
}

void JobWindow::showState(int index, PromptState state, const QString& reason) {
    if (QTableWidgetItem* item = table->item(index, StateColumn)) {
        const QString text =
            reason.isEmpty() || state == PromptState::Planned || state == PromptState::Recording
                ? stateText(state)
                : tr("%1：%2").arg(stateText(state), reason);
        item->setText(text);
        item->setToolTip(text);
        item->setForeground(ChipMap::colourOf(state).darker(state == PromptState::Planned ? 150 : 120));
    }
    chipMap->setState(index, state);
    if (state == PromptState::Recording) {
        promptBar->setValue(0);
        table->scrollToItem(table->item(index, NameColumn));
    }
    updateProgress(index, state == PromptState::Recording ? 0 : -1);
}

void JobWindow::updateProgress(int index, qint64 playedMs) {
    if (!m_runner)
        return;
    const Plan& plan = m_runner->plan();
    if (playedMs >= 0 && index >= 0 && size_t(index) < plan.prompts.size()) {
        const int64_t sound = std::max<int64_t>(plan.prompts[size_t(index)].soundMs(), 1);
        promptBar->setValue(int(std::min<int64_t>(playedMs, sound) * 1000 / sound));
    }
    const int64_t total = plan.soundMs() + int64_t(plan.prompts.size()) * 450;
    const int64_t left = m_runner->boardLeftMs();
    jobBar->setValue(total > 0 ? int((total - std::min(left, total)) * 1000 / total) : 0);
    leftLabel->setText(tr("剩余 %1").arg(clockText(left)));
}

void JobWindow::setReadingMessages(bool reading) {
    m_readingMessages = reading;
    updateButtons();
}

void JobWindow::updateButtons() {
    const bool running = m_runner && m_runner->isRunning();
    startButton->setEnabled(m_runner && !running);
    stopButton->setEnabled(running);
    nextButton->setEnabled(running && m_runner->isWaitingForBoard());
    messagesButton->setEnabled(m_runner && !running && !m_readingMessages);
    startButton->setEnabled(startButton->isEnabled() && !m_readingMessages);
    openButton->setEnabled(!running);
}

JobDesk::JobDesk(Form1& form, MessageBoxGate& boxes, Settings settings)
    : m_form(form), m_boxes(boxes), m_settings(std::move(settings)) {
    setObjectName(QStringLiteral("JobDesk"));
    m_action = new QAction(tr("录音任务…"), &form);
    m_action->setObjectName(QStringLiteral("jobAction"));
    form.setContextMenuPolicy(Qt::ActionsContextMenu);
    form.addAction(m_action);
    connect(m_action, &QAction::triggered, this, &JobDesk::show);
    m_messagesAction = new QAction(tr("读消息表"), &form);
    m_messagesAction->setObjectName(QStringLiteral("messagesAction"));
    form.addAction(m_messagesAction);
    connect(m_messagesAction, &QAction::triggered, this, [this] { readMessages(false); });
}

JobDesk::~JobDesk() = default;

void JobDesk::ensureWindow() {
    if (m_window)
        return;
    m_window = std::make_unique<JobWindow>(m_form, m_boxes);
    m_window->setFont(m_form.font());
    connect(m_window.get(), &JobWindow::openRequested, this, &JobDesk::askForJob);
    connect(m_window.get(), &JobWindow::messagesRequested, this, [this] { readMessages(true); });
    // Beside the main window where the screen has room, on the other side from the monitor.
    const QRect main = m_form.frameGeometry();
    if (const QScreen* screen = m_form.screen()) {
        const QRect room = screen->availableGeometry();
        const QSize size = m_window->size();
        if (main.left() - 8 - size.width() >= room.left())
            m_window->move(main.left() - 8 - size.width(), main.top());
        else if (main.right() + 8 + size.width() <= room.right())
            m_window->move(main.right() + 8, main.top());
    }
}

void JobDesk::show() {
    const bool first = !m_window;
    ensureWindow();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    if (first && !m_window->runner())
        askForJob();
}

void JobDesk::readMessages(bool forTheJob) {
    const JobRunner* runner = m_window ? m_window->runner() : nullptr;
    // A job drives the board now; it reads the table itself after each board.
    if (runner && runner->isRunning())
        return;
    if (!m_messageWindow) {
        m_messageWindow = std::make_unique<MessageWindow>(m_form, m_boxes);
        m_messageWindow->setFont(m_form.font());
        connect(m_messageWindow.get(), &MessageWindow::readingChanged, this, [this](bool reading) {
            if (m_window)
                m_window->setReadingMessages(reading);
        });
    }
    m_messageWindow->show();
    m_messageWindow->raise();
    if (forTheJob && runner)
        m_messageWindow->read(runner->plan().port, runner->plan().sampleRateKhz, runner->plan());
    else
        m_messageWindow->read(0, 8, Plan{});
}

void JobDesk::askForJob() {
    FileDialog& dialog = *m_form.CommonDialog1;
    dialog.DialogTitle = tr("请选择录音任务");
    //: Pairs of a description and its file pattern, split by "|"; the patterns stay as they are.
    dialog.Filter = tr("录音任务|*.toml|所有文件|*.*");
    dialog.ShowOpen();
    if (!dialog.FileName.isEmpty())
        openJob(dialog.FileName);
}

void JobDesk::openJob(const QString& path) {
    const Planned planned = loadJob(path);
    if (!planned.faults.empty()) {
        QStringList lines;
        for (const Fault& fault : planned.faults)
            lines << faultLine(path, fault);
        ensureWindow();
        m_window->showRefusal(path, lines);
        m_window->show();
        return;
    }
    showJob(path, planned.plan);
}

void JobDesk::showJob(const QString& path, const Plan& plan) {
    ensureWindow();
    const QString jobPath = QFileInfo(path).absoluteFilePath();
    m_window->setJob(path, plan,
                     JobRunner::Options{jobPath,
                                        m_settings.reportPath.isEmpty() ? defaultReportPath(jobPath)
                                                                        : m_settings.reportPath,
                                        m_settings.boards});
    m_window->show();
    m_window->raise();
}

} // namespace job
