// Each analysis on a std::thread with its own cancel flag; its result comes back as a queued call.
#include "player/sourceanalyser.h"

#include <QMetaObject>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace player {

SourceAnalyser::SourceAnalyser(QObject* parent) : QObject(parent) {}

SourceAnalyser::~SourceAnalyser() {
    for (Run& run : m_runs)
        run.cancel->store(true);
    // Calls a thread queued before it ended die with this object.
    for (Run& run : m_runs)
        run.thread.join();
}

void SourceAnalyser::start(const QString& path) {
    stop();
    joinEnded();
    const quint64 id = ++m_current;
    Run run{{}, std::make_shared<std::atomic<bool>>(false), std::make_shared<std::atomic<bool>>(false)};
    run.thread = std::thread([this, id, path, cancel = run.cancel, done = run.done] {
#ifdef Q_OS_LINUX
        // One thread that yields to the window's: the engine feeds the sound output from there every 5 ms.
        ::setpriority(PRIO_PROCESS, id_t(::gettid()), 10);
#endif
        QString error;
        const std::optional<SourceFigures> figures = analyseSource(path, &error, {1, cancel.get()});
        if (!cancel->load()) {
            QMetaObject::invokeMethod(
                this,
                [this, id, path, figures, error] {
                    if (id != m_current)
                        return;
                    if (figures)
                        emit measured(path, *figures);
                    else
                        emit failed(path, error);
                },
                Qt::QueuedConnection);
        }
        done->store(true);
    });
    m_runs.push_back(std::move(run));
}

void SourceAnalyser::stop() {
    ++m_current;
    for (Run& run : m_runs)
        run.cancel->store(true);
}

void SourceAnalyser::joinEnded() {
    for (auto it = m_runs.begin(); it != m_runs.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = m_runs.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace player
