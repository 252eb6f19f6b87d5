// The traffic monitor as the main window holds it: the log, recording from the start so that
// nothing is missed while the window is closed, the action that opens the window (context menu
// and F12), the window itself once opened, and the hand-over of the frames typed into it.
#pragma once

#include "monitor/typedframe.h"

#include <QObject>

#include <memory>

class Form1;
class LinkTrace;
class MonitorWindow;
class QAction;
class TrafficLog;

class TrafficMonitor final : public QObject {
    Q_OBJECT
public:
    // Records through the port's trace, or through a record of its own when there is none.
    explicit TrafficMonitor(Form1& form);
    ~TrafficMonitor() override;

    TrafficLog& log() const { return *m_log; }
    // "通信监视 (F12)", in the main window's context menu.
    QAction* action() const { return m_action; }
    // Null until the window is first opened.
    MonitorWindow* window() const { return m_window.get(); }

    // Opens the window, beside the main window the first time, or brings it to the front.
    void show();
    // A typed frame goes out through the window's send path, with its reply length counted from a
    // fresh start.
    void send(const TypedFrame& typed);
    // The window's send line on or off, also for a window not opened yet.
    void setSendLineEnabled(bool enabled);

private:
    Form1& m_form;
    std::unique_ptr<LinkTrace> m_ownTrace;
    std::unique_ptr<TrafficLog> m_log;
    std::unique_ptr<MonitorWindow> m_window;
    QAction* m_action = nullptr;
    bool m_sendLineEnabled = true;
};
