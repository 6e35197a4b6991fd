// Top-level windows of the Linux platform against a real X server: an Xvfb
// of the test's own, with real clients (xeyes sets no _NET_WM_PID, xclock
// does) and windows the test makes itself. And SIGPIPE held while the
// platform talks to a server.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cerrno>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/last_error.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/window_notifications.h"
#include "platform/posix/x11_display.h"
#include "support/child_process.h"
#include "support/eventually.h"
#include "support/proc_stat.h"
#include "support/x_test_client.h"
#include "support/xvfb_server.h"

namespace plv::testing {
namespace {

using posix::PosixPlatform;

HWND HandleOf(xcb_window_t window) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)); }

// What the window calls answer about one window.
struct Described {
    std::string title;
    int titleLength = 0;
    std::string className;
    DWORD processId = 0;
    DWORD threadId = 0;
    HWND parent = nullptr;
    BOOL visible = FALSE;
    bool operator==(const Described &) const = default;
};

void PrintTo(const Described &d, std::ostream *out) {
    *out << "{\"" << d.title << "\" (" << d.titleLength << "), class \"" << d.className
         << "\", process " << d.processId << ", thread " << d.threadId << ", parent "
         << d.parent << ", visible " << d.visible << "}";
}

Described Describe(Platform &platform, HWND window) {
    Described d;
    char text[128] = "stale";
    d.titleLength = platform.GetWindowTextA(window, text, sizeof text);
    d.title = text;
    char name[130] = "stale";
    platform.GetClassNameA(window, name, sizeof name);
    d.className = name;
    d.threadId = platform.GetWindowThreadProcessId(window, &d.processId);
    d.parent = platform.GetParent(window);
    d.visible = platform.IsWindowVisible(window);
    return d;
}

using Visitor = std::function<bool(HWND)>;

BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
    return (*reinterpret_cast<Visitor *>(parameter))(window) ? TRUE : FALSE;
}

BOOL Enumerate(Platform &platform, Visitor visitor) {
    return platform.EnumWindows(Visit, reinterpret_cast<LPARAM>(&visitor));
}

std::vector<HWND> Delivered(Platform &platform) {
    std::vector<HWND> windows;
    Enumerate(platform, [&](HWND window) { return windows.push_back(window), true; });
    return windows;
}

// The windows among `ours` that an enumeration delivers, in its order.
std::vector<HWND> DeliveredAmong(Platform &platform, std::initializer_list<xcb_window_t> ours) {
    std::vector<HWND> delivered = Delivered(platform);
    std::erase_if(delivered, [&](HWND window) {
        return std::none_of(ours.begin(), ours.end(), [&](xcb_window_t w) { return HandleOf(w) == window; });
    });
    return delivered;
}

// What the enumeration's callback learns about one window; none when the
// window is not delivered.
std::optional<Described> DescribedDuringEnumeration(Platform &platform, HWND wanted) {
    std::optional<Described> found;
    Enumerate(platform, [&](HWND window) {
        if (window == wanted) found = Describe(platform, window);
        return !found;
    });
    return found;
}

void ExpectGone(Platform &platform, HWND window) {
    for (auto text : {&Platform::GetWindowTextA, &Platform::GetClassNameA}) {
        char answer[16] = "stale";
        EXPECT_EQ(ErrorIf(platform, [&] { return (platform.*text)(window, answer, sizeof answer) == 0; }), ERROR_INVALID_WINDOW_HANDLE);
        EXPECT_STREQ(answer, "");
    }
    DWORD process = 77;
    EXPECT_EQ(ErrorIf(platform, [&] { return platform.GetWindowThreadProcessId(window, &process) == 0; }), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(process, 0u);
    EXPECT_EQ(platform.GetParent(window), nullptr);
    EXPECT_FALSE(platform.IsWindowVisible(window));
    EXPECT_FALSE(platform.IsWindow(window));
}

// One Xvfb per test program; ctest runs every test in a program of its own.
class X11Test : public ::testing::Test {
  protected:
    static void StartServer(const std::vector<std::string> &arguments) {
        server = XvfbServer::Start(arguments, whyNoServer);
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        if (!server) GTEST_SKIP() << "X11 tests skipped: " << whyNoServer;
        ::setenv("DISPLAY", server->display().c_str(), 1);
        client = std::make_unique<XTestClient>(server->display());
        ASSERT_TRUE(client->connected());
    }

    static inline std::unique_ptr<XvfbServer> server;
    static inline std::string whyNoServer;

    // A real client; its window is awaited.
    std::unique_ptr<ChildProcess> StartClient(const std::string &program,
                                              const std::string &className, xcb_window_t &window) {
        auto child = std::make_unique<ChildProcess>(std::vector<std::string>{program});
        EXPECT_TRUE(child->started()) << program << " is not installed (Debian package x11-apps)";
        window = child->started() ? client->AwaitWindowOfClass(className) : 0;
        EXPECT_NE(window, 0u) << program << " showed no window";
        return child;
    }

    xcb_window_t NamedWindow(const std::string &title) {
        const xcb_window_t window = client->CreateWindow();
        client->SetBytes(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, title);
        return window;
    }

    PosixPlatform platform;
    std::unique_ptr<XTestClient> client;
};

class X11Windows : public X11Test {
  protected:
    static void SetUpTestSuite() { StartServer({}); }
};

// Each window's properties as clients set them, read alike by the calls on
// their own and during an enumeration.
TEST_F(X11Windows, PropertiesAreReadAsTheWindowsApiGivesThem) {
    using Setup = std::function<void(xcb_window_t)>;
    const auto bytes = [this](xcb_atom_t property, xcb_atom_t type, std::string value) -> Setup {
        return [=, this](xcb_window_t w) { client->SetBytes(w, property, type, value); };
    };
    const auto values = [this](xcb_atom_t property, xcb_atom_t type,
                               std::vector<std::uint32_t> value) -> Setup {
        return [=, this](xcb_window_t w) { client->SetValues(w, property, type, value); };
    };
    const auto both = [](Setup a, Setup b) -> Setup { return [=](xcb_window_t w) { a(w), b(w); }; };
    const Setup map = [this](xcb_window_t window) { client->Map(window); };
    const xcb_atom_t netWmName = client->Atom("_NET_WM_NAME"), utf8 = client->Atom("UTF8_STRING");
    const auto utf8Name = [&](std::string name) { return bytes(netWmName, utf8, name); };
    const auto latin1Name = [&](std::string name) { return bytes(XCB_ATOM_WM_NAME, XCB_ATOM_STRING, name); };
    const auto wmClass = [&](std::string names) { return bytes(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, names); };
    const xcb_atom_t wmState = client->Atom("WM_STATE");
    const auto state = [&](std::uint32_t value) { return values(wmState, wmState, {value, XCB_WINDOW_NONE}); };
    constexpr std::uint32_t kWithdrawn = 0, kNormal = 1, kIconic = 3;
    const xcb_window_t owner = NamedWindow("owner");
    const auto transientFor = [&](xcb_window_t w) { return values(XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, {w}); };
    struct Case {
        const char *what;
        Setup setup;
        std::string title;
        std::string className;
        HWND parent = nullptr;
        BOOL visible = FALSE;
    };
    const Case cases[] = {
        // Titles prefer the UTF-8 name and come in the ANSI code page.
        // clang-format off
        {"both names",
         both(utf8Name("Editor \xE2\x80\x93 Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC" "5"),
              latin1Name("old name")),
         "Editor \x96 Gr\xFC\xDF" "e \x80" "5", ""},
        {"characters beyond the code page",
         utf8Name("\xE6\x97\xA5\xEF\xBC\x81\xF0\x9F\x98\x80 x"), "??? x", ""},
        {"bytes that are no UTF-8", utf8Name("a\xFF" "b\xF8\x88\x80\x80" "c\xE2\x82"), "a?b????c?", ""},
        // clang-format on
        {"only WM_NAME", latin1Name("caf\xE9"), "caf\xE9", ""},
        {"a control code of ISO 8859-1", latin1Name("x\x85y"), "x?y", ""},
        {"no name", [](xcb_window_t) {}, "", ""},
        // The class is the second name of WM_CLASS.
        {"instance and class", wmClass(std::string("editor\0Editor\0", 14)), "", "Editor"},
        {"class without the last zero byte", wmClass(std::string("editor\0Editor", 13)), "", "Editor"},
        {"instance only", wmClass("editor"), "", ""},
        // Mapped and iconified windows are visible.
        {"mapped", both(state(kNormal), map), "", "", nullptr, TRUE},
        {"mapped, no window manager", map, "", "", nullptr, TRUE},
        {"iconified by the window manager", state(kIconic), "", "", nullptr, TRUE},
        {"withdrawn", state(kWithdrawn), "", ""},
        // Transient windows name their owner as parent.
        {"transient for a window", transientFor(owner), "", "", HandleOf(owner)},
        {"transient for the root", transientFor(client->root()), "", ""},
        // The server names the process before the client's own claim.
        {"claims another process", values(client->Atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, {4242}), "", ""},
    };
    const DWORD self = static_cast<DWORD>(::getpid());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const xcb_window_t window = client->CreateWindow();
        c.setup(window);
        const Described expected{c.title, static_cast<int>(c.title.size()), c.className, self, self,
                                 c.parent, c.visible};
        EXPECT_EQ(Describe(platform, HandleOf(window)), expected);
        EXPECT_EQ(DescribedDuringEnumeration(platform, HandleOf(window)), expected);
    }
}

TEST_F(X11Windows, TextsAreCutToTheCallersBuffer) {
    const xcb_window_t window = NamedWindow("abcdef");
    client->SetBytes(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, std::string("abc\0Abcdef\0", 11));
    char text[8] = "xxxxxxx";
    EXPECT_EQ(platform.GetWindowTextA(HandleOf(window), text, 4), 3);
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(platform.GetClassNameA(HandleOf(window), text, 3), 2);
    EXPECT_STREQ(text, "Ab");
    EXPECT_EQ(platform.GetWindowTextA(HandleOf(window), text, 1), 0);  // room for the end only
    EXPECT_STREQ(text, "");
    EXPECT_EQ(platform.GetWindowTextA(HandleOf(window), text, 0), 0);
    EXPECT_EQ(platform.GetWindowTextA(HandleOf(window), nullptr, 8), 0);
}

TEST_F(X11Windows, RootChildrenComeTopmostFirstAndTheCallbackEndsTheEnumeration) {
    const xcb_window_t lower = NamedWindow("lower");
    const xcb_window_t upper = NamedWindow("upper");
    const xcb_window_t raised = NamedWindow("raised");
    client->Raise(upper);
    EXPECT_EQ(DeliveredAmong(platform, {lower, upper, raised}),
              (std::vector<HWND>{HandleOf(upper), HandleOf(raised), HandleOf(lower)}));
    // The callback ends the enumeration.
    int calls = 0;
    EXPECT_FALSE(Enumerate(platform, [&](HWND) { return ++calls, false; }));
    EXPECT_EQ(calls, 1);
}

TEST_F(X11Windows, TheClientListOfARunningWindowManagerIsTaken) {
    const xcb_atom_t clientList = client->Atom("_NET_CLIENT_LIST");
    const xcb_atom_t check = client->Atom("_NET_SUPPORTING_WM_CHECK");
    const xcb_window_t first = NamedWindow("first");
    const xcb_window_t second = NamedWindow("second");
    const xcb_window_t unlisted = NamedWindow("unlisted");
    const xcb_window_t gone = client->UnusedId();
    client->SetValues(client->root(), clientList, XCB_ATOM_WINDOW, {second, gone, first});

    // A manager that has ended leaves its list behind on the root; then the
    // root's children count. Its check window may be gone, or belong to
    // someone else by now.
    const std::function<void(xcb_window_t)> endings[] = {
        [&](xcb_window_t manager) { client->Destroy(manager); },
        [&](xcb_window_t manager) { client->DeleteProperty(manager, check); },
    };
    for (const auto &end : endings) {
        const xcb_window_t manager = client->CreateWindow();
        client->SetValues(client->root(), check, XCB_ATOM_WINDOW, {manager});
        client->SetValues(manager, check, XCB_ATOM_WINDOW, {manager});
        // In list order, without the window that is gone.
        EXPECT_EQ(Delivered(platform), (std::vector<HWND>{HandleOf(second), HandleOf(first)}));

        end(manager);
        EXPECT_EQ(DeliveredAmong(platform, {first, second, unlisted}),
                  (std::vector<HWND>{HandleOf(unlisted), HandleOf(second), HandleOf(first)}));
    }
    client->DeleteProperty(client->root(), clientList);
}

// Real clients tell title, class, process and visibility; killed during an
// enumeration, they are no fault.
TEST_F(X11Windows, RealClientsAreDescribedAndAClientKilledDuringAnEnumerationIsNoFault) {
    xcb_window_t eyes = 0, clock = 0;
    auto xeyes = StartClient("xeyes", "XEyes", eyes);
    auto xclock = StartClient("xclock", "XClock", clock);
    ASSERT_TRUE(eyes != 0 && clock != 0);
    using Client = std::tuple<xcb_window_t, ChildProcess *, std::string, const char *>;
    for (const auto &[window, child, title, name] :
         {Client{eyes, xeyes.get(), "xeyes", "XEyes"}, Client{clock, xclock.get(), "xclock", "XClock"}}) {
        SCOPED_TRACE(title);
        const DWORD pid = static_cast<DWORD>(child->pid());
        const Described expected{title, static_cast<int>(title.size()), name, pid, pid, nullptr, TRUE};
        EXPECT_EQ(DescribedDuringEnumeration(platform, HandleOf(window)), expected);
        // Outside an enumeration every call asks the server itself.
        EXPECT_EQ(Describe(platform, HandleOf(window)), expected);
        EXPECT_TRUE(platform.IsWindow(HandleOf(window)));
    }

    std::vector<HWND> delivered;
    EXPECT_TRUE(Enumerate(platform, [&](HWND window) {
        delivered.push_back(window);
        if (window == HandleOf(eyes) || window == HandleOf(clock)) {
            xeyes->Kill();
            xclock->Kill();
        }
        Describe(platform, window);
        return true;
    }));
    EXPECT_EQ(std::count(delivered.begin(), delivered.end(), HandleOf(eyes)), 1);
    EXPECT_EQ(std::count(delivered.begin(), delivered.end(), HandleOf(clock)), 1);

    ASSERT_TRUE(Eventually([&] { return !platform.IsWindow(HandleOf(eyes)); }));
    ASSERT_TRUE(Eventually([&] { return !platform.IsWindow(HandleOf(clock)); }));
    ExpectGone(platform, HandleOf(eyes));
    ExpectGone(platform, HandleOf(clock));
    const std::vector<HWND> after = Delivered(platform);
    EXPECT_EQ(std::count(after.begin(), after.end(), HandleOf(eyes)), 0);
}

TEST_F(X11Windows, HandlesThatNameNoWindowFail) {
    // Null, wider than an X id, and an id that names no window.
    for (HWND handle : {HWND{}, reinterpret_cast<HWND>(~std::uintptr_t{0}), HandleOf(client->UnusedId())}) {
        SCOPED_TRACE(handle);
        ExpectGone(platform, handle);
    }
}

// Calls inside an enumeration are answered from its batch, even where the
// server has learnt better meanwhile; an enumeration run inside it has a
// batch of its own.
TEST_F(X11Windows, CallsInsideAnEnumerationAreAnsweredFromItsBatch) {
    const xcb_window_t window = NamedWindow("outer");
    std::optional<Described> before, after, inner;
    Enumerate(platform, [&](HWND found) {
        if (found != HandleOf(window)) return true;
        before = Describe(platform, found);
        client->SetBytes(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "renamed");
        inner = DescribedDuringEnumeration(platform, found);
        after = Describe(platform, found);
        return false;
    });
    ASSERT_TRUE(before.has_value() && inner.has_value());
    EXPECT_EQ(before->title, "outer");
    EXPECT_EQ(inner->title, "renamed");
    EXPECT_EQ(after, before);
    EXPECT_EQ(Describe(platform, HandleOf(window)).title, "renamed");
}

// Enumerations deliver what the server has notified: each change below is
// seen by the next enumeration.
TEST_F(X11Windows, EnumerationsFollowWhatChanged) {
    const xcb_window_t window = NamedWindow("first");
    client->Map(window);
    const xcb_window_t owner = NamedWindow("owner");
    const auto seen = [&] { return DescribedDuringEnumeration(platform, HandleOf(window)); };
    ASSERT_TRUE(seen().has_value());
    struct Case {
        const char *what;
        std::function<void()> change;
        std::function<bool(const std::optional<Described> &)> shows;
    };
    const auto set = [&](xcb_atom_t property, xcb_atom_t type, std::string value) {
        return [=, this] { client->SetBytes(window, property, type, value); };
    };
    const Case cases[] = {
        {"renamed", set(XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "second"),
         [](const auto &d) { return d && d->title == "second"; }},
        {"named in UTF-8", set(client->Atom("_NET_WM_NAME"), client->Atom("UTF8_STRING"), "third"),
         [](const auto &d) { return d && d->title == "third"; }},
        {"classed", set(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, std::string("a\0Tool\0", 7)),
         [](const auto &d) { return d && d->className == "Tool"; }},
        {"unmapped", [&] { client->Unmap(window); }, [](const auto &d) { return d && !d->visible; }},
        {"mapped", [&] { client->Map(window); }, [](const auto &d) { return d && d->visible; }},
        {"owned", [&] { client->SetValues(window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, {owner}); },
         [&](const auto &d) { return d && d->parent == HandleOf(owner); }},
        {"destroyed", [&] { client->Destroy(window); }, [](const auto &d) { return !d; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        c.change();
        EXPECT_TRUE(c.shows(seen()));
    }
}

// While nothing changes an enumeration asks the server for nothing but one
// round trip; a change costs the facts of the window it names.
TEST_F(X11Windows, AnEnumerationAsksAgainOnlyWhatChanged) {
    std::vector<xcb_window_t> windows;
    for (int i = 0; i < 20; ++i) {
        windows.push_back(NamedWindow("window " + std::to_string(i)));
        client->Map(windows.back());
    }
    Delivered(platform);
    posix::x11::Server *display = posix::x11::CurrentServer();
    ASSERT_NE(display, nullptr);
    // Every request has a number of its own: a probe's tells how many went before.
    const auto requestsDuring = [&](const std::function<void()> &work) {
        const auto probe = [&] {
            const unsigned sequence = xcb_get_input_focus(display->connection).sequence;
            xcb_discard_reply(display->connection, sequence);
            return sequence;
        };
        const unsigned before = probe();
        work();
        return probe() - before - 1;
    };
    constexpr unsigned kRoundTrip = 1;
    constexpr unsigned kOneWindowsFacts = 1 + 8;  // the clients' processes, attributes and seven properties
    const auto enumerate = [&] { Delivered(platform); };
    EXPECT_EQ(requestsDuring(enumerate), kRoundTrip);
    client->SetBytes(windows[7], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "renamed");
    EXPECT_EQ(requestsDuring(enumerate), kRoundTrip + kOneWindowsFacts);
    client->SetValues(windows[7], client->Atom("_NET_WM_USER_TIME"), XCB_ATOM_CARDINAL, {42});
    EXPECT_EQ(requestsDuring(enumerate), kRoundTrip);  // nothing the window calls read
    EXPECT_EQ(requestsDuring(enumerate), kRoundTrip);
}

// The host's message loop reads notifications between enumerations; what
// they name is asked again all the same.
TEST_F(X11Windows, NotificationsReadBetweenEnumerationsStillCount) {
    const xcb_window_t window = NamedWindow("before");
    ASSERT_TRUE(DescribedDuringEnumeration(platform, HandleOf(window)).has_value());
    posix::x11::Server *display = posix::x11::CurrentServer();
    ASSERT_NE(display, nullptr);
    client->SetBytes(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "after");
    pollfd arrived{xcb_get_file_descriptor(display->connection), POLLIN, 0};
    ASSERT_EQ(::poll(&arrived, 1, 10'000), 1);
    posix::AbsorbWindowNotifications();
    EXPECT_EQ(::poll(&arrived, 1, 0), 0);  // read, not left waiting
    EXPECT_EQ(DescribedDuringEnumeration(platform, HandleOf(window)).value_or(Described{}).title, "after");
}

// Under a window manager the clients sit in frames, the root's children: a
// client is shown and hidden with its frame.
TEST_F(X11Windows, UnderAWindowManagerAClientIsHiddenWithItsFrame) {
    const xcb_window_t frame = client->CreateWindow();
    client->Map(frame);
    const xcb_window_t application = NamedWindow("application");
    client->Reparent(application, frame);
    client->Map(application);
    const xcb_window_t manager = client->CreateWindow();
    const xcb_atom_t check = client->Atom("_NET_SUPPORTING_WM_CHECK");
    client->SetValues(manager, check, XCB_ATOM_WINDOW, {manager});
    client->SetValues(client->root(), check, XCB_ATOM_WINDOW, {manager});
    client->SetValues(client->root(), client->Atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW,
                      {application});

    const auto visible = [&] {
        const auto described = DescribedDuringEnumeration(platform, HandleOf(application));
        return described && described->visible;
    };
    EXPECT_TRUE(visible());
    client->Unmap(frame);
    EXPECT_FALSE(visible());
    client->Map(frame);
    EXPECT_TRUE(visible());
}

// Without X-Resource the server cannot tell processes; clients that claim
// one with _NET_WM_PID are believed when they run on this machine.
class X11WindowsWithoutClientIds : public X11Test {
  protected:
    static void SetUpTestSuite() { StartServer({"-extension", "X-Resource"}); }
};

TEST_F(X11WindowsWithoutClientIds, ProcessesComeFromTheClientsClaim) {
    xcb_window_t eyes = 0, clock = 0;
    auto xeyes = StartClient("xeyes", "XEyes", eyes);
    auto xclock = StartClient("xclock", "XClock", clock);
    ASSERT_TRUE(eyes != 0 && clock != 0);
    // xclock claims its process only after its window shows; xeyes never does.
    EXPECT_TRUE(Eventually([&] {
        return Describe(platform, HandleOf(clock)).processId == static_cast<DWORD>(xclock->pid());
    }));
    EXPECT_EQ(Describe(platform, HandleOf(eyes)).processId, 0u);

    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const xcb_atom_t netWmPid = client->Atom("_NET_WM_PID");
    struct Case {
        const char *what;
        std::optional<std::string> machine;
        DWORD processId;
    };
    const Case cases[] = {
        {"this machine", std::string(host), 4242},
        {"no machine named", std::nullopt, 4242},
        {"another machine", std::string("elsewhere.example"), 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const xcb_window_t window = NamedWindow(c.what);
        client->SetValues(window, netWmPid, XCB_ATOM_CARDINAL, {4242});
        if (c.machine) client->SetBytes(window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, *c.machine);
        const auto during = DescribedDuringEnumeration(platform, HandleOf(window));
        ASSERT_TRUE(during.has_value());
        EXPECT_EQ(during->processId, c.processId);
        EXPECT_EQ(during->threadId, c.processId);
    }
}

// A server that stops answering or ends.
class X11ServerTrouble : public X11Test {
  protected:
    static void SetUpTestSuite() { StartServer({}); }
    void TearDown() override {
        if (server) server->process().Signal(SIGCONT);
    }
};

TEST_F(X11ServerTrouble, AStoppedServerIsWaitedForOnceAndTakenBackWhenItAnswers) {
    const xcb_window_t window = NamedWindow("waiting");
    ASSERT_TRUE(platform.IsWindow(HandleOf(window)));

    server->process().Signal(SIGSTOP);
    ASSERT_TRUE(
        Eventually([] { return StatOf(std::to_string(server->process().pid())).state == 'T'; }));
    EXPECT_TRUE(Delivered(platform).empty());
    // Silent still: not asked again, so not waited for again. A second wait
    // would last the whole answer time of a second; anything shorter is no
    // wait, however busy the machine.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform.IsWindow(HandleOf(window)));
    EXPECT_TRUE(Delivered(platform).empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    server->process().Signal(SIGCONT);
    EXPECT_TRUE(Eventually([&] { return platform.IsWindow(HandleOf(window)) == TRUE; }));
    EXPECT_EQ(DescribedDuringEnumeration(platform, HandleOf(window)).value_or(Described{}).title, "waiting");
}

TEST_F(X11ServerTrouble, AServerThatEndsLeavesNoWindowsAndItsSuccessorIsFound) {
    const xcb_window_t window = NamedWindow("before");
    ASSERT_TRUE(platform.IsWindow(HandleOf(window)));

    server->process().Kill();
    EXPECT_TRUE(Delivered(platform).empty());
    EXPECT_FALSE(platform.IsWindow(HandleOf(window)));

    std::string whyNot;
    auto successor = XvfbServer::Start({}, whyNot);
    ASSERT_NE(successor, nullptr) << whyNot;
    ::setenv("DISPLAY", successor->display().c_str(), 1);
    XTestClient newClient(successor->display());
    const xcb_window_t created = newClient.CreateWindow();
    newClient.SetBytes(created, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "after");
    EXPECT_EQ(DescribedDuringEnumeration(platform, HandleOf(created)).value_or(Described{}).title, "after");
}

TEST(X11WithoutServer, NoDisplayMeansNoWindows) {
    PosixPlatform platform;
    for (const char *display : {static_cast<const char *>(nullptr), "", ":4242"}) {
        SCOPED_TRACE(display != nullptr ? display : "unset");
        display != nullptr ? ::setenv("DISPLAY", display, 1) : ::unsetenv("DISPLAY");
        EXPECT_TRUE(Delivered(platform).empty());
        ExpectGone(platform, HandleOf(0x200001));
    }
}

// Talking to an X server that has gone must not end the host by SIGPIPE.
using posix::x11::SigpipeHeld;

bool SigpipePending() {
    sigset_t pending;
    sigpending(&pending);
    return sigismember(&pending, SIGPIPE) == 1;
}

bool SigpipeBlocked() {
    sigset_t mask;
    pthread_sigmask(SIG_SETMASK, nullptr, &mask);
    return sigismember(&mask, SIGPIPE) == 1;
}

// Writes to a pipe whose reading end is closed, as to a server that is gone.
int WriteToNobody() {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    const ssize_t written = ::write(fds[1], "x", 1);
    const int error = errno;
    ::close(fds[1]);
    return written < 0 ? error : 0;
}

TEST(SigpipeHeld, AWriteToNobodyFailsWithoutEndingTheProcess) {
    ASSERT_FALSE(SigpipeBlocked());
    {
        const SigpipeHeld held;
        EXPECT_EQ(WriteToNobody(), EPIPE);
    }
    EXPECT_FALSE(SigpipePending());
    EXPECT_FALSE(SigpipeBlocked());
}

TEST(SigpipeHeld, LeavesTheHostsOwnPendingSignalAndMaskAlone) {
    sigset_t sigpipe, previous;
    sigemptyset(&sigpipe);
    sigaddset(&sigpipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &sigpipe, &previous);
    ::raise(SIGPIPE);
    {
        const SigpipeHeld held;
        EXPECT_EQ(WriteToNobody(), EPIPE);
    }
    EXPECT_TRUE(SigpipePending());
    EXPECT_TRUE(SigpipeBlocked());
    const timespec now{};
    EXPECT_EQ(sigtimedwait(&sigpipe, nullptr, &now), SIGPIPE);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace
}  // namespace plv::testing
