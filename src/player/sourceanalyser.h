// The analysis of a source file on one thread of its own, at a lower priority, for a window that must
// neither wait for it nor lose the sound it plays meanwhile: the figures are told on the thread that asked,
// and only those of the file asked for last.
#pragma once

#include "player/sourceanalysis.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace player {

class SourceAnalyser final : public QObject {
    Q_OBJECT
public:
    explicit SourceAnalyser(QObject* parent = nullptr);
    // Gives up what is running and waits for its threads.
    ~SourceAnalyser() override;

    // Measures path; an analysis still running is given up and never told.
    void start(const QString& path);
    // Gives up the analysis running, if any.
    void stop();

signals:
    void measured(const QString& path, const player::SourceFigures& figures);
    void failed(const QString& path, const QString& reason);

private:
    struct Run {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> cancel;
        std::shared_ptr<std::atomic<bool>> done;
    };
    // Runs given up are joined once they have ended (an mp3's scan cannot be interrupted), never waited
    // for on the window's thread while they still work.
    void joinEnded();

    std::vector<Run> m_runs;
    quint64 m_current = 0;
};

} // namespace player
