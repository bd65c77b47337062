#include <QtTest>

#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/display_check.h"
#include "app/program.h"
#include "app/surface_copy.h"
#include "app/timer_period.h"
#include "app/toolkit.h"
#include "render/picture.h"

namespace kanimo {

namespace {

constexpr std::uint32_t untouched = 0xFF010203u;

struct Surface {
    std::vector<std::uint32_t> pixels;
    int width;
    int height;
    Surface(int w, int h)
        : pixels(static_cast<std::size_t>(w) * h, untouched), width(w), height(h) {}
    SurfaceView view() { return {pixels.data(), width, height, width}; }
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Every pixel a colour of its own, made from its place.
Picture patterned(int w, int h) {
    Picture p;
    p.setSize(w, h);
    p.setPenStyle(PenStyle::Clear);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            p.setBrushColour(
                static_cast<Colour>((x & 0xFF) | ((y & 0xFF) << 8) | (((x + y) & 0xFF) << 16)));
            p.rectangle(x, y, x + 2, y + 2);
        }
    }
    return p;
}

DisplayEnvironment env(const char* platform, const char* display, const char* wayland) {
    return DisplayEnvironment{platform, display, wayland};
}

} // namespace

class ToolkitTest : public QObject {
    Q_OBJECT

  private slots:
    void channelsAreSwappedForTheSurface() {
        QCOMPARE(surfaceValue(0x00112233u), 0xFF332211u);
        QCOMPARE(surfaceValue(0x00808080u), 0xFF808080u);
        QCOMPARE(colourOf(0xFF332211u), Colour{0x00112233u});
        QCOMPARE(colourOf(surfaceValue(0x00ABCDEFu)), Colour{0x00ABCDEFu});
    }

    void aCopyOverwritesWhatItCoversAndClipsTheRest() {
        const Picture p = patterned(601, 601);
        for (int offset : {2, 8}) {
            Surface s(601, 601);
            copyToSurface(p, s.view(), offset, offset);
            QCOMPARE(s.at(offset - 1, 300), untouched);
            QCOMPARE(s.at(300, offset - 1), untouched);
            QCOMPARE(s.at(0, 0), untouched);
            QCOMPARE(s.at(offset, offset), surfaceValue(p.pixel(0, 0)));
            QCOMPARE(s.at(600, 600), surfaceValue(p.pixel(600 - offset, 600 - offset)));
            QCOMPARE(s.at(321, 123), surfaceValue(p.pixel(321 - offset, 123 - offset)));
        }
    }

    void aCopyCanStartAboveAndLeftOfTheSurface() {
        const Picture p = patterned(20, 20);
        Surface s(10, 10);
        copyToSurface(p, s.view(), -5, -3);
        QCOMPARE(s.at(0, 0), surfaceValue(p.pixel(5, 3)));
        QCOMPARE(s.at(9, 9), surfaceValue(p.pixel(14, 12)));
    }

    void aCopyOutsideTheSurfaceOrOfAnEmptyPictureChangesNothing() {
        const Picture p = patterned(20, 20);
        Surface s(10, 10);
        copyToSurface(p, s.view(), 10, 0);
        copyToSurface(p, s.view(), 0, 10);
        copyToSurface(p, s.view(), -20, -20);
        copyToSurface(Picture(), s.view(), 0, 0);
        for (std::uint32_t v : s.pixels) QCOMPARE(v, untouched);
    }

    void aSmallPictureLeavesTheSurfaceAroundIt() {
        const Picture p = patterned(3, 2);
        Surface s(10, 10);
        copyToSurface(p, s.view(), 4, 4);
        QCOMPARE(s.at(4, 4), surfaceValue(p.pixel(0, 0)));
        QCOMPARE(s.at(6, 5), surfaceValue(p.pixel(2, 1)));
        QCOMPARE(s.at(7, 5), untouched);
        QCOMPARE(s.at(4, 6), untouched);
    }

    void periodsAreRoundedUpToWholeTicks() {
        using std::chrono::nanoseconds;
        QCOMPARE(timerPeriod(1), nanoseconds(15'625'000));
        QCOMPARE(timerPeriod(15), nanoseconds(15'625'000));
        QCOMPARE(timerPeriod(16), nanoseconds(31'250'000));
        QCOMPARE(timerPeriod(1000), nanoseconds(1'000'000'000));
        QCOMPARE(timerPeriod(1001), nanoseconds(1'015'625'000));
        QCOMPARE(timerPeriod(0), nanoseconds(15'625'000));
    }

    // A timer fires again and again while it lives, and never once its owner has let it go:
    // the handler it holds may refer to what no longer exists.
    void aTimerFiresRepeatedlyUntilDestroyed() {
        int fired = 0;
        auto timer = createTimer(1, [&fired] { ++fired; });
        QTRY_VERIFY_WITH_TIMEOUT(fired >= 3, 5000);
        timer.reset();
        const int firedBefore = fired;
        QTest::qWait(50);
        QCOMPARE(fired, firedBefore);
    }

    void aDisplayIsNeededOnlyByTheDesktopPlatform() {
        QVERIFY(missingDisplayMessage(env(nullptr, nullptr, nullptr)).has_value());
        QVERIFY(missingDisplayMessage(env("", "", "")).has_value());
        QVERIFY(missingDisplayMessage(env("xcb", nullptr, nullptr)).has_value());
        QVERIFY(!missingDisplayMessage(env(nullptr, ":0", nullptr)));
        QVERIFY(!missingDisplayMessage(env(nullptr, nullptr, "wayland-0")));
        QVERIFY(!missingDisplayMessage(env("offscreen", nullptr, nullptr)));
        const std::string line = *missingDisplayMessage(env(nullptr, nullptr, nullptr));
        QVERIFY(line.find('\n') == std::string::npos);
        QVERIFY(line.find("xvfb-run") != std::string::npos);
        QVERIFY(unreachableDisplayMessage(env(nullptr, ":7", nullptr)).find("\":7\"") !=
                std::string::npos);
    }

    void aStartupErrorShowsItsMessageOrNothing() {
        QCOMPARE(startupErrorMessage(std::make_exception_ptr(std::runtime_error("no memory"))),
                 std::string("no memory"));
        QCOMPARE(startupErrorMessage(std::make_exception_ptr(42)), std::string());
    }

    void theCommandLineTakesASeedAndNothingLoose() {
        struct Case {
            std::vector<std::string_view> args;
            bool good;
            std::optional<std::uint32_t> seed;
        };
        const Case cases[] = {
            {{}, true, std::nullopt},
            {{"--seed", "0"}, true, 0u},
            {{"--seed=4294967295"}, true, 4294967295u},
            {{"--seed", "7", "--seed", "8"}, true, 8u},
            {{"--seed", "4294967296"}, false, {}},
            {{"--seed", "99999999999999999999999"}, false, {}},
            {{"--seed", "-1"}, false, {}},
            {{"--seed", "+1"}, false, {}},
            {{"--seed", " 1"}, false, {}},
            {{"--seed", "1x"}, false, {}},
            {{"--seed", "0x10"}, false, {}},
            {{"--seed="}, false, {}},
            {{"--seed"}, false, {}},
            {{"--seed", "--help"}, false, {}},
            {{"--seeds", "1"}, false, {}},
            {{"seed"}, false, {}},
            {{"--help=yes"}, false, {}},
            {{"--load", "w.kanimo"}, true, std::nullopt},
            {{"--load"}, false, {}},
            {{"--load="}, false, {}},
            {{"--seed", "1", "--load", "w.kanimo"}, false, {}},
        };
        for (const Case& c : cases) {
            const ParsedCommandLine p = parseCommandLine(c.args);
            QCOMPARE(p.error.empty(), c.good);
            QVERIFY(p.error.find('\n') == std::string::npos);
            if (c.good) QCOMPARE(p.commandLine.seed, c.seed);
        }
        // Help and version end the parsing: what follows them is not looked at.
        QVERIFY(parseCommandLine({"--help", "--bogus"}).commandLine.help);
        QVERIFY(parseCommandLine({"--seed", "3", "--version", "x"}).commandLine.version);
        QVERIFY(!parseCommandLine({"--bogus", "--help"}).error.empty());
    }

    void aBadCommandLineEndsWithStatus2BeforeAnyWindow() {
        char name[] = "kanimo";
        char extra[] = "--bogus";
        char* argv[] = {name, extra, nullptr};
        QCOMPARE(runProgram(2, argv), 2);
    }

    // Which of the two ways the toolkit fails to start is told from what it said.
    void aFailedStartSaysWhatFailed() {
        const std::string fatal = "This application failed to start because no Qt platform "
                                  "plugin could be initialized.\n\nAvailable platform plugins "
                                  "are: minimal, offscreen, xcb.\n";
        const std::string noDisplay = failedStartMessage(
            env(nullptr, ":77", nullptr),
            {{"qt.qpa.xcb", "could not connect to display :77"},
             {"qt.qpa.plugin",
              "Could not load the Qt platform plugin \"xcb\" in \"\" even though it was found."},
             {"default", fatal}});
        QCOMPARE(noDisplay, unreachableDisplayMessage(env(nullptr, ":77", nullptr)));
        const std::string noPlugin = failedStartMessage(
            env("bogus", ":77", nullptr),
            {{"qt.qpa.plugin", "Could not find the Qt platform plugin \"bogus\" in \"\""},
             {"default", fatal}});
        QCOMPARE(noPlugin, std::string("kanimo: cannot load the window system's platform plugin "
                                       "\"bogus\" (available: minimal, offscreen, xcb)"));
    }
};

} // namespace kanimo

QTEST_MAIN(kanimo::ToolkitTest)
#include "toolkit_test.moc"
