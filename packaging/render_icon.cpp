// Renders the editor's SVG icon as square PNG files of the given sizes, for
// the hicolor icon theme: render_icon ICON.svg OUTPUT_FOLDER SIZE...
// writes OUTPUT_FOLDER/SIZExSIZE/plandex.png. Uses Qt's SVG image plug-in.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: render_icon ICON.svg OUTPUT_FOLDER SIZE...\n");
        return 2;
    }
    const QString name = QFileInfo(args[1]).completeBaseName() + ".png";
    for (int i = 3; i < args.size(); ++i) {
        const int size = args[i].toInt();
        QImageReader reader(args[1], "svg");
        reader.setScaledSize(QSize(size, size));
        const QImage image = reader.read();
        const QString folder = QDir(args[2]).filePath(QString("%1x%1").arg(size));
        if (image.isNull() || !QDir().mkpath(folder) ||
            !image.save(QDir(folder).filePath(name), "png")) {
            std::fprintf(stderr, "render_icon: cannot render %s at %d pixels: %s\n",
                         qPrintable(args[1]), size, qPrintable(reader.errorString()));
            return 1;
        }
    }
    return 0;
}
