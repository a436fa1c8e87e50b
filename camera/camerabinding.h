#pragma once
// Camera-to-slot binding: the serial number of the camera shown in each screen slot (gSerialNB, "0"
// for none, app/wizardpara.h) and its stored form, the rows "serialNB0" to "serialNB7" of table
// sysparam in SN.db. The next start opens the camera bound to each slot (CameraSlot::CameraOpen).

// Stores the bindings. `clear` 0: "0" in every slot, then the serial of each open camera i below the
// view count in slot gCamNO[i] (uEye, MindVision, Hikvision GigE; other back-ends store "0"
// everywhere, so their cameras open by position). Any other value: "0" in every slot. gSerialNB is
// updated, the eight rows are written in one transaction and "Save SN %1: %2" is recorded for each
// slot below the view count. Returns false (database unchanged, logged) when SN.db is not open or a
// write failed.
bool SaveSN(int clear);
