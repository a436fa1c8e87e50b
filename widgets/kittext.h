#pragma once
// Language-table access for the widget kit: the text of id `id` in the current language gLan.
#include <QString>

constexpr int kLanIds = 600;
extern QString gaLanStr[kLanIds * 3];

QString kitText(int id);

// Stand-in texts for the ids the kit shows, used until the application's language table is filled
// by Data_Init. Fills only entries that are still empty.
void fillKitTexts();
