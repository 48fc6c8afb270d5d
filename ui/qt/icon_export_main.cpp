// Writes every image of the application icon file as cirrowisp-<size>.png, for the desktop's
// icon theme, which does not read Windows icon files. Run at build time.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: cirrowisp-icon-export ICON_FILE OUTPUT_FOLDER\n");
        return 2;
    }
    QImageReader reader(arguments.at(1));
    const QDir folder(arguments.at(2));
    int written = 0;
    do {
        const QImage image = reader.read();
        if (image.isNull())
            break;
        const QString name = QStringLiteral("cirrowisp-%1.png").arg(image.width());
        if (!image.save(folder.filePath(name), "PNG"))
            return 1;
        ++written;
    } while (reader.jumpToNextImage());
    if (written == 0) {
        std::fprintf(stderr, "cirrowisp-icon-export: %s\n", qPrintable(reader.errorString()));
        return 1;
    }
    return 0;
}
