// Reading the send line.
#include "monitor/typedframe.h"

#include "link/hextext.h"

#include <QCoreApplication>
#include <QRegularExpression>

TypedFrame readTypedFrame(const QString& frameText, const QString& replyLengthText) {
    TypedFrame typed;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList groups = frameText.split(blanks, Qt::SkipEmptyParts);
    if (groups.isEmpty()) {
        typed.error = TypedFrame::Error::Empty;
        return typed;
    }
    for (const QString& group : groups) {
        bool hex = group.size() == 1 || group.size() % 2 == 0;
        for (const QChar c : group)
            hex = hex && hexDigitValue(c.unicode()) >= 0;
        if (!hex) {
            typed.error = TypedFrame::Error::NotHex;
            typed.refused = group;
            typed.frame.clear();
            return typed;
        }
        if (group.size() == 1) {
            typed.frame.push_back(uint8_t(hexDigitValue(group[0].unicode())));
            continue;
        }
        for (qsizetype i = 0; i < group.size(); i += 2)
            typed.frame.push_back(
                uint8_t(hexDigitValue(group[i].unicode()) * 16 + hexDigitValue(group[i + 1].unicode())));
    }
    if (typed.frame.size() > TypedFrame::maxBytes) {
        typed.error = TypedFrame::Error::TooLong;
        typed.refused = QString::number(typed.frame.size());
        typed.frame.clear();
        return typed;
    }
    bool number = false;
    const int length = replyLengthText.trimmed().toInt(&number);
    if (!number || length < 0 || length > TypedFrame::maxReplyLength) {
        typed.error = TypedFrame::Error::BadReplyLength;
        typed.refused = replyLengthText;
        typed.frame.clear();
        return typed;
    }
    typed.replyLength = uint8_t(length);
    return typed;
}

QString typedFrameMessage(const TypedFrame& typed) {
    switch (typed.error) {
    case TypedFrame::Error::None:
        return QString();
    case TypedFrame::Error::Empty:
        return QCoreApplication::translate(
            "TypedFrame", "请输入要发送的帧：1 到 8 个十六进制字节，例如 09 或 80 01 23 04 56");
    case TypedFrame::Error::NotHex:
        if (typed.refused.size() > TypedFrame::quotedLength)
            return QCoreApplication::translate("TypedFrame",
                                               "“%1…”（共 %2 个字符）不是十六进制字节：每个字节写两位"
                                               "十六进制数字（0–9、A–F），字节之间用空格隔开")
                .arg(typed.refused.left(TypedFrame::quotedLength))
                .arg(typed.refused.size());
        return QCoreApplication::translate(
                   "TypedFrame",
                   "“%1”不是十六进制字节：每个字节写两位十六进制数字（0–9、A–F），字节之间用空格隔开")
            .arg(typed.refused);
    case TypedFrame::Error::TooLong:
        return QCoreApplication::translate("TypedFrame", "帧最多 8 个字节，这里有 %1 个").arg(typed.refused);
    case TypedFrame::Error::BadReplyLength:
        if (typed.refused.trimmed().isEmpty())
            return QCoreApplication::translate("TypedFrame", "请填写应答长度：0 到 16 之间的整数");
        return QCoreApplication::translate("TypedFrame", "应答长度“%1”无效：请填 0 到 16 之间的整数")
            .arg(typed.refused.size() > TypedFrame::quotedLength
                     ? typed.refused.left(TypedFrame::quotedLength) + QStringLiteral("…")
                     : typed.refused);
    }
    return QString();
}
