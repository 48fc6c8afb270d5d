#pragma once

#include <QDialog>

namespace cirrowisp {

// The small box that names the program and its version, opened from the generator dialog's
// menu or with F1.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace cirrowisp
