// One program per user session, with real processes: a later start hands its documents to the
// running program and ends at once; simultaneous starts leave one program; a socket left by a
// crash stops nothing; programs with different runtime folders never meet.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/engine/childprocess.h"
#include "tests/engine/testfolder.h"
#include "tests/platform/scratch.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Generous: under the sanitizers a start takes seconds.
constexpr auto kStart = 60s;

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.makeFolder("pictures");
        folder.makeFolder("other");
        folder.writeFile("other/photo.jpg", "not really a picture");
    }

    // A start of the program in the scratch folder, in the session of that runtime folder.
    [[nodiscard]] std::unique_ptr<ChildProcess> start(const std::string& program,
                                                      const std::vector<std::string>& arguments,
                                                      const char* runtime = "run") const {
        std::vector<std::string> command{program};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return std::make_unique<ChildProcess>(command, privateSession(folder.path(), runtime),
                                              ChildOptions{.folder = folder.path()});
    }
    [[nodiscard]] std::unique_ptr<ChildProcess> vimbel(const std::vector<std::string>& arguments,
                                                       const char* runtime = "run") const {
        return start(VIMBEL_PATH, arguments, runtime);
    }
    [[nodiscard]] static bool running(ChildProcess& program) {
        return program.wait(0ms) == "still running";
    }
    // The socket through which a running program takes later starts.
    [[nodiscard]] fs::path socket(const char* runtime = "run") const {
        return scratch / runtime / "vimbel.socket";
    }
    // Whether a program listens on the socket (a stale one refuses the connection).
    [[nodiscard]] static bool listening(const fs::path& path) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        const bool connected =
            ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return connected;
    }
    [[nodiscard]] bool waitForListening(ChildProcess& program, const char* runtime = "run") const {
        const auto deadline = std::chrono::steady_clock::now() + kStart;
        while (std::chrono::steady_clock::now() < deadline) {
            if (listening(socket(runtime)))
                return true;
            if (!running(program))
                return false;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
    // A start without documents that ends at once with 0: a running program took it.
    void expectHandedOver(const char* runtime = "run") const {
        const auto later = vimbel({}, runtime);
        EXPECT_EQ(later->wait(kStart), "exit code 0");
    }

    TestFolder folder;
    const fs::path scratch = folder.path();
};

// The running program is the built program with a probe on its output (handoverprobe); the
// later starts are the built program itself.
TEST_F(SingleInstanceTest, LaterStartsHandTheirDocumentsOverInOrder) {
    const auto probe = start(HANDOVERPROBE_PATH, {});
    EXPECT_EQ(probe->readLine(kStart), std::optional<std::string>("ready minimized=1"));

    struct Case {
        std::vector<std::string> arguments;
        std::string expected;
    };
    const std::string pictures = (scratch / "pictures").string();
    const std::string other = (scratch / "other").string();
    // Relative paths are the later start's own: resolved in its folder before they travel. A
    // file gives its folder, and the last document handed over decides.
    const std::vector<Case> cases = {
        {{"pictures"}, "handed 1 folder=" + pictures + " label=pictures minimized=0 active=1"},
        {{"pictures", "other/photo.jpg"},
         "handed 2 folder=" + other + " label=other minimized=0 active=1"},
        {{"other/photo.jpg", "pictures"},
         "handed 2 folder=" + pictures + " label=pictures minimized=0 active=1"},
        // Without documents the window only comes back.
        {{}, "handed 0 folder=" + pictures + " label=pictures minimized=0 active=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const auto later = vimbel(c.arguments);
        EXPECT_EQ(later->wait(kStart), "exit code 0");
        EXPECT_EQ(probe->readLine(kStart), std::optional<std::string>(c.expected));
    }
    EXPECT_TRUE(running(*probe));
}

TEST_F(SingleInstanceTest, SimultaneousStartsLeaveOneProgram) {
    std::vector<std::unique_ptr<ChildProcess>> starts;
    for (int i = 0; i < 4; ++i)
        starts.push_back(vimbel({"pictures"}));
    // Three hand over and end; which three is the race's.
    std::vector<std::string> ends;
    const auto deadline = std::chrono::steady_clock::now() + kStart;
    while (ends.size() < 3 && std::chrono::steady_clock::now() < deadline) {
        ends.clear();
        for (auto& s : starts)
            if (const std::string end = s->wait(0ms); end != "still running")
                ends.push_back(end);
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(ends, std::vector<std::string>(3, "exit code 0"));
    expectHandedOver();
}

TEST_F(SingleInstanceTest, ASocketLeftByACrashStopsNothing) {
    auto crashed = vimbel({});
    ASSERT_TRUE(waitForListening(*crashed));
    crashed->sendSignal(SIGKILL);
    ASSERT_EQ(crashed->wait(kStart), "ended by signal 9");
    ASSERT_TRUE(fs::is_socket(socket()));  // nobody cleaned up

    const auto next = vimbel({});
    ASSERT_TRUE(waitForListening(*next));
    // It runs, and it is the one that takes later starts.
    expectHandedOver();
    EXPECT_TRUE(running(*next));
}

// Only this user reaches the running program: the socket and the lock admit no one else.
TEST_F(SingleInstanceTest, TheSocketIsThisUsersAlone) {
    const auto program = vimbel({});
    ASSERT_TRUE(waitForListening(*program));
    for (const fs::path& file : {socket(), scratch / "run" / "vimbel.lock"}) {
        struct stat st {};
        ASSERT_EQ(stat(file.c_str(), &st), 0) << file;
        EXPECT_EQ(st.st_mode & 077, 0u) << file;
        EXPECT_EQ(st.st_uid, geteuid()) << file;
    }
}

TEST_F(SingleInstanceTest, DifferentRuntimeFoldersNeverMeet) {
    const auto first = vimbel({}, "run");
    ASSERT_TRUE(waitForListening(*first, "run"));
    const auto second = vimbel({}, "run2");
    ASSERT_TRUE(waitForListening(*second, "run2"));
    expectHandedOver("run");
    expectHandedOver("run2");
    EXPECT_TRUE(running(*first));
    EXPECT_TRUE(running(*second));
}

// Sessions whose runtime folder is missing, not the user's, or too deep for a socket's name: the
// program falls back as Qt does (a runtime folder of its own in the temporary folder) or runs on
// its own, and says nothing about it on stderr, at any start.
TEST_F(SingleInstanceTest, AnUnusualRuntimeFolderStartsQuietly) {
    struct Case {
        const char* name;
        std::optional<std::string> runtime;  // nothing: XDG_RUNTIME_DIR unset
        bool needsRoot;                      // to give a folder to another user
    };
    folder.makeFolder("tmp");
    folder.makeFolder("foreign");
    const std::string deep = "deep/" + std::string(60, 'd') + "/" + std::string(60, 'e');
    folder.makeFolder(deep);
    fs::permissions(folder.path(deep), fs::perms::owner_all, fs::perm_options::replace);
    const std::vector<Case> cases = {
        {"unset", std::nullopt, false},
        {"another user's", folder.path("foreign"), true},
        {"too deep for a socket", folder.path(deep), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && geteuid() != 0)
            continue;
        if (c.needsRoot) {
            ASSERT_EQ(chown(c.runtime->c_str(), 65534, 65534), 0);
        }
        std::vector<std::string> environment = privateSession(folder.path());
        std::erase_if(environment,
                      [](const std::string& v) { return v.starts_with("XDG_RUNTIME_DIR="); });
        if (c.runtime)
            environment.push_back("XDG_RUNTIME_DIR=" + *c.runtime);
        environment.push_back("TMPDIR=" + folder.path("tmp"));
        std::filesystem::remove(folder.path("config/Vimbel! preferences"));
        const std::string errors = folder.path("stderr.txt");
        ChildProcess program({VIMBEL_PATH}, environment,
                             {.folder = folder.path(), .errorFile = errors});
        program.waitUntilCatches(SIGTERM, kStart);
        program.sendSignal(SIGTERM);

        // It ran its window (closing it saved the settings) and said nothing.
        EXPECT_EQ(program.wait(kStart), "exit code 0");
        EXPECT_TRUE(folder.exists("config/Vimbel! preferences"));
        EXPECT_EQ(scratch::readAll(errors), "");
    }
}

}  // namespace
