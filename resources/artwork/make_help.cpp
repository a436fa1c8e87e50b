// Renders the operator help pages ("./help/" Simplified Chinese, "./help-en/" English, "./help-tw/"
// Traditional Chinese) from resources/help/pages.txt, one 1600 x 900 PNG per page. Run it after
// changing the text and commit the files it writes:
//     make_help <resources/help/pages.txt> <resources/help> <resources/help-en> <resources/help-tw>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>
#include <cstdio>

namespace {

struct Page {
    QString title;
    QStringList lines;
};

bool render(const Page& page, const QString& path, const QString& family) {
    QImage img(1600, 900, QImage::Format_RGB32);
    img.fill(QColor(0xf5, 0xf7, 0xfa));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(0, 0, 1600, 110), QColor(0x1f, 0x3f, 0x8d));
    QFont title(family);
    title.setPixelSize(52);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(60, 0, 1480, 110), Qt::AlignVCenter | Qt::AlignLeft, page.title);
    QFont body(family);
    body.setPixelSize(38);
    p.setFont(body);
    p.setPen(QColor(0x30, 0x30, 0x30));
    int y = 170;
    for (const QString& line : page.lines) {
        const QRect box(80, y, 1440, 200);
        QRect used;
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, line, &used);
        y += used.height() + 28;
    }
    p.end();
    if (!img.save(path, "PNG", 9)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: make_help <pages.txt> <help dir> <help-en dir> <help-tw dir>\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return 1;
    QTextStream in(&file);
    in.setCodec("UTF-8");
    QMap<QString, QVector<Page>> pages;
    QString lang;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(QLatin1Char('#')) || line.trimmed().isEmpty()) continue;
        if (line == QLatin1String("[zh]") || line == QLatin1String("[en]") || line == QLatin1String("[tw]")) {
            lang = line.mid(1, 2);
        } else if (line.startsWith(QLatin1String("== "))) {
            pages[lang].append({line.mid(3), {}});
        } else if (!pages[lang].isEmpty()) {
            pages[lang].last().lines << line;
        }
    }
    const QString dirs[3] = {QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                             QString::fromLocal8Bit(argv[4])};
    const char* langs[3] = {"zh", "en", "tw"};
    const char* families[3] = {"Noto Sans CJK SC", "Noto Sans CJK SC", "Noto Sans CJK TC"};
    bool ok = true;
    for (int k = 0; k < 3; ++k) {
        QDir().mkpath(dirs[k]);
        const QVector<Page>& list = pages.value(QString::fromLatin1(langs[k]));
        for (int i = 0; i < list.size(); ++i)
            ok &=
                render(list[i], QStringLiteral("%1/%2.png").arg(dirs[k]).arg(i + 1, 2, 10, QLatin1Char('0')),
                       QString::fromLatin1(families[k]));
    }
    return ok ? 0 : 1;
}
