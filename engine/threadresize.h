#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/batchsettings.h"
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
class threadResize : public fw::Thread, public fw::Object, public BatchSettings {
public:
    threadResize();
    ~threadResize() override;

    [[nodiscard]] std::string ClassName() const override { return "threadResize"; }
    // Registers "threadResize" (base "Thread") with its settings, for layout property blocks.
    static void registerClass();

    // The plain worker settings are this object's own properties (pictureType, bigger, ...), by
    // their names; settings() is all of them as one value.
    [[nodiscard]] const BatchSettings& settings() const { return *this; }
    // The source folder, the one setting that is a reference.
    fw::FolderItemPtr dir;

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
