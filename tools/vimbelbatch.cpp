// vimbel-batch: runs one batch of the resize engine without any window, for development and
// benchmarks. See batchUsage() for the command line.

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/framework/eventloop.h"
#include "engine/framework/folderitem.h"
#include "engine/framework/picture.h"
#include "engine/framework/termination.h"
#include "engine/threadresize.h"
#include "tools/batchoptions.h"
#include "tools/jsonline.h"

namespace {

// The worker, with the progress handler a window would have: each message is printed as it is
// applied on the main thread, and the batch's last message ends the event loop.
class BatchRun : public threadResize {
public:
    // The stop check follows each "NbDone" on the worker thread: answering it there stops the
    // batch right after the N-th saved picture, however far the printing lags behind.
    explicit BatchRun(std::int64_t cancelAfter) {
        if (cancelAfter <= 0)
            return;
        auto checks = std::make_shared<std::int64_t>(0);  // on the worker thread only
        setStopCheck({.requested = [cancelAfter, checks] { return ++*checks == cancelAfter; },
                      .clear = [] {}});
    }

protected:
    void Event_UserInterfaceUpdate(const std::vector<fw::Dictionary>& data) override {
        for (const fw::Dictionary& message : data) {
            std::cout << jsonLine(message) << '\n' << std::flush;
            if (message.HasKey("Done"))
                fw::quitEventLoop(0);
            if (message.HasKey("Error"))
                fw::quitEventLoop(1);
        }
    }
};

// The folder as an absolute path without a trailing separator, so that its name is its last part.
std::string absoluteFolder(const std::string& folder) {
    std::filesystem::path path = std::filesystem::absolute(folder).lexically_normal();
    if (!path.has_filename() && path != path.root_path())
        path = path.parent_path();
    return path.string();
}

}  // namespace

int main(int argc, char** argv) {
    BatchOptions options;
    try {
        options = parseBatchOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& e) {
        std::cerr << "vimbel-batch: " << e.what() << "\n" << batchUsage();
        return 2;
    }
    if (options.help) {
        std::cout << batchUsage();
        return 0;
    }

    fw::initPictures(argc, argv);
    // Told to end (SIGTERM, SIGINT, SIGHUP), the tool stops at once, as a signal's default would,
    // but first removes the temporary file of the picture it is saving.
    fw::setTerminationHandler([](int signal) { fw::exitRemovingTemporaryFiles(128 + signal); });
    const fw::FolderItemPtr folder = fw::FolderItem::fromNativePath(absoluteFolder(options.folder));
    if (!folder->Exists() || !folder->Directory()) {
        std::cerr << "vimbel-batch: not a folder: " << options.folder << "\n";
        return 2;
    }

    BatchRun run(options.cancelAfter);
    applyBatchSettings(options, run);
    run.dir = folder;
    run.Run();
    const int code = fw::runEventLoop();
    run.wait();
    return code;
}
