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

void enableSizeControls(Main& w, ResizeRule rule) {
    switch (rule) {
        case ResizeRule::Proportional:
            nonNil(w.EFPSize()).setEnabled(true);
            nonNil(w.PMPType()).setEnabled(true);
            break;
        case ResizeRule::Independent:
            nonNil(w.EFIWidth()).setEnabled(true);
            nonNil(w.EFIHeight()).setEnabled(true);
            nonNil(w.PMIWidth()).setEnabled(true);
            nonNil(w.PMIHeight()).setEnabled(true);
            break;
        case ResizeRule::Box:
            nonNil(w.EFBWidth()).setEnabled(true);
            nonNil(w.EFBHeight()).setEnabled(true);
            break;
    }
}

// The slider's value for each preset row of PMQuality; "Custom" has none.
struct QualityPreset {
    std::int64_t row;
    std::int64_t quality;
};
constexpr QualityPreset kQualityPresets[] = {
    {qualityrow::excellent, 90},
    {qualityrow::good, 80},
    {qualityrow::decent, 60},
    {qualityrow::low, 40},
};

// JPEG is the only format with a quality to choose.
[[nodiscard]] bool exportsJPEG(const Main& w) {
    return nonNil(w.PMExportFormat()).ListIndex() == valueOf(PictureType::JPEG);
}

}  // namespace

ResizeRule selectedRule(const Main& window) {
    if (nonNil(window.RBType(valueOf(ResizeRule::Proportional))).Value())
        return ResizeRule::Proportional;
    if (nonNil(window.RBType(valueOf(ResizeRule::Independent))).Value())
        return ResizeRule::Independent;
    return ResizeRule::Box;
}

void Main::enablego() {
    bool ok = true;
    switch (selectedRule(*this)) {
        case ResizeRule::Proportional:
            ok = !isZero(nonNil(EFPSize()));
            break;
        case ResizeRule::Independent:
            // The height is read only when the width passes.
            ok = !isZero(nonNil(EFIWidth())) && !isZero(nonNil(EFIHeight()));
            break;
        case ResizeRule::Box:
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
    nonNil(STJPEGQuality()).setEnabled(exportsJPEG(*this));
    nonNil(PMQuality()).setEnabled(exportsJPEG(*this));
    nonNil(SLQuality()).setEnabled(exportsJPEG(*this));
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
    const ResizeRule rule = resizeRuleOf(sender.Index());
    disableSizeControls(*this);
    enableSizeControls(*this, rule);
    enablego();
}

void Main::PMQuality_Change(fw::PopupMenu& sender) {
    // "Custom" (and no row) leaves the slider where it is.
    for (const QualityPreset& preset : kQualityPresets) {
        if (sender.ListIndex() == preset.row) {
            nonNil(SLQuality()).setValue(preset.quality);
            return;
        }
    }
}

// Each control raises no event when set to the value it holds, so the coupling with
// PMQuality_Change comes to rest after one round.
void Main::SLQuality_ValueChanged(fw::Slider& sender) {
    nonNil(STQuality()).setCaption(fw::Str(sender.Value()));
    std::int64_t row = qualityrow::custom;
    for (const QualityPreset& preset : kQualityPresets) {
        if (sender.Value() == preset.quality)
            row = preset.row;
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
