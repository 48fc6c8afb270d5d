#include "ui/qt/temperature_edit.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace cirrowisp {

namespace {

// Only ASCII digits: QChar::isDigit also takes other scripts' digits, which the exchange
// would then refuse as "not an integer".
bool isTypedTextAllowed(const QString& text) {
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// Control characters (Backspace, Ctrl+C, ...) arrive with key presses too and are editing
// commands, not text.
bool isPrintable(const QString& text) {
    for (const QChar c : text) {
        if (!c.isPrint())
            return false;
    }
    return !text.isEmpty();
}

}  // namespace

TemperatureEdit::TemperatureEdit(QWidget* parent) : QLineEdit(parent) {}

void TemperatureEdit::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (isPrintable(text) && !isTypedTextAllowed(text)) {
        // Accepted so the dialog does not treat the key as one of its own; the beep is what
        // the Windows control gives too.
        event->accept();
        QApplication::beep();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TemperatureEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!isTypedTextAllowed(event->commitString())) {
        event->accept();
        QApplication::beep();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

}  // namespace cirrowisp
