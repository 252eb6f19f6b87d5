// The job window beside the main window: the plan as a table, a picture of the chip's memory with
// each prompt as a band, the progress of the prompt and of the job, and 开始 / 停止 / 下一块板.
#pragma once

#include "job/jobrunner.h"
#include "job/messagetable.h"

#include <QWidget>

#include <memory>

class Form1;
class MessageBoxGate;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace job {

// The chip's message rows from 0x010 to the last one: each prompt a band in the colour of its state,
// the free rows grey; the messages the chip holds, once read, as purple bands below the plan's.
class ChipMap final : public QWidget {
    Q_OBJECT
public:
    explicit ChipMap(QWidget* parent = nullptr);
    void setPlan(const Plan& plan);
    void setState(int index, PromptState state);
    // The chip's own table; nothing: none read (since the plan was set).
    void setMessages(std::optional<MessageTable> table);
    QSize sizeHint() const override { return {560, 36}; }
    // The colour a prompt's band shows in.
    static QColor colourOf(PromptState state);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateTip();

    Plan m_plan;
    std::vector<PromptState> m_states;
    std::optional<MessageTable> m_messages;
};

class JobWindow final : public QWidget {
    Q_OBJECT
public:
    JobWindow(Form1& form, MessageBoxGate& boxes, QWidget* parent = nullptr);
    ~JobWindow() override;

    // Shows the job, ready to start; a job still running is not replaced.
    bool setJob(const QString& path, const Plan& plan, JobRunner::Options options);
    // A job that cannot run: its refusals instead of a plan.
    void showRefusal(const QString& path, const QStringList& faultLines);
    JobRunner* runner() const { return m_runner.get(); }
    // The code the last job ended with; -1 while none has.
    int lastExitCode() const { return m_lastExitCode; }

    QLabel* jobLabel = nullptr;
    QPushButton* openButton = nullptr;
    QTableWidget* table = nullptr;
    ChipMap* chipMap = nullptr;
    QProgressBar* promptBar = nullptr;
    QProgressBar* jobBar = nullptr;
    QLabel* leftLabel = nullptr;
    QPushButton* startButton = nullptr;
    QPushButton* stopButton = nullptr;
    QPushButton* nextButton = nullptr;
    QPushButton* messagesButton = nullptr;
    QLabel* statusLabel = nullptr;
    QPlainTextEdit* refusalText = nullptr;

    // Start and the job's other buttons as the job stands; reading the chip's table elsewhere holds them.
    void updateButtons();
    void setReadingMessages(bool reading);

signals:
    // 打开任务… was pressed.
    void openRequested();
    // 读消息表 was pressed: the chip's table, on the job's port and at its rate, against its plan.
    void messagesRequested();

private:
    void showState(int index, PromptState state, const QString& reason);
    void updateProgress(int index, qint64 playedMs);

    Form1& m_form;
    MessageBoxGate& m_boxes;
    std::unique_ptr<JobRunner> m_runner;
    int m_lastExitCode = -1;
    bool m_readingMessages = false;
};

class MessageWindow;

// The job's place in the console: the main window's context-menu action "录音任务…" and the job
// window it opens. The window folder knows nothing of it; main attaches it, and it goes before the
// window does.
class JobDesk final : public QObject {
    Q_OBJECT
public:
    struct Settings {
        int boards = 1;
        QString reportPath; // empty: beside each job file
    };
    JobDesk(Form1& form, MessageBoxGate& boxes, Settings settings);
    ~JobDesk() override;

    QAction* action() const { return m_action; }
    // 读消息表 in the main window's context menu.
    QAction* messagesAction() const { return m_messagesAction; }
    // Null until first shown.
    JobWindow* window() const { return m_window.get(); }
    MessageWindow* messageWindow() const { return m_messageWindow.get(); }
    // Opens the window beside the main window; with no job in it, asks for one.
    void show();
    // Loads and plans the job file and shows it (or its refusals) in the window.
    void openJob(const QString& path);
    // Shows a job planned already.
    void showJob(const QString& path, const Plan& plan);
    int lastExitCode() const { return m_window ? m_window->lastExitCode() : -1; }

    // Reads the chip's table into the message window: on the window's port at 8 kHz, or on the job's
    // port at its rate and checked against its plan.
    void readMessages(bool forTheJob);

private:
    void ensureWindow();
    void askForJob();

    Form1& m_form;
    MessageBoxGate& m_boxes;
    Settings m_settings;
    QAction* m_action = nullptr;
    QAction* m_messagesAction = nullptr;
    std::unique_ptr<JobWindow> m_window;
    std::unique_ptr<MessageWindow> m_messageWindow;
};

} // namespace job
