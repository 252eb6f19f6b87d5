// The traffic monitor's window, kept beside the main window: the rows of the traffic log, the
// controls over them (pause the scrolling, clear, copy, save in the trace's format) and the send
// line for frames that no button sends.
#pragma once

#include "monitor/typedframe.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TrafficLog;

class MonitorWindow final : public QWidget {
    Q_OBJECT
public:
    using Send = std::function<void(const TypedFrame&)>;
    static constexpr int historyLimit = 20;

    MonitorWindow(TrafficLog& log, Send send, QWidget* parent = nullptr);
    ~MonitorWindow() override;

    QPushButton* pauseButton = nullptr;
    QPushButton* clearButton = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* saveButton = nullptr;
    QTableView* table = nullptr;
    QLabel* waitingLabel = nullptr;
    QLineEdit* frameEdit = nullptr;
    QLineEdit* lengthEdit = nullptr;
    QPushButton* sendButton = nullptr;
    QLabel* messageLabel = nullptr;

    // Asks where to save; empty when the operator cancels. Tests put their own answer here.
    std::function<QString()> askSavePath;
    // The save dialog: it starts in the folder of the last save and gives a name without an
    // extension ".txt" while the text filter is chosen.
    QString askWhereToSave();

    void sendTyped();
    // The send line as a whole, off while something else drives the board.
    void setSendLineEnabled(bool enabled);
    void copySelected();
    void saveAs();
    // The frames sent from the line, oldest first.
    QStringList history() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Entry {
        QString frame;
        QString length;
    };
    void tell(const QString& text, bool trouble);
    void browseHistory(int step);
    void followRows();
    // Rows came in (added > 0) or went (added < 0) above the ones in sight.
    void keepViewOnTop(int added);
    void showWaiting();
    void fitColumns();

    TrafficLog& m_log;
    Send m_send;
    QList<Entry> m_history;
    // The entry shown while browsing with the arrows; -1 while the operator's own text is there.
    int m_browsing = -1;
    Entry m_draft;
    bool m_followQueued = false;
    bool m_waitingQueued = false;
    QString m_saveFolder;
    bool m_columnsFitted = false;
};
