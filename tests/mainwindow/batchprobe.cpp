// The program with a batch under way, for tests that end it from outside: it starts as vimbel
// does, takes the folder of its command line and the settings of the preferences file, presses
// Go, writes "started" on its standard output and runs until it quits.
#include <cstdlib>
#include <iostream>
#include <memory>

#include "engine/framework/application.h"
#include "engine/framework/folderitem.h"
#include "mainwindow/main.h"
#include "mainwindow/startup.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: batchprobe FOLDER\n";
        return 2;
    }
    fw::RuntimeInit(argc, argv);
    startup::registerClasses();
    closeMainWindowOnTerminationRequests();
    const std::shared_ptr<Main> window = the::Main();
    window->f = fw::FolderItem::fromNativePath(argv[1]);
    window->enablego();
    if (!window->PBGo()->Enabled()) {
        std::cerr << "batchprobe: Go is not enabled\n";
        return 2;
    }
    window->PBGo_Action(*window->PBGo());
    std::cout << "started" << std::endl;
    fw::RuntimeRun();
    return fw::RuntimeExitCode();
}
