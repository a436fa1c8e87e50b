#pragma once
// Shared by the IO page tests: a settings dialog that records what the pages ask of it, and the
// fields in which two parameter records differ.
#include <QStringList>

#include "app/wizardpara.h"
#include "io/iosettingsdialog.h"

class FakeSettingsDialog : public IOSettingsDialog {
public:
    bool factoryParamShown() const override { return factory; }
    void ResetReCheck1Text(const QString& text) override { recheckTexts << text; }
    void DoChangePage() override { ++changePages; }
    void changeWidget(int index) override { pages << index; }
    void showDialog() override { ++shown; }

    bool factory = false;
    QStringList recheckTexts;
    QList<int> pages;
    int changePages = 0;
    int shown = 0;
};

// "field" or "field[i]" for every integer element that differs, and the names of differing texts.
inline QStringList changedFields(const WizardPara& a, const WizardPara& b) {
    QStringList out;
    int n = 0;
    const ParaFieldInfo* fields = paraFields(&n);
    for (int f = 0; f < n; ++f) {
        const ParaFieldInfo& info = fields[f];
        if (info.text) {
            if (std::memcmp(reinterpret_cast<const char*>(&a) + info.offset,
                            reinterpret_cast<const char*>(&b) + info.offset, kParaTextLen) != 0)
                out << info.name;
            continue;
        }
        for (int i = 0; i < info.count; ++i)
            if (*paraInt(a, info, i) != *paraInt(b, info, i))
                out << (info.count == 1 ? QString(info.name) : QString("%1[%2]").arg(info.name).arg(i));
    }
    return out;
}

inline int32_t* fieldOf(WizardPara& p, const QString& name, int index) {
    const ParaFieldInfo* f = findParaField(name.toLatin1().constData());
    return f && !f->text && index < f->count ? paraInt(p, *f, index) : nullptr;
}

inline QString fieldName(const QString& name, int index, bool array) {
    return array ? QString("%1[%2]").arg(name).arg(index) : name;
}
