// The traffic monitor's rows. Received bytes wait in arrival order until the receiver says what it
// made of them: a reply or a drop takes the oldest, bytes unread at closing are the newest, and a
// hand-over whose count no longer holds the waiting ones shows them as bytes that made no reply.
#include "monitor/trafficlog.h"

#include "chip/statusregister.h"
#include "link/hextext.h"
#include "monitor/framemeaning.h"
#include "monitor/wholefile.h"

#include <QColor>
#include <QFontDatabase>

#include <algorithm>
#include <span>

namespace {

// Trace lines are kept in blocks of about this size, so that old ones go a block at a time.
constexpr qsizetype lineBlockBytes = 64 * 1024;
// Rows finish a little out of order (a frame's hand-over comes before the replies that finish
// while it is paced out): this many of the oldest rows decide which trace lines are still needed.
constexpr size_t rowsBehindLines = 16;

QString hex(const QByteArray& bytes) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    return hexText(std::span<const uint8_t>(data, size_t(bytes.size()))).trimmed();
}

// The status register ahead of the answer says that the chip refused a command (CMD_ERR).
bool chipRefused(uint8_t command, const QByteArray& reply) {
    const auto* data = reinterpret_cast<const uint8_t*>(reply.constData());
    const auto status = chip::replyStatus(command, std::span<const uint8_t>(data, size_t(reply.size())));
    return status && status->cmdErr;
}

QString milliseconds(qint64 us) {
    return QString::number(double(us) / 1000.0, 'f', 1);
}

} // namespace

TrafficLog::TrafficLog(int rowLimit, qint64 memoryLimit, QObject* parent)
    : QAbstractTableModel(parent), m_rowLimit(std::max(rowLimit, 1)),
      m_memoryLimit(std::max<qint64>(memoryLimit, 1)),
      m_bytesFont(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {}

TrafficLog::~TrafficLog() = default;

int TrafficLog::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : topRows() + int(m_rows.size());
}

int TrafficLog::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficLog::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case TimeColumn:
        return tr("时间 (ms)");
    case DirectionColumn:
        return tr("方向");
    case BytesColumn:
        return tr("字节");
    case MeaningColumn:
        return tr("含义");
    default:
        return QVariant();
    }
}

QVariant TrafficLog::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount())
        return QVariant();
    const int column = index.column();
    if (index.row() < topRows()) {
        if (column == MeaningColumn && (role == Qt::DisplayRole || role == Qt::ToolTipRole))
            return tr("较早的 %1 行已移除（最多保留 %2 行、%3 MB）")
                .arg(m_rowsGone)
                .arg(m_rowLimit)
                .arg(std::max<qint64>(m_memoryLimit / (1024 * 1024), 1));
        return QVariant();
    }
    const Row& row = m_rows[size_t(index.row() - topRows())];
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case TimeColumn:
            return row.sinceOpenUs < 0 ? QString() : milliseconds(row.sinceOpenUs);
        case DirectionColumn:
            return row.kind == RowKind::Sent       ? tr("发送")
                   : row.kind == RowKind::Received ? tr("接收")
                                                   : tr("端口");
        case BytesColumn:
            if (row.moreBytes > 0)
                return tr("%1 … 另有 %2 字节").arg(hex(row.bytes)).arg(row.moreBytes);
            return hex(row.bytes);
        case MeaningColumn:
            return row.meaning;
        default:
            return QVariant();
        }
    case Qt::ToolTipRole:
        return column == MeaningColumn ? QVariant(row.meaning) : QVariant();
    case Qt::BackgroundRole:
        if (row.mark == Mark::Late)
            return QColor(0xFF, 0xE0, 0xB2);
        if (row.mark == Mark::Trouble)
            return QColor(0xFF, 0xDD, 0xDD);
        return QVariant();
    case Qt::FontRole:
        return column == BytesColumn ? QVariant(m_bytesFont) : QVariant();
    case Qt::TextAlignmentRole:
        return column == TimeColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    default:
        return QVariant();
    }
}

void TrafficLog::record(const LinkEvent& e, const QByteArray& line) {
    const qint64 number = m_nextLine++;
    storeLine(number, line);
    using Kind = LinkEvent::Kind;
    switch (e.kind) {
    case Kind::Sent:
        if (!m_frame.active) {
            addRow(e.us, number, RowKind::Sent, Mark::Trouble, e.bytes, tr("不属于任何帧的字节"));
            break;
        }
        m_frame.sentUs.push_back(e.us);
        if (qsizetype(m_frame.sentUs.size()) >= m_frame.bytes.size())
            frameDone(e.us, QString());
        break;
    case Kind::HandedOver: {
        if (m_frame.active)
            frameDone(e.us, tr("被下一帧取代"));
        m_commandDoneUs = -1;
        // A read operation counts its reply afresh: bytes counted before are no reply's any more.
        const qsizetype forgotten = m_waitingSize - e.counted;
        if (forgotten > 0) {
            qint64 first = number;
            QByteArray bytes = takeOldest(int(forgotten), &first);
            addRow(e.us, first, RowKind::Received, Mark::Trouble, bytes,
                   tr("未成应答：新的命令重新计数，这 %1 字节不再计入应答").arg(bytes.size()));
        }
        m_replyLength = e.count;
        m_frame = Frame{!e.bytes.isEmpty(), number, e.bytes, {}};
        emit waitingChanged();
        break;
    }
    case Kind::Received:
        if (e.bytes.isEmpty())
            break;
        m_waiting.push_back({number, e.bytes});
        m_waitingSize += e.bytes.size();
        emit waitingChanged();
        break;
    case Kind::Reply: {
        qint64 first = number;
        QByteArray bytes = takeOldest(e.count < 0 ? int(m_waitingSize) : e.count, &first);
        QString meaning = e.shown.isEmpty() ? e.text : e.shown;
        Mark mark = Mark::None;
        if (m_commandDoneUs >= 0 && e.us - m_commandDoneUs > lateReplyUs) {
            mark = Mark::Late;
            meaning += tr("；晚到：命令发出 %1 ms 后").arg(milliseconds(e.us - m_commandDoneUs));
        }
        m_commandDoneUs = -1;
        if (chipRefused(e.command, bytes))
            mark = Mark::Trouble;
        addRow(e.us, first, RowKind::Received, mark, bytes, meaning);
        emit waitingChanged();
        break;
    }
    case Kind::Dropped: {
        qint64 first = number;
        QByteArray bytes = takeOldest(e.count, &first);
        addRow(e.us, first, RowKind::Received, Mark::Trouble, bytes,
               tr("未成应答：%1").arg(e.shown.isEmpty() ? e.text : e.shown));
        emit waitingChanged();
        break;
    }
    case Kind::UnreadAtClose:
    case Kind::InputDiscarded: {
        qint64 first = number;
        QByteArray bytes = takeNewest(e.count, &first);
        addRow(e.us, first, RowKind::Received, Mark::Trouble, bytes,
               e.kind == Kind::UnreadAtClose ? tr("未读取：串口关闭时还没有交给接收方")
                                             : tr("未读取：输入被清空"));
        emit waitingChanged();
        break;
    }
    case Kind::Opened:
        if (m_openedUs < 0)
            m_openedUs = e.us;
        addRow(e.us, number, RowKind::Port, Mark::None, {},
               tr("第 %1 次打开：%2，%3 %4")
                   .arg(QString::number(++m_openings), e.text, QString::number(e.count), e.detail));
        break;
    case Kind::Closed:
        if (m_frame.active)
            frameDone(e.us, tr("串口已关闭"));
        addRow(e.us, number, RowKind::Port, Mark::None, {}, tr("已关闭 %1").arg(e.text));
        break;
    case Kind::OpenFailed:
        addRow(e.us, number, RowKind::Port, Mark::Trouble, {}, tr("无法打开 %1：%2").arg(e.text, e.detail));
        break;
    case Kind::Lost:
        if (m_frame.active)
            frameDone(e.us, tr("串口已断开"));
        addRow(e.us, number, RowKind::Port, Mark::Trouble, {},
               tr("%1 已断开：%2").arg(e.text, e.shown.isEmpty() ? e.detail : e.shown));
        break;
    case Kind::Note:
        addRow(e.us, number, RowKind::Port, Mark::None, {}, e.shown.isEmpty() ? e.text : e.shown);
        break;
    case Kind::TraceFailed:
        addRow(e.us, number, RowKind::Port, Mark::Trouble, {},
               tr("跟踪文件 %1 写入失败：%2；此后不再写入，控制台照常运行")
                   .arg(e.text, fileFailureText({e.count, e.detail})));
        break;
    }
}

void TrafficLog::frameDone(qint64 us, const QString& cutBy) {
    const auto* data = reinterpret_cast<const uint8_t*>(m_frame.bytes.constData());
    QString meaning = frameMeaning(std::span<const uint8_t>(data, size_t(m_frame.bytes.size())));
    const qsizetype sent = qsizetype(m_frame.sentUs.size());
    QStringList gaps;
    for (qsizetype i = 1; i < sent; ++i)
        gaps << milliseconds(m_frame.sentUs[size_t(i)] - m_frame.sentUs[size_t(i - 1)]);
    Mark mark = Mark::None;
    if (cutBy.isEmpty()) {
        m_commandDoneUs = us;
    } else {
        mark = Mark::Trouble;
        meaning += tr("；%1 字节只发出 %2 字节：%3").arg(m_frame.bytes.size()).arg(sent).arg(cutBy);
    }
    if (!gaps.isEmpty())
        meaning += tr("；间隔 %1 ms").arg(gaps.join(QLatin1Char(' ')));
    m_frame.active = false;
    addRow(us, m_frame.line, RowKind::Sent, mark, m_frame.bytes.left(sent), meaning);
}

QByteArray TrafficLog::takeOldest(int count, qint64* firstLine) {
    QByteArray bytes;
    bool first = true;
    while (count > 0 && !m_waiting.empty()) {
        Chunk& chunk = m_waiting.front();
        if (first)
            *firstLine = chunk.line;
        first = false;
        const qsizetype n = std::min<qsizetype>(count, chunk.bytes.size());
        bytes += chunk.bytes.left(n);
        count -= int(n);
        m_waitingSize -= n;
        if (n == chunk.bytes.size())
            m_waiting.pop_front();
        else
            chunk.bytes.remove(0, n);
    }
    return bytes;
}

QByteArray TrafficLog::takeNewest(int count, qint64* firstLine) {
    QByteArray bytes;
    while (count > 0 && !m_waiting.empty()) {
        Chunk& chunk = m_waiting.back();
        *firstLine = chunk.line;
        const qsizetype n = std::min<qsizetype>(count, chunk.bytes.size());
        bytes.prepend(chunk.bytes.right(n));
        count -= int(n);
        m_waitingSize -= n;
        if (n == chunk.bytes.size())
            m_waiting.pop_back();
        else
            chunk.bytes.chop(n);
    }
    return bytes;
}

void TrafficLog::addRow(qint64 us, qint64 firstLine, RowKind kind, Mark mark, QByteArray bytes,
                        QString meaning) {
    const qint64 more = std::max<qsizetype>(bytes.size() - rowBytes, 0);
    if (more > 0) {
        bytes.truncate(rowBytes);
        bytes.squeeze();
    }
    const int at = rowCount();
    beginInsertRows(QModelIndex(), at, at);
    m_rows.push_back(Row{m_openedUs >= 0 ? us - m_openedUs : -1, firstLine, kind, mark, std::move(bytes),
                         more, std::move(meaning)});
    m_rowMemory += memoryOf(m_rows.back());
    endInsertRows();
    trim();
}

qint64 TrafficLog::memoryOf(const Row& row) {
    // Each of the two texts is an allocation of its own, with a header.
    constexpr qint64 allocation = 32;
    return qint64(sizeof(Row)) + row.bytes.capacity() + allocation +
           row.meaning.capacity() * qint64(sizeof(QChar)) + allocation;
}

void TrafficLog::trim() {
    // A table view pays for rows leaving its top in proportion to all the rows it holds (0.5 ms a
    // time at 100,000): the oldest go a hundredth of the bound at a time, and past the memory
    // bound a tenth of the rows at a time until a tenth of it is free again.
    const int batch = std::max(m_rowLimit / 100, 1);
    if (qsizetype(m_rows.size()) > m_rowLimit) {
        dropOldest(int(m_rows.size()) - m_rowLimit + batch - 1);
        qint64 needed = m_nextLine;
        for (size_t i = 0; i < std::min(m_rows.size(), rowsBehindLines); ++i)
            needed = std::min(needed, m_rows[i].firstLine);
        if (m_frame.active)
            needed = std::min(needed, m_frame.line);
        if (!m_waiting.empty())
            needed = std::min(needed, m_waiting.front().line);
        forgetLinesBefore(needed);
    }
    if (memoryUsed() <= m_memoryLimit)
        return;
    // Lines held back for a frame in transit or for bytes still waiting go too here: a pile that
    // never ends must not hold every line after it.
    while (memoryUsed() > m_memoryLimit - m_memoryLimit / 10) {
        dropOldest(std::max(int(m_rows.size()) / 10, std::min(1, int(m_rows.size()))));
        qint64 needed = m_nextLine;
        for (size_t i = 0; i < std::min(m_rows.size(), rowsBehindLines); ++i)
            needed = std::min(needed, m_rows[i].firstLine);
        forgetLinesBefore(needed);
        if (m_rows.empty())
            break;
    }
}

void TrafficLog::dropOldest(int count) {
    if (count <= 0)
        return;
    beginRemoveRows(QModelIndex(), topRows(), topRows() + count - 1);
    for (int i = 0; i < count; ++i)
        m_rowMemory -= memoryOf(m_rows[size_t(i)]);
    m_rows.erase(m_rows.begin(), m_rows.begin() + count);
    endRemoveRows();
    if (m_rowsGone == 0) {
        beginInsertRows(QModelIndex(), 0, 0);
        m_rowsGone = count;
        endInsertRows();
    } else {
        m_rowsGone += count;
        emit dataChanged(index(0, 0), index(0, ColumnCount - 1));
    }
}

void TrafficLog::storeLine(qint64 number, const QByteArray& line) {
    if (m_lines.empty() || m_lines.back().text.size() >= lineBlockBytes) {
        if (!m_lines.empty()) {
            // A full block takes no more than it holds.
            m_lineMemory -= m_lines.back().text.capacity();
            m_lines.back().text.squeeze();
            m_lineMemory += m_lines.back().text.capacity();
        }
        m_lines.push_back({number, 0, QByteArray()});
    }
    QByteArray& text = m_lines.back().text;
    m_lineMemory -= text.capacity();
    text += line;
    m_lineMemory += text.capacity();
    ++m_lines.back().count;
}

void TrafficLog::forgetLinesBefore(qint64 number) {
    m_linesFrom = std::max(m_linesFrom, number);
    while (!m_lines.empty() && m_lines.front().first + m_lines.front().count <= m_linesFrom) {
        m_lineMemory -= m_lines.front().text.capacity();
        m_lines.pop_front();
    }
}

QByteArray TrafficLog::traceText() const {
    QByteArray text;
    for (const LineBlock& block : m_lines) {
        if (block.first >= m_linesFrom) {
            text += block.text;
            continue;
        }
        // The trace formatter writes one newline per line, at its end.
        qsizetype from = 0;
        for (qint64 skip = m_linesFrom - block.first; skip > 0 && from >= 0; --skip) {
            from = block.text.indexOf('\n', from);
            if (from >= 0)
                ++from;
        }
        if (from >= 0)
            text += QByteArrayView(block.text).sliced(from);
    }
    return text;
}

bool TrafficLog::saveTo(const QString& path, QString* error) const {
    FileFailure failure;
    if (writeWholeFile(path, traceText(), &failure))
        return true;
    if (error)
        *error = fileFailureText(failure);
    return false;
}

void TrafficLog::clear() {
    beginResetModel();
    m_rows.clear();
    m_rowsGone = 0;
    m_lines.clear();
    m_rowMemory = 0;
    m_lineMemory = 0;
    m_linesFrom = m_nextLine;
    endResetModel();
}

QString TrafficLog::rowsText(QList<int> rows) const {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QString text;
    for (const int row : rows) {
        if (row < 0 || row >= rowCount())
            continue;
        QStringList cells;
        for (int column = 0; column < ColumnCount; ++column)
            cells << data(index(row, column)).toString();
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

QByteArray TrafficLog::waitingBytes() const {
    QByteArray bytes;
    for (const Chunk& chunk : m_waiting)
        bytes += chunk.bytes;
    return bytes;
}
