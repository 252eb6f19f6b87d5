// The traffic monitor's place in the console.
#include "form/trafficmonitor.h"

#include "form/form1.h"

#include "link/linktrace.h"
#include "monitor/monitorwindow.h"
#include "monitor/trafficlog.h"

#include <QAction>
#include <QScreen>

TrafficMonitor::TrafficMonitor(Form1& form)
    : QObject(&form), m_form(form), m_log(std::make_unique<TrafficLog>()) {
    setObjectName(QStringLiteral("TrafficMonitor"));
    LinkTrace* trace = form.MSComm1->trace();
    if (!trace) {
        m_ownTrace = std::make_unique<LinkTrace>();
        trace = m_ownTrace.get();
        form.MSComm1->setTrace(trace);
    }
    trace->addSink(m_log.get());

    m_action = new QAction(tr("通信监视 (F12)"), &form);
    m_action->setObjectName(QStringLiteral("MonitorAction"));
    m_action->setShortcut(QKeySequence(Qt::Key_F12));
    // F12 opens it from either window; the entry already names its key.
    m_action->setShortcutContext(Qt::ApplicationShortcut);
    m_action->setShortcutVisibleInContextMenu(false);
    form.setContextMenuPolicy(Qt::ActionsContextMenu);
    form.addAction(m_action);
    connect(m_action, &QAction::triggered, this, &TrafficMonitor::show);
}

// The window goes first, while the log it shows is still there. The port, which may write into
// the record of our own, is the window's platform control and is gone before its children are.
TrafficMonitor::~TrafficMonitor() {
    m_window.reset();
}

void TrafficMonitor::show() {
    const bool first = !m_window;
    if (first) {
        m_window = std::make_unique<MonitorWindow>(*m_log, [this](const TypedFrame& typed) { send(typed); });
        m_window->setFont(m_form.font());
        m_window->setSendLineEnabled(m_sendLineEnabled);
        // Beside the main window where the screen has room, so that both are in sight.
        const QRect main = m_form.frameGeometry();
        if (const QScreen* screen = m_form.screen()) {
            const QRect room = screen->availableGeometry();
            const QSize size = m_window->size();
            if (main.right() + 8 + size.width() <= room.right())
                m_window->move(main.right() + 8, main.top());
            else if (main.left() - 8 - size.width() >= room.left())
                m_window->move(main.left() - 8 - size.width(), main.top());
        }
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void TrafficMonitor::send(const TypedFrame& typed) {
    if (!typed.frame.empty())
        m_form.sendFrame(typed.frame, typed.replyLength);
}

void TrafficMonitor::setSendLineEnabled(bool enabled) {
    m_sendLineEnabled = enabled;
    if (m_window)
        m_window->setSendLineEnabled(enabled);
}
