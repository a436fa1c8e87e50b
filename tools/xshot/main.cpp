// xshot FRAMEBUFFER OUT.png: converts the screen of a virtual X server started with "-fbdir DIR"
// (the file DIR/Xvfb_screen0, in XWD format, 24 or 32 bits per pixel) into a PNG.
#include <QFile>
#include <QImage>
#include <QtEndian>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: xshot FRAMEBUFFER OUT.png\n");
        return 2;
    }
    QFile f(QString::fromLocal8Bit(argv[1]));
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "xshot: cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray data = f.readAll();
    if (data.size() < 100) return 1;
    auto field = [&](int i) { return qFromBigEndian<quint32>(data.constData() + 4 * i); };
    const quint32 headerSize = field(0), width = field(4), height = field(5), byteOrder = field(7);
    const quint32 bitsPerPixel = field(11), bytesPerLine = field(12), ncolors = field(19);
    const qint64 offset = qint64(headerSize) + qint64(ncolors) * 12;
    if (bitsPerPixel != 32 || width == 0 || height == 0 ||
        offset + qint64(bytesPerLine) * height > data.size()) {
        std::fprintf(stderr, "xshot: unsupported frame buffer (%u bits per pixel)\n", bitsPerPixel);
        return 1;
    }
    QImage img(int(width), int(height), QImage::Format_RGB32);
    for (quint32 y = 0; y < height; ++y) {
        const uchar* src =
            reinterpret_cast<const uchar*>(data.constData() + offset + qint64(bytesPerLine) * y);
        QRgb* dst = reinterpret_cast<QRgb*>(img.scanLine(int(y)));
        for (quint32 x = 0; x < width; ++x) {
            const quint32 px = byteOrder == 0 ? qFromLittleEndian<quint32>(src + 4 * x)
                                              : qFromBigEndian<quint32>(src + 4 * x);
            dst[x] = 0xFF000000u | (px & 0xFFFFFFu);
        }
    }
    if (!img.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "xshot: cannot save %s\n", argv[2]);
        return 1;
    }
    return 0;
}
