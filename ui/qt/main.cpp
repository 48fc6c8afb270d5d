#include <QApplication>

#include "platform/host_file_system.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/generator_dialog.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cirrowisp"));
    QApplication::setDesktopFileName(QStringLiteral("cirrowisp"));
    QApplication::setWindowIcon(cirrowisp::applicationIcon());

    const std::unique_ptr<cirrowisp::FileSystem> fileSystem = cirrowisp::makeHostFileSystem();
    cirrowisp::GeneratorDialog dialog(*fileSystem);
    // Cancel, Escape and the close box end the dialog; its result does not matter.
    dialog.exec();
    return 0;
}
