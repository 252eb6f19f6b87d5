// The record of a job: one JSON line per board, appended to the report file, and the exit code the
// boards add up to.
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace job {

enum class PromptResult { Ok, Failed, Interrupted, NotRun };
enum class BoardResult { Ok, Failed, Interrupted, Refused };
// The words the report and the prompt lines use: "ok", "failed", "interrupted", "not run", "refused".
QString resultWord(PromptResult result);
QString resultWord(BoardResult result);

struct PromptReport {
    QString name;
    QString file;
    int64_t fromMs = 0;
    int64_t toMs = 0;
    int startRow = 0;
    int endRow = 0;
    std::optional<int> recPtr; // as read from the chip
    PromptResult result = PromptResult::NotRun;
    QString reason;
    double gainDb = 0.0;            // the gain the engine applied
    std::optional<int64_t> clipped; // samples the gain clipped while the prompt played
};

// 校验: the chip's own message table read after the prompts, against the plan.
struct MessagesReport {
    bool ok = false;
    QString reason; // what differs from the plan
    int recPtr = 0;
    struct Message {
        int startRow = 0;
        std::optional<int> endRow; // unknown where the record pointer lies before its start
    };
    std::vector<Message> table;
};

struct BoardReport {
    QString job;
    int board = 0;
    int port = 0;
    QString chip; // the model DEVID named; empty when it was never read
    QDateTime started;
    double seconds = 0;
    BoardResult result = BoardResult::Ok;
    QString reason;
    std::vector<PromptReport> prompts;
    std::optional<MessagesReport> messages; // once every prompt has been through
};

// One line of JSON, ending in a line feed; rows are integers, started is UTC in ISO 8601, a gain in dB
// to 0.1. messages is null, or {"result": "ok" or "failed", "reason", "rec_ptr", "table": [{"number",
// "start_row", "end_row"}, ...]}.
QByteArray reportLine(const BoardReport& board);
// Appends the line; false with the system's reason when it could not be written whole.
bool appendReport(const QString& path, const BoardReport& board, QString* error);
// Whether path can take lines, without writing any.
bool reportWritable(const QString& path, QString* error);
// door.toml -> door.report.jsonl, beside it.
QString defaultReportPath(const QString& jobPath);

// Exit codes: every board ok; a prompt failed its verify; the job or an option refused (nothing
// sent); the board or the link (no port, no answer, wrong chip, lost, stopped).
enum ExitCode : int { exitOk = 0, exitVerifyFailed = 1, exitRefused = 2, exitBoardOrLink = 3 };
// The code that boards ended so add up to: the worst of them, and never 0 after a failed verify.
int exitCodeFor(const std::vector<BoardResult>& boards);

} // namespace job
