#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/batchsettings.h"
#include "engine/framework/dictionary.h"
#include "engine/framework/folderitem.h"
#include "engine/framework/object.h"
#include "engine/framework/thread.h"
#include "engine/stopcheck.h"

// The batch worker: one run turns the source folder dir into an output folder of resized
// pictures, reporting through the user-interface update queue. Its last message is "Done", or
// "Error" (with the failure's text) when the run failed.
// The worker is given its stop check (setStopCheck); without one a batch runs to its end. Of the
// worker's virtual operations only Event_Run and setname run on the worker thread, and this
// class's destructor waits for the run after a subclass's is done: a subclass that overrides
// either of those two must not be destroyed while a run goes on.
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

    // The stop check of the batches to come; not while a run goes on.
    void setStopCheck(StopCheck check);

protected:
    void aboutToRun() override;
    void Event_Run() override;
    // Progress messages on the main thread; the owner of the worker applies them.
    void Event_UserInterfaceUpdate(const std::vector<fw::Dictionary>& data) override;

private:
    // The batch itself; every failure leaves it as an exception, which Event_Run reports.
    void runBatch();
    // Makes the output folder named name beside the source folder (on the desktop when that place
    // is locked), replacing an item of that name.
    [[nodiscard]] fw::FolderItemPtr makeOutputFolder(const std::string& name);
    void post(const std::string& key, fw::Variant value);
    [[nodiscard]] bool stopRequested() const;
    void clearStopRequest() const;

    StopCheck m_stopCheck;
};
