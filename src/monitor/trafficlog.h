// The traffic monitor's rows, built from the link's record: one row per frame sent (when its last
// byte is out, or when it is cut short), per reply, per pile of received bytes that made no reply
// and per port event, oldest first. A row keeps the first rowBytes of its bytes and the count of
// the rest. The log holds at most rowLimit rows and about memoryLimit bytes with the trace lines of
// the events behind them (for saving in the trace's format), whatever the rows hold: the oldest
// rows go a hundredth of the bound at a time, with one row on top that says how many went.
#pragma once

#include "link/linktrace.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QFont>
#include <QString>

#include <deque>
#include <vector>

class TrafficLog final : public QAbstractTableModel, public LinkTraceSink {
    Q_OBJECT
public:
    enum Column { TimeColumn, DirectionColumn, BytesColumn, MeaningColumn, ColumnCount };
    static constexpr int defaultRowLimit = 100000;
    static constexpr qint64 defaultMemoryLimit = 64 * 1024 * 1024;
    static constexpr qsizetype rowBytes = 64;
    // A reply that comes later than this after the last byte of its command is marked.
    static constexpr qint64 lateReplyUs = 500000;

    explicit TrafficLog(int rowLimit = defaultRowLimit, qint64 memoryLimit = defaultMemoryLimit,
                        QObject* parent = nullptr);
    ~TrafficLog() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void record(const LinkEvent& event, const QByteArray& line) override;

    // The rows as the operator copies them: one line each, the four columns separated by tabs.
    QString rowsText(QList<int> rows) const;
    // The trace lines of the events held, in the order they came: what --trace wrote meanwhile.
    QByteArray traceText() const;
    // Saved whole or not at all; *error says why not, in the operator's words.
    bool saveTo(const QString& path, QString* error) const;
    // Empties the rows and the lines; a frame in transit and bytes still waiting for their reply
    // make their rows when they are done.
    void clear();

    int rowLimit() const { return m_rowLimit; }
    qint64 rowsGone() const { return m_rowsGone; }
    // What the rows and the trace lines take, about; received bytes still waiting for their reply
    // are the port's, and come in rows once the receiver has taken them.
    qint64 memoryUsed() const { return m_rowMemory + m_lineMemory; }
    // Received bytes that no reply or drop has taken yet, and the reply length last handed over.
    QByteArray waitingBytes() const;
    int replyLength() const { return m_replyLength; }

signals:
    void waitingChanged();

private:
    enum class RowKind : uint8_t { Sent, Received, Port };
    enum class Mark : uint8_t { None, Late, Trouble };
    struct Row {
        qint64 sinceOpenUs; // since the session's first opening of the port; -1 before it
        qint64 firstLine;   // the earliest trace line behind the row
        RowKind kind;
        Mark mark;
        QByteArray bytes; // the first rowBytes
        qint64 moreBytes; // the rest, counted
        QString meaning;
    };
    struct Chunk {
        qint64 line;
        QByteArray bytes;
    };
    struct LineBlock {
        qint64 first;
        qint64 count;
        QByteArray text;
    };
    struct Frame {
        bool active = false;
        qint64 line = 0;
        QByteArray bytes;
        std::vector<qint64> sentUs;
    };

    void addRow(qint64 us, qint64 firstLine, RowKind kind, Mark mark, QByteArray bytes, QString meaning);
    void frameDone(qint64 us, const QString& cutBy);
    QByteArray takeOldest(int count, qint64* firstLine);
    QByteArray takeNewest(int count, qint64* firstLine);
    // Drops the oldest rows while there are too many or they take too much, with their lines.
    void trim();
    void dropOldest(int count);
    void storeLine(qint64 number, const QByteArray& line);
    void forgetLinesBefore(qint64 number);
    static qint64 memoryOf(const Row& row);
    int topRows() const { return m_rowsGone > 0 ? 1 : 0; }

    const int m_rowLimit;
    const qint64 m_memoryLimit;
    std::deque<Row> m_rows;
    qint64 m_rowMemory = 0;
    qint64 m_lineMemory = 0;
    qint64 m_rowsGone = 0;
    std::deque<LineBlock> m_lines;
    qint64 m_nextLine = 0;
    qint64 m_linesFrom = 0;

    // Times count from the first opening, so that rows of one connection and the next stay in order.
    qint64 m_openedUs = -1;
    int m_openings = 0;
    Frame m_frame;
    // The last byte of the last frame sent whole, while its reply is awaited.
    qint64 m_commandDoneUs = -1;
    std::deque<Chunk> m_waiting;
    qsizetype m_waitingSize = 0;
    int m_replyLength = 0;
    QFont m_bytesFont;
};
