// The start-up check of a font for the Chinese captions.
#include "app/captionfont.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>

QString windowCaptions(const QWidget& window) {
    QString captions = window.windowTitle();
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<const QLabel*>(control))
            captions += label->text();
        else if (auto* button = qobject_cast<const QAbstractButton*>(control))
            captions += button->text();
        else if (auto* frame = qobject_cast<const QGroupBox*>(control))
            captions += frame->title();
        else if (auto* combo = qobject_cast<const QComboBox*>(control))
            for (int i = 0; i < combo->count(); ++i)
                captions += combo->itemText(i);
    }
    return captions;
}

QString captionFontWarning(const QString& captions, const std::function<bool(char32_t)>& drawable) {
    for (const char32_t c : captions.toUcs4()) {
        if (!QChar::isSpace(c) && !drawable(c))
            return QStringLiteral("quillory: no installed font can draw the Chinese captions, which show as "
                                  "boxes; install the package fonts-wqy-microhei");
    }
    return QString();
}

QString captionFontWarning(const QWidget& window) {
    const QFontMetrics metrics(window.font());
    return captionFontWarning(windowCaptions(window), [&](char32_t c) { return metrics.inFontUcs4(c); });
}
