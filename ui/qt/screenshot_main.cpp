// Renders the generator dialog and the About box to PNG files for the documentation; run it
// on the offscreen platform, where no window manager draws frames or captions.
#include <QApplication>
#include <QDir>
#include <QPixmap>

#include "platform/host_file_system.h"
#include "ui/qt/about_dialog.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/generator_dialog.h"

namespace {

bool save(QWidget& window, const QString& path) {
    window.show();
    QApplication::processEvents();
    const bool saved = window.grab().save(path, "PNG");
    window.hide();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(cirrowisp::applicationIcon());
    const QStringList arguments = QApplication::arguments();
    const QDir folder(arguments.size() > 1 ? arguments.at(1) : QStringLiteral("."));

    const auto fileSystem = cirrowisp::makeHostFileSystem();
    cirrowisp::GeneratorDialog dialog(*fileSystem);
    cirrowisp::AboutDialog about;
    if (!save(dialog, folder.filePath(QStringLiteral("qt-dialog.png"))))
        return 1;
    if (!save(about, folder.filePath(QStringLiteral("qt-about.png"))))
        return 1;
    return 0;
}
