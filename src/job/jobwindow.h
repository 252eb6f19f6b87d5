// The job window beside the main window: the plan as a table, a picture of the chip's memory with
// each prompt as a band, the progress of the prompt and of the job, and 开始 / 停止 / 下一块板.
#pragma once

#include "job/jobrunner.h"

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
// the free rows grey.
class ChipMap final : public QWidget {
    Q_OBJECT
public:
    explicit ChipMap(QWidget* parent = nullptr);
    void setPlan(const Plan& plan);
    void setState(int index, PromptState state);
    QSize sizeHint() const override { return {560, 36}; }
    // The colour a prompt's band shows in.
    static QColor colourOf(PromptState state);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Plan m_plan;
    std::vector<PromptState> m_states;
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
    QLabel* statusLabel = nullptr;
    QPlainTextEdit* refusalText = nullptr;

signals:
    // 打开任务… was pressed.
    void openRequested();

private:
    void showState(int index, PromptState state, const QString& reason);
    void updateProgress(int index, qint64 playedMs);
    void updateButtons();

    Form1& m_form;
    MessageBoxGate& m_boxes;
    std::unique_ptr<JobRunner> m_runner;
    int m_lastExitCode = -1;
};

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
    // Null until first shown.
    JobWindow* window() const { return m_window.get(); }
    // Opens the window beside the main window; with no job in it, asks for one.
    void show();
    // Loads and plans the job file and shows it (or its refusals) in the window.
    void openJob(const QString& path);
    // Shows a job planned already.
    void showJob(const QString& path, const Plan& plan);
    int lastExitCode() const { return m_window ? m_window->lastExitCode() : -1; }

private:
    void ensureWindow();
    void askForJob();

    Form1& m_form;
    MessageBoxGate& m_boxes;
    Settings m_settings;
    QAction* m_action = nullptr;
    std::unique_ptr<JobWindow> m_window;
};

} // namespace job
