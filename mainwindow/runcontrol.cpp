// Starting and cancelling a batch from the main window, and applying its progress messages.
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "engine/framework/color.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/text.h"
#include "engine/framework/window.h"
#include "mainwindow/main.h"
#include "strings/loc.h"

namespace {

void setEnabled(std::initializer_list<fw::Ref<fw::Control>> controls, bool enabled) {
    for (const fw::Ref<fw::Control>& control : controls)
        control->setEnabled(enabled);
}

// Size texts reach the worker truncated toward zero, never rounded.
[[nodiscard]] std::int64_t sizeOf(const fw::TextField& field) {
    return fw::truncToInt64(fw::Val(field.Text()));
}

[[nodiscard]] std::string textOf(const fw::Variant& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    return {};
}

// The 1-based index of the entry just saved, as the bar's 32-bit value.
[[nodiscard]] std::int32_t progressOf(const fw::Variant& value) {
    if (const auto* n = std::get_if<std::int64_t>(&value))
        return static_cast<std::int32_t>(*n);
    if (const auto* d = std::get_if<double>(&value))
        return fw::truncToInt32(*d);
    if (const auto* b = std::get_if<bool>(&value))
        return *b ? 1 : 0;
    return 0;
}

// The end of a batch, finished, stopped or failed: the red closing text and the idle window.
void returnToIdle(Main& w, const std::string& closingText) {
    w.STStatus()->setTextColor(fw::RGB(200, 0, 0, 0));
    w.STStatus()->setCaption(closingText);
    setEnabled({w.RBType(0), w.RBType(1), w.RBType(2), w.SLQuality(), w.PMQuality(), w.CBIncrease(),
                w.PBSelect(), w.CBName()},
               true);
    w.checkcontrol();
    w.PB()->setValue(0);
    w.PB()->setMaximumValue(1);
    w.PBGo()->setCaption(loc::buttongo(""));
    w.PBGo()->setDefault(true);
    w.PBGo()->setCancel(false);
}

}  // namespace

void Main::PBGo_Action(fw::PushButton& sender) {
    // While a batch runs this is the Cancel button: it only raises the stop request.
    if (sender.Cancel()) {
        endthread = true;
        return;
    }

    const std::shared_ptr<Main> w = the::Main();
    if (!w->f)
        throw fw::NilObjectException();
    setEnabled(
        {w->EFPSize(), w->PMPType(), w->EFIWidth(), w->EFIHeight(), w->PMIWidth(), w->PMIHeight(),
         w->RBType(0), w->RBType(1), w->RBType(2), w->SLQuality(), w->PMQuality(), w->CBIncrease(),
         w->PBSelect(), w->EFBWidth(), w->EFBHeight(), w->CBName()},
        false);
    w->PBGo()->setCaption("Cancel");
    w->PBGo()->setDefault(false);
    w->PBGo()->setCancel(true);

    try {
        w->PB()->setMaximumValue(w->f->Count() - 1);
        w->STStatus()->setTextColor(fw::RGB(0, 0, 0, 0));

        threadResize& worker = *internalthread();
        worker.dir = w->f;
        worker.pictureType = w->PMExportFormat()->ListIndex();
        worker.proportionalMode = w->PMPType()->ListIndex();
        worker.bigger = w->CBIncrease()->Value();
        worker.proportionalSize = sizeOf(*w->EFPSize());
        worker.independentWidth = sizeOf(*w->EFIWidth());
        worker.independentHeight = sizeOf(*w->EFIHeight());
        worker.independentWidthMode = w->PMIWidth()->ListIndex();
        worker.independentHeightMode = w->PMIHeight()->ListIndex();
        worker.boxWidth = sizeOf(*w->EFBWidth());
        worker.boxHeight = sizeOf(*w->EFBHeight());
        worker.jpegQuality = w->SLQuality()->Value();
        worker.nameWeb = w->CBName()->Value();
        worker.nameDOS = w->CBDos()->Value();
        worker.resizeType = valueOf(selectedRule(*w));
        worker.Run();
    } catch (const std::exception& e) {
        // A batch that could not start must not leave the window in its running state.
        returnToIdle(*w, e.what());
    }
}

StopCheck Main::_wrapper_internalthread::windowStopCheck() {
    return {.requested =
                [] {
                    // A worker whose window has closed has no one left to report to: it stops.
                    const std::shared_ptr<Main> w = the::openMain();
                    return !w || w->endthread;
                },
            .clear =
                [] {
                    if (const std::shared_ptr<Main> w = the::openMain())
                        w->endthread = false;
                }};
}

void Main::_wrapper_internalthread::Event_UserInterfaceUpdate(
    const std::vector<fw::Dictionary>& data) {
    for (const fw::Dictionary& message : data) {
        const std::shared_ptr<Main> w = the::openMain();
        if (!w)
            return;
        if (message.HasKey("Status"))
            w->STStatus()->setCaption(textOf(message.Value("Status")));
        if (message.HasKey("NbDone")) {
            w->PB()->setValue(static_cast<double>(progressOf(message.Value("NbDone"))));
        }
        if (message.HasKey("Done")) {
            returnToIdle(*w,
                         fw::ReplaceAll(loc::theadprocessed(""), "<0>", dir ? dir->Name() : ""));
        }
        // A failed batch ends like a finished one, with the failure's text as the closing line.
        if (message.HasKey("Error"))
            returnToIdle(*w, textOf(message.Value("Error")));
    }
}
