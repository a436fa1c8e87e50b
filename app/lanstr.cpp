#include "lanstr.h"

#include <QPixmap>

QString gaLanStr[kLanIdCount * kLanColumns];

QPixmap* gpPixmapLogo = nullptr;
QPixmap* gpPixmapBG = nullptr;
QPixmap* gpPixmapTitle = nullptr;
QPixmap* gpPixmapLine = nullptr;
QPixmap* gpPixmapEdit = nullptr;
QPixmap* gpPixmapSlideru = nullptr;
QPixmap* gpPixmapSliderd = nullptr;
QPixmap* gpPixmapSlidert = nullptr;
QPixmap* gpPixmapButton[2] = {};
QPixmap* gpPixmapOUT[2] = {};
QPixmap* gpPixmapMove[7] = {};
QPixmap* gpPixmapUser[7] = {};

namespace {

struct LanRow {
    int id;
    const char* text[kLanColumns];
};

// Generated at build time from lanstr/lanstr.tsv.
const LanRow kLanRows[] = {
#include "lanstr_table.inc"
};

QPixmap* loadPixmap(const char* path) {
    // A missing file gives a null pixmap; nothing is reported.
    return new QPixmap(QString::fromLatin1(path));
}

void freePixmap(QPixmap*& p) {
    delete p;
    p = nullptr;
}

void freePixmaps() {
    for (QPixmap** p : {&gpPixmapLogo, &gpPixmapBG, &gpPixmapTitle, &gpPixmapLine, &gpPixmapEdit,
                        &gpPixmapSlideru, &gpPixmapSliderd, &gpPixmapSlidert})
        freePixmap(*p);
    for (QPixmap*& p : gpPixmapButton) freePixmap(p);
    for (QPixmap*& p : gpPixmapOUT) freePixmap(p);
    for (QPixmap*& p : gpPixmapMove) freePixmap(p);
    for (QPixmap*& p : gpPixmapUser) freePixmap(p);
}

}  // namespace

void loadLanguageTable() {
    for (const LanRow& row : kLanRows) {
        for (int c = 0; c < kLanColumns; ++c)
            gaLanStr[row.id * kLanColumns + c] = QString::fromUtf8(row.text[c]);
    }
}

void Data_Init() {
    loadLanguageTable();
    // The program calls this once; a second call (tests) replaces the pixmaps without leaking.
    freePixmaps();
    gpPixmapLogo = loadPixmap(":/img/icons/2.png");
    gpPixmapBG = loadPixmap(":/img/icons/3-1.png");
    gpPixmapTitle = loadPixmap("./images/title.png");
    gpPixmapLine = loadPixmap("./images/line.png");
    gpPixmapEdit = loadPixmap("./images/edit.png");
    gpPixmapSlideru = loadPixmap(":/img/icons/slideru.png");
    gpPixmapSliderd = loadPixmap(":/img/icons/sliderd.png");
    gpPixmapSlidert = loadPixmap(":/img/icons/slidert.png");
    gpPixmapButton[0] = loadPixmap(":/img/icons/buttonu.png");
    gpPixmapButton[1] = loadPixmap(":/img/icons/buttond.png");
    gpPixmapOUT[0] = loadPixmap(":/img/icons/19.png");
    gpPixmapOUT[1] = loadPixmap(":/img/icons/18.png");
    gpPixmapMove[0] = loadPixmap("./images/Origin.png");
    gpPixmapMove[1] = loadPixmap("./images/MoveUp.png");
    gpPixmapMove[2] = loadPixmap("./images/MoveDown.png");
    gpPixmapMove[3] = loadPixmap("./images/MoveLeft.png");
    gpPixmapMove[4] = loadPixmap("./images/MoveRight.png");
    gpPixmapMove[5] = loadPixmap(":/img/icons/ZoomIn.png");
    gpPixmapMove[6] = loadPixmap(":/img/icons/ZoomIn.png");
    gpPixmapUser[0] = loadPixmap("./images/CheckedAdmin.png");
    gpPixmapUser[1] = loadPixmap("./images/Admin.png");
    gpPixmapUser[2] = loadPixmap("./images/CheckedOperator.png");
    gpPixmapUser[3] = loadPixmap("./images/Operator.png");
    gpPixmapUser[4] = loadPixmap("./images/CheckedLimitUser.png");
    gpPixmapUser[5] = loadPixmap("./images/LimitUser.png");
}

void resetLanguageGlobals() {
    for (QString& s : gaLanStr) s.clear();
    freePixmaps();
}
