// Reading a job file: toml++ parses it, then every key is checked against the job's keys, each
// fault kept with its line and column so that all of them are told at once.
#include "job/jobfile.h"

#include "job/jobtext.h"
#include "link/devicetable.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

#include <toml++/toml.h>

#include <algorithm>
#include <limits>

namespace job {

namespace {

Place sourcePlace(const toml::source_region& source) {
    return Place{int(std::min<toml::source_index>(source.begin.line, std::numeric_limits<int>::max())),
                 int(std::min<toml::source_index>(source.begin.column, std::numeric_limits<int>::max()))};
}

QString keyText(const toml::key& key) {
    return QString::fromStdString(std::string(key.str()));
}

QString modelNames() {
    QStringList names;
    for (const DeviceModel& m : deviceModels())
        names << QString::fromLatin1(m.name);
    return names.join(QStringLiteral(", "));
}

// The checks of one table against the keys it may hold.
class TableReader {
public:
    TableReader(const toml::table& table, Place at, std::vector<Fault>& faults, QStringList known)
        : m_table(table), m_at(at), m_faults(faults) {
        for (auto&& [key, node] : table) {
            if (!known.contains(keyText(key)))
                fail(sourcePlace(key.source()), JobText::tr("未知的键“%1”").arg(keyText(key)));
        }
    }

    void fail(Place at, const QString& text) { m_faults.push_back({at, text}); }
    const toml::node* node(const char* key) const { return m_table.get(key); }
    Place placeOf(const char* key) const {
        const toml::node* n = node(key);
        return n ? sourcePlace(n->source()) : m_at;
    }
    void missing(const char* key) { fail(m_at, JobText::tr("缺少键“%1”").arg(QLatin1String(key))); }

    std::optional<QString> string(const char* key, bool required) {
        const toml::node* n = node(key);
        if (!n) {
            if (required)
                missing(key);
            return std::nullopt;
        }
        if (!n->is_string()) {
            fail(placeOf(key), JobText::tr("“%1”须为字符串").arg(QLatin1String(key)));
            return std::nullopt;
        }
        return QString::fromStdString(n->as_string()->get());
    }

    std::optional<int64_t> integer(const char* key, int64_t low, int64_t high, bool hexadecimal = false) {
        const toml::node* n = node(key);
        if (!n)
            return std::nullopt;
        if (!n->is_integer()) {
            fail(placeOf(key), JobText::tr("“%1”须为整数").arg(QLatin1String(key)));
            return std::nullopt;
        }
        const int64_t value = n->as_integer()->get();
        if (value < low || value > high) {
            const auto show = [hexadecimal](int64_t v) {
                return hexadecimal && v >= 0 ? rowText(v) : QString::number(v);
            };
            fail(placeOf(key), JobText::tr("“%1”须在 %2 到 %3 之间，而不是 %4")
                                   .arg(QLatin1String(key), show(low), show(high), show(value)));
            return std::nullopt;
        }
        return value;
    }

    std::optional<bool> boolean(const char* key) {
        const toml::node* n = node(key);
        if (!n)
            return std::nullopt;
        if (!n->is_boolean()) {
            fail(placeOf(key), JobText::tr("“%1”须为 true 或 false").arg(QLatin1String(key)));
            return std::nullopt;
        }
        return n->as_boolean()->get();
    }

    // A number written as an integer or with a fraction.
    std::optional<double> number(const char* key, double low, double high) {
        const toml::node* n = node(key);
        if (!n)
            return std::nullopt;
        if (!n->is_number()) {
            fail(placeOf(key), JobText::tr("“%1”须为数值").arg(QLatin1String(key)));
            return std::nullopt;
        }
        const double value = n->is_integer() ? double(n->as_integer()->get()) : n->as_floating_point()->get();
        if (!(value >= low && value <= high)) {
            fail(placeOf(key), JobText::tr("“%1”须在 %2 到 %3 之间，而不是 %4")
                                   .arg(QLatin1String(key))
                                   .arg(low)
                                   .arg(high)
                                   .arg(value));
            return std::nullopt;
        }
        return value;
    }

    // A time: "mm:ss:hh" or whole milliseconds.
    std::optional<int64_t> time(const char* key) {
        const toml::node* n = node(key);
        if (!n)
            return std::nullopt;
        std::optional<int64_t> ms;
        if (n->is_integer() && n->as_integer()->get() >= 0 &&
            n->as_integer()->get() <= std::numeric_limits<int32_t>::max())
            ms = n->as_integer()->get();
        else if (n->is_string())
            ms = timeTextMs(QString::fromStdString(n->as_string()->get()));
        if (!ms)
            fail(placeOf(key), JobText::tr("“%1”须为 \"mm:ss:hh\" 形式的时间或 0 到 2147483647 之间的毫秒数")
                                   .arg(QLatin1String(key)));
        return ms;
    }

private:
    const toml::table& m_table;
    Place m_at;
    std::vector<Fault>& m_faults;
};

} // namespace

QString rowText(int64_t row) {
    return QStringLiteral("0x") + QString::number(row, 16).toUpper().rightJustified(3, QLatin1Char('0'));
}

QString faultLine(const QString& file, const Fault& fault) {
    return QStringLiteral("%1:%2:%3: %4").arg(file).arg(fault.at.line).arg(fault.at.column).arg(fault.text);
}

void sortFaults(std::vector<Fault>& faults) {
    std::stable_sort(faults.begin(), faults.end(), [](const Fault& a, const Fault& b) {
        return std::pair(a.at.line, a.at.column) < std::pair(b.at.line, b.at.column);
    });
}

std::optional<int64_t> timeTextMs(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,5}):([0-5]\\d):(\\d\\d)$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const int64_t ms = m.captured(1).toLongLong() * 60000 + m.captured(2).toLongLong() * 1000 +
                       m.captured(3).toLongLong() * 10;
    if (ms > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return ms;
}

ReadJob readJobText(std::string_view text, const QString& folder) {
    ReadJob read;
    toml::table root;
    try {
        root = toml::parse(text);
    } catch (const toml::parse_error& error) {
        read.faults.push_back(
            {sourcePlace(error.source()),
             JobText::tr("TOML 语法错误：%1")
                 .arg(QString::fromUtf8(error.description().data(), qsizetype(error.description().size())))});
        return read;
    }

    JobFile& job = read.jobFile;
    TableReader top(root, Place{1, 1}, read.faults,
                    {"chip", "sample_rate_khz", "erase", "gap_rows", "lead_in_ms", "port", "trim",
                     "volume_step", "prompt"});
    if (const auto chip = top.string("chip", true)) {
        job.chipAt = top.placeOf("chip");
        if (const DeviceModel* model = deviceModelNamed(chip->trimmed()))
            job.chip = QString::fromLatin1(model->name);
        else
            top.fail(job.chipAt, JobText::tr("未知的芯片“%1”：可选 %2").arg(*chip, modelNames()));
    }
    job.sampleRateKhz = int(top.integer("sample_rate_khz", 4, 12).value_or(job.sampleRateKhz));
    if (const auto erase = top.string("erase", false)) {
        if (*erase == QLatin1String("all") || *erase == QLatin1String("none"))
            job.eraseAll = *erase == QLatin1String("all");
        else
            top.fail(top.placeOf("erase"),
                     JobText::tr("“erase”须为 \"all\" 或 \"none\"，而不是“%1”").arg(*erase));
    }
    job.gapRows = int(top.integer("gap_rows", 0, 0x7FF, true).value_or(job.gapRows));
    job.leadInMs = int(top.integer("lead_in_ms", 0, 1000).value_or(job.leadInMs));
    job.port = int(top.integer("port", 1, 16).value_or(job.port));
    job.trim = top.boolean("trim").value_or(false);
    job.trimAt = top.placeOf("trim");
    if (const auto step = top.integer("volume_step", 0, 4))
        job.volumeStep = int(*step);

    const toml::node* prompts = root.get("prompt");
    const toml::array* list = prompts ? prompts->as_array() : nullptr;
    if (!prompts) {
        top.missing("prompt");
    } else if (!list || !list->is_array_of_tables()) {
        top.fail(sourcePlace(prompts->source()), JobText::tr("“prompt”须写成 [[prompt]] 表"));
    } else {
        for (const toml::node& entry : *list) {
            const toml::table& table = *entry.as_table();
            PromptEntry p;
            p.at = sourcePlace(table.source());
            TableReader reader(
                table, p.at, read.faults,
                {"name", "file", "from", "to", "start_row", "trim", "gain_db", "normalize_dbfs"});
            p.name = reader.string("name", true).value_or(QString());
            p.nameAt = reader.placeOf("name");
            if (const auto file = reader.string("file", true)) {
                p.file = *file;
                p.path = QDir::cleanPath(QDir(folder).absoluteFilePath(*file));
            }
            p.fileAt = reader.placeOf("file");
            p.fromMs = reader.time("from");
            p.fromAt = reader.placeOf("from");
            p.toMs = reader.time("to");
            p.toAt = reader.placeOf("to");
            p.startRowAt = reader.placeOf("start_row");
            p.startRow = reader.integer("start_row", 0, 0xFFFF, true);
            if (p.startRow && *p.startRow < DeviceModel::firstMessageRow) {
                reader.fail(p.startRowAt,
                            JobText::tr("start_row %1 低于 0x010：0x010 以下的行存放芯片自带的音效")
                                .arg(rowText(*p.startRow)));
                p.startRow.reset();
            }
            p.trim = reader.boolean("trim");
            p.trimAt = reader.placeOf("trim");
            p.gainDb = reader.number("gain_db", -gainLimitDb, gainLimitDb);
            p.gainAt = reader.placeOf("gain_db");
            p.normalizeDbfs = reader.number("normalize_dbfs", normalizeLowestDbfs, 0.0);
            p.normalizeAt = reader.placeOf("normalize_dbfs");
            if (reader.node("gain_db") && reader.node("normalize_dbfs")) {
                // Told where the second of them stands.
                const bool gainLast = std::pair(p.gainAt.line, p.gainAt.column) >
                                      std::pair(p.normalizeAt.line, p.normalizeAt.column);
                reader.fail(gainLast ? p.gainAt : p.normalizeAt,
                            JobText::tr("“gain_db”与“normalize_dbfs”只能取其一"));
                p.gainDb.reset();
                p.normalizeDbfs.reset();
            }
            job.prompts.push_back(std::move(p));
        }
    }
    sortFaults(read.faults);
    return read;
}

} // namespace job
