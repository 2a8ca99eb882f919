#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/framework/controls.h"
#include "engine/framework/lookup.h"
#include "engine/framework/window.h"

// The about box: the program's name, version and author, two link lines (mail and web) and the
// translators. A press on its background closes it.
class Credits : public fw::Window {
public:
    Credits();

    [[nodiscard]] std::string ClassName() const override { return "Credits.Credits"; }
    // Registers "Credits.Credits" with the events it handles; later calls do nothing.
    static void registerClass();

    // The fixed texts of the two link lines, and the links they open.
    static constexpr const char* emailAddress = "ardemol@example.org";
    static constexpr const char* webHost = "vimbel.example.org";
    [[nodiscard]] static std::string mailLink();
    [[nodiscard]] static std::string webLink();

    // Set-up events.
    void Layout() override;
    void CreateControls() override;
    virtual void CreateControls0();

    // Label accessors: the label of that name; nil when there is none, and using a nil one raises
    // NilObjectException (fw::Ref).
    [[nodiscard]] virtual fw::Ref<fw::Label> StaticText2() const;
    [[nodiscard]] virtual fw::Ref<fw::Label> stemail1() const;
    [[nodiscard]] virtual fw::Ref<fw::Label> StaticText5() const;
    [[nodiscard]] virtual fw::Ref<fw::Label> Label1() const;
    [[nodiscard]] virtual fw::Ref<fw::Label> Label2() const;
    [[nodiscard]] virtual fw::Ref<fw::Label> Label3() const;

    // Any press on a link line opens its link; the box stays open.
    virtual bool stemail1_MouseDown(fw::Label& sender, std::int64_t x, std::int64_t y);
    virtual bool StaticText5_MouseDown(fw::Label& sender, std::int64_t x, std::int64_t y);
    // A press on the background closes the box.
    bool Event_MouseDown(std::int64_t x, std::int64_t y) override;

    [[nodiscard]] bool IsEventImplemented(const std::string& eventName) const override;
};

namespace the {
// The open about box, or a new one built and shown.
std::shared_ptr<::Credits> Credits();
}  // namespace the
