// Writes the fuzz target's seed corpus: a small good picture of each kind the platform reads.
//   picture_seeds FOLDER

#include <QCoreApplication>

#include <filesystem>
#include <fstream>
#include <iostream>

#include "tests/platform/picture/picturefiles.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: picture_seeds FOLDER\n";
        return 2;
    }
    QCoreApplication app(argc, argv);
    std::filesystem::create_directories(argv[1]);
    for (const picturefiles::Seed& seed : picturefiles::seeds()) {
        std::ofstream out(std::filesystem::path(argv[1]) / seed.name, std::ios::binary);
        out << seed.make();
        if (!out)
            return 1;
    }
    return 0;
}
