// The message-table window and its reading.
#include "job/messagewindow.h"

#include "job/jobwindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace job {

MessageWindow::MessageWindow(Form1& form, MessageBoxGate& boxes, QWidget* parent)
    : QWidget(parent, Qt::Window), m_form(form), m_boxes(boxes) {
    setObjectName(QStringLiteral("MessageWindow"));
    setWindowTitle(tr("芯片消息表"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(480, 360);
    summaryLabel = new QLabel(this);
    summaryLabel->setObjectName(QStringLiteral("summaryLabel"));
    summaryLabel->setWordWrap(true);
    table = new QTableWidget(0, 4, this);
    table->setObjectName(QStringLiteral("messageTable"));
    table->setHorizontalHeaderLabels({tr("序号"), tr("起始行"), tr("结束行"), tr("时长")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    chipMap = new ChipMap(this);
    readButton = new QPushButton(tr("读消息表"), this);
    readButton->setObjectName(QStringLiteral("readButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(summaryLabel, 1);
    buttons->addWidget(readButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table, 1);
    layout->addWidget(chipMap);
    layout->addLayout(buttons);
    connect(readButton, &QPushButton::clicked, this, [this] { read(m_port, m_sampleRateKhz, m_plan); });
}

MessageWindow::~MessageWindow() = default;

void MessageWindow::read(int port, int sampleRateKhz, const Plan& plan) {
    if (isReading())
        return;
    m_port = port;
    m_sampleRateKhz = sampleRateKhz;
    m_plan = plan;
    chipMap->setPlan(plan);
    table->setRowCount(0);
    summaryLabel->setText(tr("正在读取芯片的消息表……"));
    m_reader = std::make_unique<MessageReader>(m_form, m_boxes, port);
    connect(m_reader.get(), &MessageReader::read, this, &MessageWindow::showTable);
    connect(m_reader.get(), &MessageReader::failed, this, &MessageWindow::showFailure);
    readButton->setEnabled(false);
    emit readingChanged(true);
    m_reader->start();
}

void MessageWindow::showTable(const MessageTable& messages) {
    table->setRowCount(int(messages.messages.size()));
    const QStringList lines = messageTableText(messages, m_sampleRateKhz).split(u'\n', Qt::SkipEmptyParts);
    for (int i = 0; i < int(messages.messages.size()); ++i) {
        const ChipMessage& m = messages.messages[size_t(i)];
        // The duration as the message's line gives it.
        const QString cells[] = {QString::number(i + 1), rowText(m.startRow),
                                 m.endRow ? rowText(*m.endRow) : QStringLiteral("?"),
                                 lines.value(i).section(QStringLiteral("  "), -1)};
        for (int c = 0; c < 4; ++c)
            table->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    table->resizeColumnsToContents();
    chipMap->setMessages(messages);
    QString summary = lines.value(lines.size() - 1);
    if (!m_plan.prompts.empty()) {
        const TableCheck check = checkTable(messages, m_plan);
        summary += QLatin1Char('\n') +
                   (check.ok ? tr("校验：与计划相符") : tr("校验：与计划不符：%1").arg(check.reason));
    }
    summaryLabel->setText(summary);
    readButton->setEnabled(true);
    emit readingChanged(false);
}

void MessageWindow::showFailure(const QString& reason) {
    summaryLabel->setText(tr("没有读到消息表：%1").arg(reason));
    readButton->setEnabled(true);
    emit readingChanged(false);
}

} // namespace job
