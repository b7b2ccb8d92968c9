#include "platform/net/OpenURL.h"

#include "../support/TestContext.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace torvane::platform;

namespace {

// Reads what the opener script writes into the FIFO; blocks until it has written.
std::string readFifo(const std::filesystem::path& fifo) {
    int fd = ::open(fifo.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "cannot open the FIFO";
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, size_t(got));
    ::close(fd);
    return text;
}

// Children of this process that have ended and that nobody has waited for.
int zombieChildren() {
    int zombies = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it("/proc", error), end; !error && it != end;
         it.increment(error)) {
        std::ifstream in(it->path() / "stat");
        std::string stat;
        if (!std::getline(in, stat))
            continue;
        auto afterName = stat.rfind(')');
        if (afterName == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(afterName + 1));
        char state = 0;
        int parent = 0;
        fields >> state >> parent;
        if (parent == ::getpid() && state == 'Z')
            ++zombies;
    }
    return zombies;
}

} // namespace

TEST(OpenURL, HandsTheUrlUntouchedAsTheOneArgument) {
    TestContext t;
    const TemporaryFolder& folder = t.folder;
    auto fifo = folder.path() / "argv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // The opener tells how many arguments it got, then each between brackets.
    auto opener =
        folder.write("opener.sh", "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"[$a]\"; done; } > '" +
                                      fifo.string() + "'\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    ::setenv(urlOpenerVariable, opener.c_str(), 1);
    t.startTrace();
    ASSERT_TRUE(t.context.trace.isOpen());

    const std::string url = "itms-apps://store.example/app?id=1 2&q=\"a'b\";echo $HOME `id` | x";
    EXPECT_TRUE(openURL(t.context.trace, t.context.work, url));
    EXPECT_EQ(readFifo(fifo), "1\n[" + url + "]\n");

    t.stopTrace();
    ::unsetenv(urlOpenerVariable);
    EXPECT_NE(folder.read("trace.jsonl").find("\"op\":\"url.open\""), std::string::npos);
}

TEST(OpenURL, EndedOpenersAreReaped) {
    TestContext t;
    // An earlier test's context, stopped while its opener ended, may have left one behind.
    const int before = zombieChildren();
    ::setenv(urlOpenerVariable, "true", 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(openURL(t.context.trace, t.context.work, "https://example.invalid/" + std::to_string(i)));
    ::unsetenv(urlOpenerVariable);
    // Reaping happens on the side; give it a moment (this bounds the wait, it times nothing).
    int zombies = zombieChildren();
    for (int i = 0; i < 500 && zombies > before; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        zombies = zombieChildren();
    }
    EXPECT_EQ(zombies, before);
}

TEST(OpenURL, MissingOpenerIsReportedNotFatal) {
    TestContext t;
    ::setenv(urlOpenerVariable, "/nonexistent/torvane-opener", 1);
    EXPECT_FALSE(openURL(t.context.trace, t.context.work, "https://example.invalid/"));
    ::unsetenv(urlOpenerVariable);
}

namespace {

// A desktop of stand-ins: a query that names `handler` (none when empty) and an opener that
// writes its arguments into a FIFO.
struct StandInDesktop {
    explicit StandInDesktop(const std::string& handler) {
        fifo = folder.path() / "argv";
        ::mkfifo(fifo.c_str(), 0600);
        auto query = folder.write(
            "xdg-mime", "#!/bin/sh\n[ \"$1 $2 $3\" = \"query default x-scheme-handler/itms-apps\" ] "
                        "&& echo '" +
                            handler + "'\nexit 0\n");
        auto opener = folder.write("xdg-open", "#!/bin/sh\necho \"$# $1\" > '" + fifo.string() + "'\n");
        for (const auto& program : {query, opener})
            std::filesystem::permissions(program, std::filesystem::perms::owner_all);
        programs = {query.string(), opener.string()};
    }
    TemporaryFolder folder;
    std::filesystem::path fifo;
    DesktopOpeners programs;
};

} // namespace

TEST(OpenURL, TheDesktopGetsTheStoreUrlWhenItHandlesTheSchemeElseItsHttpsForm) {
    ::unsetenv(urlOpenerVariable);
    TestContext t;
    const std::string url = "itms-apps://apps.example/us/app/torvane-pro/id2?ls=1&mt=8";
    {
        StandInDesktop desktop("store.desktop");
        EXPECT_TRUE(openURL(t.context.trace, t.context.work, url, desktop.programs));
        EXPECT_EQ(readFifo(desktop.fifo), "1 " + url + "\n");
    }
    {
        StandInDesktop desktop("");
        EXPECT_TRUE(openURL(t.context.trace, t.context.work, url, desktop.programs));
        EXPECT_EQ(readFifo(desktop.fifo), "1 https://apps.example/us/app/torvane-pro/id2?ls=1&mt=8\n");
    }
    EXPECT_EQ(httpsForm("mailto:someone@example.com"), "mailto:someone@example.com");
    EXPECT_EQ(schemeOf("ITMS-Apps://x"), "itms-apps");
    EXPECT_EQ(schemeOf("/no/scheme:here"), "");
}
