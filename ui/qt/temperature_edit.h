#pragma once

#include <QLineEdit>

namespace cirrowisp {

// The contrail temperature field: typed characters other than the digits 0-9 are refused, as
// in a Windows number-only edit control, while the text put in by the program (the default
// "-27" with its minus sign) stays as it is, so -27 becomes -40 by typing over its digits.
class TemperatureEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TemperatureEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};

}  // namespace cirrowisp
