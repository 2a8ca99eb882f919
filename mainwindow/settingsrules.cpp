// The rules that keep the settings controls consistent: the size controls of the chosen rule, the
// JPEG quality coupling, the DOS-names box, the window's two sizes and the size check.
#include <cstdint>
#include <string>

#include "engine/framework/exceptions.h"
#include "engine/framework/text.h"
#include "mainwindow/main.h"

namespace {

// A control that the layout did not make is a nil object for the rule that needs it.
template <typename T>
T& nonNil(T* control) {
    if (control == nullptr)
        throw fw::NilObjectException("Control not found");
    return *control;
}

// Only an exact zero fails (minus zero included): negative and fractional sizes pass.
[[nodiscard]] bool isZero(const fw::TextField& field) {
    return fw::Val(field.Text()) == 0.0;
}

void disableSizeControls(Main& w) {
    nonNil(w.EFPSize()).setEnabled(false);
    nonNil(w.PMPType()).setEnabled(false);
    nonNil(w.EFIWidth()).setEnabled(false);
    nonNil(w.EFIHeight()).setEnabled(false);
    nonNil(w.PMIWidth()).setEnabled(false);
    nonNil(w.PMIHeight()).setEnabled(false);
    nonNil(w.EFBWidth()).setEnabled(false);
    nonNil(w.EFBHeight()).setEnabled(false);
}

// Enables the size controls of one rule: 0 proportional, 1 independent, any other box.
void enableSizeControls(Main& w, std::int64_t rule) {
    if (rule == 0) {
        nonNil(w.EFPSize()).setEnabled(true);
        nonNil(w.PMPType()).setEnabled(true);
    } else if (rule == 1) {
        nonNil(w.EFIWidth()).setEnabled(true);
        nonNil(w.EFIHeight()).setEnabled(true);
        nonNil(w.PMIWidth()).setEnabled(true);
        nonNil(w.PMIHeight()).setEnabled(true);
    } else {
        nonNil(w.EFBWidth()).setEnabled(true);
        nonNil(w.EFBHeight()).setEnabled(true);
    }
}

// The selected rule as the rules read it: member 0, then member 1, else box.
[[nodiscard]] std::int64_t selectedRule(const Main& w) {
    if (nonNil(w.RBType(0)).Value())
        return 0;
    if (nonNil(w.RBType(1)).Value())
        return 1;
    return 2;
}

}  // namespace

void Main::enablego() {
    bool ok = true;
    switch (selectedRule(*this)) {
        case 0:
            ok = !isZero(nonNil(EFPSize()));
            break;
        case 1:
            // The height is read only when the width passes.
            ok = !isZero(nonNil(EFIWidth())) && !isZero(nonNil(EFIHeight()));
            break;
        default:
            ok = !isZero(nonNil(EFBWidth())) && !isZero(nonNil(EFBHeight()));
            break;
    }
    fw::DisclosureTriangle& triangle = nonNil(DTSettings());
    // Shown settings fold only when the size check passes; folded ones can always be shown.
    triangle.setEnabled(ok || !triangle.Value());
    nonNil(PBGo()).setEnabled(ok && f != nullptr);
}

void Main::checkcontrol() {
    disableSizeControls(*this);
    enableSizeControls(*this, selectedRule(*this));
    // The quality controls follow JPEG; their values stay as they are.
    nonNil(STJPEGQuality()).setEnabled(nonNil(PMExportFormat()).ListIndex() == 0);
    nonNil(PMQuality()).setEnabled(nonNil(PMExportFormat()).ListIndex() == 0);
    nonNil(SLQuality()).setEnabled(nonNil(PMExportFormat()).ListIndex() == 0);
    enablego();
}

void Main::checksettingsdisclosure() {
    if (nonNil(DTSettings()).Value()) {
        setWidth(746);
        setHeight(322);
    } else {
        setWidth(366);
        setHeight(117);
    }
}

void Main::EFPSize_TextChange(fw::TextField& /*sender*/) {
    enablego();
}
void Main::EFIWidth_TextChange(fw::TextField& /*sender*/) {
    enablego();
}
void Main::EFIHeight_TextChange(fw::TextField& /*sender*/) {
    enablego();
}
void Main::EFBWidth_TextChange(fw::TextField& /*sender*/) {
    enablego();
}
void Main::EFBHeight_TextChange(fw::TextField& /*sender*/) {
    enablego();
}

void Main::RBType_Action(fw::RadioButton& sender) {
    const std::int64_t rule = sender.Index();
    disableSizeControls(*this);
    enableSizeControls(*this, rule);
    enablego();
}

void Main::PMQuality_Change(fw::PopupMenu& sender) {
    // "Custom" (and no row) leaves the slider where it is.
    switch (sender.ListIndex()) {
        case 0:
            nonNil(SLQuality()).setValue(90);
            break;
        case 1:
            nonNil(SLQuality()).setValue(80);
            break;
        case 2:
            nonNil(SLQuality()).setValue(60);
            break;
        case 3:
            nonNil(SLQuality()).setValue(40);
            break;
        default:
            break;
    }
}

// Each control raises no event when set to the value it holds, so the coupling with
// PMQuality_Change comes to rest after one round.
void Main::SLQuality_ValueChanged(fw::Slider& sender) {
    nonNil(STQuality()).setCaption(fw::Str(sender.Value()));
    std::int64_t row = 4;
    switch (sender.Value()) {
        case 90:
            row = 0;
            break;
        case 80:
            row = 1;
            break;
        case 60:
            row = 2;
            break;
        case 40:
            row = 3;
            break;
        default:
            break;
    }
    nonNil(PMQuality()).setListIndex(row);
}

// Only the enabling follows: a ticked DOS-names box stays ticked while disabled.
void Main::CBName_Action(fw::CheckBox& sender) {
    nonNil(CBDos()).setEnabled(sender.Value());
}

void Main::PMExportFormat_Change(fw::PopupMenu& /*sender*/) {
    checkcontrol();
}

void Main::DTSettings_Action(fw::DisclosureTriangle& /*sender*/) {
    checksettingsdisclosure();
}
