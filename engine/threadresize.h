#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/framework/dictionary.h"
#include "engine/framework/folderitem.h"
#include "engine/framework/object.h"
#include "engine/framework/thread.h"

// The batch worker: one run turns the source folder dir into an output folder of resized
// pictures, reporting through the user-interface update queue. Its last message is "Done", or
// "Error" (with the failure's text) when the run failed.
// The run calls the virtual seams (setname, stopRequested, clearStopRequest) on the worker thread,
// and this class's destructor waits for the run only after a subclass's destructor is done: a
// subclass that overrides a seam must call wait() in its own destructor.
class threadResize : public fw::Thread, public fw::Object {
public:
    threadResize();
    ~threadResize() override;

    [[nodiscard]] std::string ClassName() const override { return "threadResize"; }
    // Registers "threadResize" (base "Thread") with its settings, for layout property blocks.
    static void registerClass();

    // Worker settings, in declaration order. The window writes all of them before each start.
    std::int64_t pictureType = 0;
    std::int64_t proportionalMode = 0;
    bool bigger = false;
    std::int64_t resizeType = 0;
    std::int64_t proportionalSize = 0;
    std::int64_t boxWidth = 0;
    std::int64_t boxHeight = 0;
    std::int64_t independentHeight = 0;
    std::int64_t independentWidth = 0;
    std::int64_t independentWidthMode = 0;
    std::int64_t independentHeightMode = 0;
    fw::FolderItemPtr dir;
    std::int64_t jpegQuality = 0;
    bool nameWeb = false;
    bool nameDOS = false;

    // The base name of an output file (the folder is not consulted).
    [[nodiscard]] virtual std::string setname(const fw::FolderItemPtr& folder,
                                              const std::string& name);

    // The stop flag used when no window provides one (tools and tests).
    void requestStop() { m_stop = true; }

protected:
    void aboutToRun() override;
    void Event_Run() override;
    // Progress messages on the main thread; the owner of the worker applies them.
    void Event_UserInterfaceUpdate(const std::vector<fw::Dictionary>& data) override;

    // The stop check's seam: the main window answers through its accessor.
    [[nodiscard]] virtual bool stopRequested();
    virtual void clearStopRequest();

private:
    // The batch itself; every failure leaves it as an exception, which Event_Run reports.
    void runBatch();
    // Makes the output folder named name beside the source folder (on the desktop when that place
    // is locked), replacing an item of that name.
    [[nodiscard]] fw::FolderItemPtr makeOutputFolder(const std::string& name);
    void post(const std::string& key, fw::Variant value);
    std::atomic<bool> m_stop{false};
};
