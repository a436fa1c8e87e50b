#pragma once
// Language-table access for the settings dialog: the text of id `id` in the current language gLan.
#include "app/lanstr.h"

QString setText(int id);
