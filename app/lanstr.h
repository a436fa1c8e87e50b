#pragma once
// The language table and the global pixmaps shared by painted widgets.
//
// Every text the operator sees in the program's own words comes from gaLanStr by id:
//     gaLanStr[id * 3 + gLan]        gLan: 0 Simplified Chinese, 1 English, 2 Traditional Chinese
// The table is filled once by Data_Init at start and only read afterwards (no lock needed).
// Ids 0 to 597 are the system's texts (a few reserved ids stay empty, as do 598 and 599). Ids from 600
// on are the monitor's own texts, by area, so that work on one area never renumbers another:
//   600-619 data and machine safety (failed writes, the IO board link, a stop signal)
//   620-659 region editor, templates and alarm handling
//   660-699 settings dialog pages
//   700-729 camera settings pages
//   730-769 network bridge and network pages
//   770-799 positioning and matching
// An own id that is not used yet stays empty in all three columns.
// Texts may hold "\r\n" or "\n" line breaks, significant blanks and the placeholders %1 to %6.
#include <QString>

class QPixmap;

constexpr int kLanIdCount = 800;  // ids 0 to 799
constexpr int kLanColumns = 3;    // Simplified Chinese, English, Traditional Chinese
constexpr int kLanFirstOwnId = 600;

extern QString gaLanStr[kLanIdCount * kLanColumns];

// Global pixmaps (null when the file is missing; painting a null pixmap draws nothing).
extern QPixmap* gpPixmapLogo;
extern QPixmap* gpPixmapBG;
extern QPixmap* gpPixmapTitle;
extern QPixmap* gpPixmapLine;
extern QPixmap* gpPixmapEdit;
extern QPixmap* gpPixmapSlideru;
extern QPixmap* gpPixmapSliderd;
extern QPixmap* gpPixmapSlidert;
extern QPixmap* gpPixmapButton[2];  // [0] released, [1] pressed
extern QPixmap* gpPixmapOUT[2];
extern QPixmap* gpPixmapMove[7];
extern QPixmap* gpPixmapUser[7];  // [6] is never set

// Fills the language table (all ids, all three columns) and loads the global pixmaps.
// Needs the application object (pixmaps); call once at start before any other thread runs.
void Data_Init();

// Only the texts; for code that runs without a GUI application (tools, tests of lower layers).
void loadLanguageTable();

// Empties the table and frees the pixmaps (tests).
void resetLanguageGlobals();
