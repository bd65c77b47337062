// kanimo-sim: runs the world without a window, for testing, comparing and measuring.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string_view>
#include <vector>

#include "options/options.h"
#include "options/output_paths.h"
#include "outputs/stop_signal.h"
#include "runs/batch.h"
#include "runs/single_run.h"

namespace {

// A standard stream the caller closed would otherwise be the number the next file gets,
// and the run's output would land in it. Read-only /dev/null takes the place: writes to
// it still fail, and the failure is reported.
void holdClosedStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            const int held = open("/dev/null", O_RDONLY);
            if (held >= 0 && held != fd) close(held);
        }
    }
}

int printText(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        kanimo::reportFailure(stderr, std::string("cannot write standard output: ") +
                                          std::strerror(errno != 0 ? errno : EIO));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    using namespace kanimo;
    holdClosedStandardStreams();
    catchStopSignals();
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedOptions parsed = parseOptions(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "kanimo-sim: %s\n", parsed.error.c_str());
        return 2;
    }
    const SimOptions& options = parsed.options;
    if (options.help || options.version) {
        const int status = printText(options.help ? helpText() : versionText());
        endByStopSignal();
        return status;
    }
    if (const std::string clash = sharedOutputPath(options); !clash.empty()) {
        std::fprintf(stderr, "kanimo-sim: %s\n", clash.c_str());
        return 2;
    }

    // Traces of big worlds are long; a large buffer keeps the writes few.
    static char outputBuffer[1 << 20];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

    int status = 1;
    try {
        status = options.seedsGiven ? runSeedBatch(options, stdout, stderr)
                                    : runSingleWorld(options, stdout, stderr);
    } catch (const std::bad_alloc&) {
        reportFailure(stderr, "out of memory");
    } catch (const std::exception& e) {
        // Running out of threads or another resource: not a fault of the command line.
        reportFailure(stderr, e.what());
    }
    // Files are complete or removed by now; a caught signal ends the program as it would have.
    endByStopSignal();
    return status;
}
