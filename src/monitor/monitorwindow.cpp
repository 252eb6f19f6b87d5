// The traffic monitor's window.
#include "monitor/monitorwindow.h"

#include "link/hextext.h"
#include "monitor/trafficlog.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QValidator>

#include <algorithm>
#include <limits>
#include <span>
#include <utility>

namespace {

// Bytes shown in the waiting line; a pile past this is cut short with an ellipsis.
constexpr qsizetype waitingShown = 16;
// What the reply length box holds: a number up to 16, with room for blanks.
constexpr int maxLengthText = 8;

// Keeps a line edit's text to limit characters, however much is pasted in, and says how much was
// given. QLineEdit's own limit would cut a paste short in silence, at 32,767 characters.
class LengthLimit final : public QValidator {
public:
    LengthLimit(int limit, std::function<void(qsizetype given)> cut, QObject* parent)
        : QValidator(parent), m_limit(limit), m_cut(std::move(cut)) {}
    State validate(QString& input, int& pos) const override {
        if (input.size() <= m_limit)
            return Acceptable;
        const qsizetype given = input.size();
        input.truncate(m_limit);
        pos = std::min(pos, m_limit);
        m_cut(given);
        return Acceptable;
    }

private:
    int m_limit;
    std::function<void(qsizetype)> m_cut;
};

// A line edit that takes what a paste gives, for its validator to judge.
void limitLength(QLineEdit* edit, int limit, std::function<void(qsizetype given)> cut) {
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setValidator(new LengthLimit(limit, std::move(cut), edit));
}

} // namespace

MonitorWindow::MonitorWindow(TrafficLog& log, Send send, QWidget* parent)
    : QWidget(parent, Qt::Window), m_log(log), m_send(std::move(send)) {
    setObjectName(QStringLiteral("MonitorWindow"));
    setWindowTitle(tr("通信监视"));
    // The console ends with its main window, whether or not the monitor is still open.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(880, 480);

    pauseButton = new QPushButton(tr("暂停滚动"), this);
    pauseButton->setObjectName(QStringLiteral("pauseButton"));
    pauseButton->setCheckable(true);
    pauseButton->setToolTip(tr("暂停时新的行照样记下，只是不再滚到最后一行"));
    clearButton = new QPushButton(tr("清除"), this);
    clearButton->setObjectName(QStringLiteral("clearButton"));
    copyButton = new QPushButton(tr("复制"), this);
    copyButton->setObjectName(QStringLiteral("copyButton"));
    copyButton->setToolTip(tr("把选中的行复制到剪贴板（Ctrl+C）"));
    saveButton = new QPushButton(tr("保存…"), this);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    saveButton->setToolTip(tr("按 --trace 的格式把记录保存为文本文件"));

    table = new QTableView(this);
    table->setObjectName(QStringLiteral("trafficTable"));
    table->setModel(&m_log);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    table->setWordWrap(false);
    table->setShowGrid(false);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows of one height, known without asking the model: 100,000 of them stay cheap.
    QHeaderView* rows = table->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView* columns = table->horizontalHeader();
    columns->setStretchLastSection(true);
    fitColumns();

    auto* copy = new QAction(tr("复制"), table);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    table->addAction(copy);

    waitingLabel = new QLabel(this);
    waitingLabel->setObjectName(QStringLiteral("waitingLabel"));

    auto* frameLabel = new QLabel(tr("帧（十六进制）"), this);
    frameEdit = new QLineEdit(this);
    frameEdit->setObjectName(QStringLiteral("frameEdit"));
    frameEdit->setPlaceholderText(tr("1 到 8 个字节，例如 80 01 23 04 56"));
    frameEdit->setToolTip(tr("↑ ↓ 翻看最近发送的 %1 帧").arg(historyLimit));
    frameLabel->setBuddy(frameEdit);
    auto* lengthLabel = new QLabel(tr("应答长度"), this);
    lengthEdit = new QLineEdit(QStringLiteral("0"), this);
    lengthEdit->setObjectName(QStringLiteral("lengthEdit"));
    lengthEdit->setPlaceholderText(tr("0–16"));
    lengthEdit->setToolTip(tr("等待应答的字节数，0 到 16"));
    lengthEdit->setMaximumWidth(60);
    lengthLabel->setBuddy(lengthEdit);
    sendButton = new QPushButton(tr("发送"), this);
    sendButton->setObjectName(QStringLiteral("sendButton"));
    messageLabel = new QLabel(this);
    messageLabel->setObjectName(QStringLiteral("messageLabel"));
    messageLabel->setWordWrap(true);
    // Whatever a message says, the window keeps its width.
    messageLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    const auto cutShort = [this](int limit) {
        return [this, limit](qsizetype given) {
            tell(tr("这一栏最多 %1 个字符：粘贴的 %2 个字符只留下了前 %1 个").arg(limit).arg(given), true);
        };
    };
    limitLength(frameEdit, TypedFrame::maxLineLength, cutShort(TypedFrame::maxLineLength));
    limitLength(lengthEdit, maxLengthText, cutShort(maxLengthText));

    auto* controls = new QHBoxLayout;
    for (QPushButton* button : {pauseButton, clearButton, copyButton, saveButton})
        controls->addWidget(button);
    controls->addStretch();
    auto* sendLine = new QHBoxLayout;
    sendLine->addWidget(frameLabel);
    sendLine->addWidget(frameEdit, 1);
    sendLine->addWidget(lengthLabel);
    sendLine->addWidget(lengthEdit);
    sendLine->addWidget(sendButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(table, 1);
    layout->addWidget(waitingLabel);
    layout->addLayout(sendLine);
    layout->addWidget(messageLabel);

    askSavePath = [this] { return askWhereToSave(); };

    connect(pauseButton, &QPushButton::toggled, this, [this](bool paused) {
        pauseButton->setText(paused ? tr("继续滚动") : tr("暂停滚动"));
        if (!paused)
            table->scrollToBottom();
    });
    connect(clearButton, &QPushButton::clicked, this, [this] { m_log.clear(); });
    connect(copyButton, &QPushButton::clicked, this, &MonitorWindow::copySelected);
    connect(copy, &QAction::triggered, this, &MonitorWindow::copySelected);
    connect(saveButton, &QPushButton::clicked, this, &MonitorWindow::saveAs);
    connect(sendButton, &QPushButton::clicked, this, &MonitorWindow::sendTyped);
    connect(frameEdit, &QLineEdit::returnPressed, this, &MonitorWindow::sendTyped);
    connect(lengthEdit, &QLineEdit::returnPressed, this, &MonitorWindow::sendTyped);
    frameEdit->installEventFilter(this);

    connect(&m_log, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        // The row that says how many went comes in on top.
        if (first == 0 && m_log.rowCount() > last + 1)
            keepViewOnTop(last - first + 1);
        followRows();
    });
    connect(&m_log, &QAbstractItemModel::modelReset, this, &MonitorWindow::followRows);
    connect(&m_log, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { keepViewOnTop(-(last - first + 1)); });
    connect(&m_log, &TrafficLog::waitingChanged, this, [this] {
        // Once per turn of the event loop, however many chunks a burst brings.
        if (std::exchange(m_waitingQueued, true))
            return;
        QTimer::singleShot(0, this, [this] {
            m_waitingQueued = false;
            showWaiting();
        });
    });
    showWaiting();
    table->scrollToBottom();
}

MonitorWindow::~MonitorWindow() = default;

void MonitorWindow::fitColumns() {
    // The designed widths, widened where a caption or a direction would be cut short (in English,
    // or in another font than the one they were measured in). Never narrowed: the operator may
    // have widened a column.
    QHeaderView* columns = table->horizontalHeader();
    const QFontMetrics cells(table->font());
    constexpr int cellPadding = 12;
    int direction = 50;
    for (const QString& text : {TrafficLog::tr("发送"), TrafficLog::tr("接收"), TrafficLog::tr("端口")})
        direction = std::max(direction, cells.horizontalAdvance(text) + cellPadding);
    const int widths[] = {90, direction, 210};
    for (const int column : {TrafficLog::TimeColumn, TrafficLog::DirectionColumn, TrafficLog::BytesColumn})
        columns->resizeSection(column, std::max({widths[column], columns->sectionSizeHint(column),
                                                 m_columnsFitted ? columns->sectionSize(column) : 0}));
    m_columnsFitted = true;
}

void MonitorWindow::showEvent(QShowEvent* event) {
    // The console gives the window its own font after building it.
    fitColumns();
    QWidget::showEvent(event);
}

QString MonitorWindow::askWhereToSave() {
    const QString textFiles = tr("文本文件 (*.txt)");
    QFileDialog dialog(this, tr("保存通信记录"), m_saveFolder,
                       textFiles + QStringLiteral(";;") + tr("所有文件 (*)"));
    dialog.setObjectName(QStringLiteral("saveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name given without an extension is a text file's while the text filter is chosen; the
    // dialog then asks about replacing the name it will really write.
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, textFiles](const QString& filter) {
        dialog.setDefaultSuffix(filter == textFiles ? QStringLiteral("txt") : QString());
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString path = dialog.selectedFiles().constFirst();
    // The next save starts where this one went.
    m_saveFolder = QFileInfo(path).absolutePath();
    return path;
}

void MonitorWindow::followRows() {
    if (pauseButton->isChecked() || std::exchange(m_followQueued, true))
        return;
    QTimer::singleShot(0, this, [this] {
        m_followQueued = false;
        if (!pauseButton->isChecked())
            table->scrollToBottom();
    });
}

void MonitorWindow::keepViewOnTop(int added) {
    // Old rows go from the top: while paused, the rows in sight stay in sight.
    if (!pauseButton->isChecked())
        return;
    QScrollBar* bar = table->verticalScrollBar();
    bar->setValue(bar->value() + added);
}

void MonitorWindow::showWaiting() {
    const QByteArray bytes = m_log.waitingBytes();
    if (bytes.isEmpty()) {
        waitingLabel->setText(tr("没有等待中的接收字节"));
        return;
    }
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    QString shown =
        hexText(std::span<const uint8_t>(data, size_t(std::min(bytes.size(), waitingShown)))).trimmed();
    if (bytes.size() > waitingShown)
        shown += QStringLiteral(" …");
    waitingLabel->setText(tr("已收 %1 字节，还没有成为应答：%2（应答长度 %3）")
                              .arg(bytes.size())
                              .arg(shown)
                              .arg(m_log.replyLength()));
}

void MonitorWindow::tell(const QString& text, bool trouble) {
    messageLabel->setStyleSheet(trouble ? QStringLiteral("color: #C00000;") : QString());
    messageLabel->setText(text);
}

void MonitorWindow::setSendLineEnabled(bool enabled) {
    for (QWidget* part : std::initializer_list<QWidget*>{frameEdit, lengthEdit, sendButton})
        part->setEnabled(enabled);
}

void MonitorWindow::sendTyped() {
    const TypedFrame typed = readTypedFrame(frameEdit->text(), lengthEdit->text());
    if (!typed.ok()) {
        tell(typedFrameMessage(typed), true);
        return;
    }
    tell(QString(), false);
    const Entry entry{hexText(typed.frame).trimmed(), QString::number(typed.replyLength)};
    if (m_history.isEmpty() || m_history.last().frame != entry.frame ||
        m_history.last().length != entry.length)
        m_history.append(entry);
    while (m_history.size() > historyLimit)
        m_history.removeFirst();
    m_browsing = -1;
    frameEdit->setText(entry.frame);
    lengthEdit->setText(entry.length);
    m_send(typed);
}

void MonitorWindow::browseHistory(int step) {
    // Positions 0 .. size-1 are the frames sent, oldest first; size is what the operator was typing.
    const int size = int(m_history.size());
    const int position = m_browsing < 0 ? size : m_browsing;
    const int next = std::clamp(position + step, 0, size);
    if (next == position)
        return;
    if (position == size)
        m_draft = {frameEdit->text(), lengthEdit->text()};
    m_browsing = next == size ? -1 : next;
    const Entry& shown = next == size ? m_draft : m_history[next];
    frameEdit->setText(shown.frame);
    lengthEdit->setText(shown.length);
}

QStringList MonitorWindow::history() const {
    QStringList frames;
    for (const Entry& entry : m_history)
        frames << entry.frame;
    return frames;
}

bool MonitorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == frameEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            browseHistory(key == Qt::Key_Up ? -1 : 1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MonitorWindow::copySelected() {
    QList<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedRows())
        rows << index.row();
    if (rows.isEmpty()) {
        tell(tr("请先选中要复制的行"), true);
        return;
    }
    QGuiApplication::clipboard()->setText(m_log.rowsText(rows));
    tell(tr("已复制 %1 行").arg(rows.size()), false);
}

void MonitorWindow::saveAs() {
    const QString path = askSavePath ? askSavePath() : QString();
    if (path.isEmpty())
        return;
    QString error;
    if (!m_log.saveTo(path, &error)) {
        tell(tr("无法保存到 %1：%2").arg(path, error), true);
        return;
    }
    tell(tr("已按 --trace 的格式保存到 %1").arg(path), false);
}
