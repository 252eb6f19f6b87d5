// The job's report as JSON Lines.
#include "job/jobreport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace job {

QString resultWord(PromptResult result) {
    switch (result) {
    case PromptResult::Ok:
        return QStringLiteral("ok");
    case PromptResult::Failed:
        return QStringLiteral("failed");
    case PromptResult::Interrupted:
        return QStringLiteral("interrupted");
    case PromptResult::NotRun:
        break;
    }
    return QStringLiteral("not run");
}

QString resultWord(BoardResult result) {
    switch (result) {
    case BoardResult::Ok:
        return QStringLiteral("ok");
    case BoardResult::Failed:
        return QStringLiteral("failed");
    case BoardResult::Interrupted:
        return QStringLiteral("interrupted");
    case BoardResult::Refused:
        break;
    }
    return QStringLiteral("refused");
}

QByteArray reportLine(const BoardReport& board) {
    QJsonArray prompts;
    for (const PromptReport& p : board.prompts) {
        prompts.append(QJsonObject{
            {QStringLiteral("name"), p.name},
            {QStringLiteral("file"), p.file},
            {QStringLiteral("from_ms"), qint64(p.fromMs)},
            {QStringLiteral("to_ms"), qint64(p.toMs)},
            {QStringLiteral("start_row"), p.startRow},
            {QStringLiteral("end_row"), p.endRow},
            {QStringLiteral("rec_ptr"), p.recPtr ? QJsonValue(*p.recPtr) : QJsonValue()},
            {QStringLiteral("result"), resultWord(p.result)},
            {QStringLiteral("reason"), p.reason},
            {QStringLiteral("gain_db"), std::round(p.gainDb * 10.0) / 10.0 + 0.0},
            {QStringLiteral("clipped"), p.clipped ? QJsonValue(qint64(*p.clipped)) : QJsonValue()},
        });
    }
    QJsonValue messages;
    if (board.messages) {
        QJsonArray table;
        for (size_t i = 0; i < board.messages->table.size(); ++i) {
            const MessagesReport::Message& m = board.messages->table[i];
            table.append(
                QJsonObject{{QStringLiteral("number"), qint64(i + 1)},
                            {QStringLiteral("start_row"), m.startRow},
                            {QStringLiteral("end_row"), m.endRow ? QJsonValue(*m.endRow) : QJsonValue()}});
        }
        messages = QJsonObject{
            {QStringLiteral("result"), board.messages->ok ? QStringLiteral("ok") : QStringLiteral("failed")},
            {QStringLiteral("reason"), board.messages->reason},
            {QStringLiteral("rec_ptr"), board.messages->recPtr},
            {QStringLiteral("table"), table}};
    }
    const QJsonObject line{
        {QStringLiteral("job"), board.job},
        {QStringLiteral("board"), board.board},
        {QStringLiteral("port"), board.port},
        {QStringLiteral("chip"), board.chip},
        {QStringLiteral("started"), board.started.toUTC().toString(Qt::ISODate)},
        {QStringLiteral("seconds"), std::round(board.seconds * 100.0) / 100.0},
        {QStringLiteral("result"), resultWord(board.result)},
        {QStringLiteral("reason"), board.reason},
        {QStringLiteral("prompts"), prompts},
        {QStringLiteral("messages"), messages},
    };
    return QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
}

bool appendReport(const QString& path, const BoardReport& board, QString* error) {
    QFile file(path);
    const QByteArray line = reportLine(board);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size() ||
        !file.flush()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool reportWritable(const QString& path, QString* error) {
    QFile file(path);
    const bool existed = file.exists();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.close();
    // Nothing is left behind by a job refused later on.
    if (!existed)
        file.remove();
    return true;
}

QString defaultReportPath(const QString& jobPath) {
    const QFileInfo info(jobPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".report.jsonl"));
}

int exitCodeFor(const std::vector<BoardResult>& boards) {
    int code = exitOk;
    for (const BoardResult result : boards) {
        if (result == BoardResult::Interrupted || result == BoardResult::Refused)
            code = exitBoardOrLink;
        else if (result == BoardResult::Failed && code == exitOk)
            code = exitVerifyFailed;
    }
    return code;
}

} // namespace job
