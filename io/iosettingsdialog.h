#pragma once
// What the IO pages need of the settings dialog that holds them. The settings dialog implements it
// (the IO pages sit below the settings folder and never include its headers); tests use a fake.
#include <QString>

class IOSettingsDialog {
public:
    virtual ~IOSettingsDialog() = default;

    // The advanced-functions page's "Display factory param" box is checked at this moment (not the
    // stored factory_param).
    virtual bool factoryParamShown() const = 0;
    // Caption of the re-check row of the system parameters page.
    virtual void ResetReCheck1Text(const QString& text) = 0;
    virtual void DoChangePage() = 0;
    // Makes page `index` of the dialog's page area current (9: IO parameters).
    virtual void changeWidget(int index) = 0;
    // Shows the dialog again (after the custom IO names dialog, which hides it); its pages reload
    // from the working copy as the dialog appears.
    virtual void showDialog() = 0;
};
