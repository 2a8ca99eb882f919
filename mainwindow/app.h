#pragma once

#include <string>

#include "engine/framework/application.h"
#include "engine/framework/folderitem.h"

// The application object: created once at start-up and held by the platform until the end.
class App : public fw::Application {
public:
    [[nodiscard]] std::string ClassName() const override { return "App"; }
    // Registers "App" with the two application events it handles.
    static void registerClass();

    void Event_Open() override;
    // An item handed over by the operating system becomes the source folder.
    void Event_OpenDocument(const fw::FolderItemPtr& item) override;
    virtual void Constructor();

    [[nodiscard]] bool IsEventImplemented(const std::string& eventName) const override;
};
