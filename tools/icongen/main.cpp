// icongen: the PNG icons of the desktop's icon theme, made from one of the suite's .ico files.
//
//   icongen ICON.ico OUTDIR SIZE...   writes OUTDIR/<SIZE>x<SIZE>.png for each size
//
// For each size it takes the image of that size from the icon when there is one, otherwise the largest
// image scaled smoothly (an .ico usually holds a few hand-drawn sizes only).
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>

#include <cstdio>
#include <vector>

namespace {

std::vector<QImage> readAll(const QString& file) {
    QImageReader reader(file, "ico");
    std::vector<QImage> images;
    const int count = reader.imageCount() > 0 ? reader.imageCount() : 1;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i)) break;
        QImage image = reader.read();
        if (!image.isNull()) images.push_back(image.convertToFormat(QImage::Format_ARGB32));
    }
    if (images.empty())
        std::fprintf(stderr, "icongen: %s: %s\n", qPrintable(file), qPrintable(reader.errorString()));
    return images;
}

QImage imageOfSize(const std::vector<QImage>& images, int size) {
    const QImage* largest = &images.front();
    for (const QImage& image : images) {
        if (image.width() == size && image.height() == size) return image;
        if (image.width() * image.height() > largest->width() * largest->height()) largest = &image;
    }
    return largest->scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // the image plug-ins are found through it
    if (argc < 4) {
        std::fprintf(stderr, "usage: icongen ICON.ico OUTDIR SIZE...\n");
        return 2;
    }
    const std::vector<QImage> images = readAll(QString::fromLocal8Bit(argv[1]));
    if (images.empty()) return 1;
    const QDir out(QString::fromLocal8Bit(argv[2]));
    if (!out.mkpath(".")) {
        std::fprintf(stderr, "icongen: cannot create %s\n", argv[2]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        if (size <= 0 || size > 1024) {
            std::fprintf(stderr, "icongen: %s is not an icon size\n", argv[i]);
            return 2;
        }
        const QString name = out.filePath(QStringLiteral("%1x%1.png").arg(size));
        if (!imageOfSize(images, size).save(name, "PNG")) {
            std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
