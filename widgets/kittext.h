#pragma once
// Language-table access for the widget kit: the text of id `id` in the current language gLan.
#include "app/lanstr.h"

QString kitText(int id);
