#pragma once
// The run profile, chosen once at start-up from MONITOR_PROFILE.
//  - panel:     the real panel computer; shell commands run, system paths are used as they stand.
//  - simulated: the default; shell commands are recorded, system paths live under ./sysroot.

enum class Profile { Panel, Simulated };

Profile currentProfile();
bool isSimulated();
const char* profileName(Profile p);

// Tests and tools may force a profile; pass the value that MONITOR_PROFILE would give to undo.
void setProfile(Profile p);
