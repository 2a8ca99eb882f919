// The rules that keep the settings controls consistent: the size controls of the chosen rule, the
// JPEG quality coupling, the DOS-names box, the window's two sizes and the size check.
#include <cstdint>
#include <string>

#include "engine/framework/text.h"
#include "mainwindow/main.h"

namespace {

// Only an exact zero fails (minus zero included): negative and fractional sizes pass.
[[nodiscard]] bool isZero(const fw::TextField& field) {
    return fw::Val(field.Text()) == 0.0;
}

void disableSizeControls(Main& w) {
    w.EFPSize()->setEnabled(false);
    w.PMPType()->setEnabled(false);
    w.EFIWidth()->setEnabled(false);
    w.EFIHeight()->setEnabled(false);
    w.PMIWidth()->setEnabled(false);
    w.PMIHeight()->setEnabled(false);
    w.EFBWidth()->setEnabled(false);
    w.EFBHeight()->setEnabled(false);
}

void enableSizeControls(Main& w, ResizeRule rule) {
    switch (rule) {
        case ResizeRule::Proportional:
            w.EFPSize()->setEnabled(true);
            w.PMPType()->setEnabled(true);
            break;
        case ResizeRule::Independent:
            w.EFIWidth()->setEnabled(true);
            w.EFIHeight()->setEnabled(true);
            w.PMIWidth()->setEnabled(true);
            w.PMIHeight()->setEnabled(true);
            break;
        case ResizeRule::Box:
            w.EFBWidth()->setEnabled(true);
            w.EFBHeight()->setEnabled(true);
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
    return w.PMExportFormat()->ListIndex() == valueOf(PictureType::JPEG);
}

}  // namespace

ResizeRule selectedRule(const Main& window) {
    if (window.RBType(valueOf(ResizeRule::Proportional))->Value())
        return ResizeRule::Proportional;
    if (window.RBType(valueOf(ResizeRule::Independent))->Value())
        return ResizeRule::Independent;
    return ResizeRule::Box;
}

void Main::enablego() {
    bool ok = true;
    switch (selectedRule(*this)) {
        case ResizeRule::Proportional:
            ok = !isZero(*EFPSize());
            break;
        case ResizeRule::Independent:
            // The height is read only when the width passes.
            ok = !isZero(*EFIWidth()) && !isZero(*EFIHeight());
            break;
        case ResizeRule::Box:
            ok = !isZero(*EFBWidth()) && !isZero(*EFBHeight());
            break;
    }
    fw::DisclosureTriangle& triangle = *DTSettings();
    // Shown settings fold only when the size check passes; folded ones can always be shown.
    triangle.setEnabled(ok || !triangle.Value());
    PBGo()->setEnabled(ok && f != nullptr);
}

void Main::checkcontrol() {
    disableSizeControls(*this);
    enableSizeControls(*this, selectedRule(*this));
    // The quality controls follow JPEG; their values stay as they are.
    STJPEGQuality()->setEnabled(exportsJPEG(*this));
    PMQuality()->setEnabled(exportsJPEG(*this));
    SLQuality()->setEnabled(exportsJPEG(*this));
    enablego();
}

void Main::checksettingsdisclosure() {
    if (DTSettings()->Value()) {
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
            SLQuality()->setValue(preset.quality);
            return;
        }
    }
}

// Each control raises no event when set to the value it holds, so the coupling with
// PMQuality_Change comes to rest after one round.
void Main::SLQuality_ValueChanged(fw::Slider& sender) {
    STQuality()->setCaption(fw::Str(sender.Value()));
    std::int64_t row = qualityrow::custom;
    for (const QualityPreset& preset : kQualityPresets) {
        if (sender.Value() == preset.quality)
            row = preset.row;
    }
    PMQuality()->setListIndex(row);
}

// Only the enabling follows: a ticked DOS-names box stays ticked while disabled.
void Main::CBName_Action(fw::CheckBox& sender) {
    CBDos()->setEnabled(sender.Value());
}

void Main::PMExportFormat_Change(fw::PopupMenu& /*sender*/) {
    checkcontrol();
}

void Main::DTSettings_Action(fw::DisclosureTriangle& /*sender*/) {
    checksettingsdisclosure();
}
