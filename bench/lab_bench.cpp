// What the Lab costs beside the world's own steps, on a --scale 32 world (56,320 creatures
// seeded, side 19,200) seen through a 1200 by 800 view.
//
// BM_LabScene: the copy of what the view shows, taken by the world's thread between steps.
// BM_LabDraw: drawing that copy into the view's picture and handing it to the toolkit's
// image (the window's thread). BM_LabPick: a click, from the point to the inspector's
// card (BM_LabClickWhileRunning: the same while the world runs). Zooms: 0 is "fit" (one dot a
// creature), then 0.2, 1 (the frame's own pixels) and 8.
//
// BM_LabStepping runs the world as fast as it goes for a number of steps: alone, as
// kanimo-sim does (0), or in the Lab's stepper while a second thread draws every published
// scene at 60 frames a second at "fit" (1) or at 100% (2). `steps_per_s` is wall-clock;
// `steps_per_cpu_s` counts the processor time of the stepping alone (the process's less the
// drawing thread's), which other work on a shared machine sways less.
//
//   kanimo_lab_bench --benchmark_filter='Lab'

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

#include "base/cpu_time.h"
#include "base/random.h"
#include "creature/creature.h"
#include "lab/branches.h"
#include "lab/creature_card.h"
#include "lab/lab_world.h"
#include "lab/scene.h"
#include "lab/stepper.h"
#include "render/picture.h"
#include "world/population.h"
#include "world/step.h"
#include "world/world.h"

namespace kanimo {
namespace {

double processCpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

constexpr int viewWidth = 1200;
constexpr int viewHeight = 800;

// One scale-32 world a few dozen steps on, made once for the drawing benchmarks.
World& bigWorld() {
    static World* world = [] {
        auto* w = new World(scaledSettings(32));
        w->rng.srand(1);
        seedWorld(*w);
        for (int i = 0; i < 40; ++i) worldStep(*w);
        return w;
    }();
    return *world;
}

// The view at a zoom, centred on the world; zoom 0 is "fit".
ViewMapping viewAt(const World& world, double zoom) {
    const double frame = world.settings.worldSize + 1;
    if (zoom == 0) zoom = std::min(viewWidth / frame, viewHeight / frame);
    ViewMapping m;
    m.zoom = zoom;
    m.offsetX = static_cast<int>(std::floor(frame * zoom / 2 - viewWidth / 2.0));
    m.offsetY = static_cast<int>(std::floor(frame * zoom / 2 - viewHeight / 2.0));
    return m;
}

SceneRequest requestFor(const ViewMapping& m) {
    const Vec2 a = m.toWorld(Vec2(0, 0));
    const Vec2 b = m.toWorld(Vec2(viewWidth, viewHeight));
    return SceneRequest{a.x, a.y, b.x, b.y, m.zoom < 0.2};
}

double zoomOf(const benchmark::State& state) {
    return static_cast<double>(state.range(0)) / 10.0;
}

void BM_LabScene(benchmark::State& state) {
    World& world = bigWorld();
    const ViewMapping m = viewAt(world, zoomOf(state));
    Scene scene;
    for (auto _ : state) {
        buildScene(world, requestFor(m), scene);
        benchmark::DoNotOptimize(scene.creatures.data());
    }
    state.counters["creatures"] = static_cast<double>(scene.creatures.size());
    state.counters["shapes"] = static_cast<double>(scene.shapes.size());
}

// The picture's pixels into an image of the toolkit's format, as the view does.
void handOver(const Picture& picture, std::vector<std::uint32_t>& image) {
    const Colour* from = picture.pixels();
    const std::size_t n = static_cast<std::size_t>(picture.width()) * picture.height();
    for (std::size_t i = 0; i < n; ++i) image[i] = from[i] | 0xFF000000u;
}

void BM_LabDraw(benchmark::State& state) {
    World& world = bigWorld();
    const ViewMapping m = viewAt(world, zoomOf(state));
    Scene scene;
    buildScene(world, requestFor(m), scene);
    Picture picture;
    picture.setSize(viewWidth, viewHeight);
    std::vector<std::uint32_t> image(static_cast<std::size_t>(viewWidth) * viewHeight);
    for (auto _ : state) {
        drawView(picture, scene, false, m, 0x00282422);
        handOver(picture, image);
        benchmark::DoNotOptimize(image.data());
    }
}

void BM_LabPick(benchmark::State& state) {
    World& world = bigWorld();
    const ViewMapping m = viewAt(world, zoomOf(state));
    Scene scene;
    buildScene(world, requestFor(m), scene);
    std::vector<const Creature*> byIndex;
    Random pick;
    pick.srand(3);
    int found = 0;
    for (auto _ : state) {
        const Vec2 at =
            m.toWorld(Vec2(pick.rand() % viewWidth + 0.5, pick.rand() % viewHeight + 0.5));
        if (auto i = pickCreature(scene, at, 4.0 / m.zoom)) {
            // The inspector's card, read from the world by id as the stepper does.
            const std::uint64_t id = scene.creatures[*i].id;
            for (const Creature* c : world.creatures) {
                if (c->lineage.id == id) {
                    benchmark::DoNotOptimize(readCard(*c, world));
                    break;
                }
            }
            ++found;
        }
    }
    state.counters["found"] = found;
}

void BM_LabStepping(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    const int steps = static_cast<int>(state.range(1));
    double seconds = 0;
    double cpuSeconds = 0;
    double frames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto lab = std::make_unique<LabWorld>(scaledSettings(32));
        lab->seed(1);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = processCpuSeconds();
        double drawingCpu = 0;
        if (mode == 0) {
            World& w = lab->world();
            for (int i = 0; i < steps; ++i) worldStep(w);
        } else {
            const ViewMapping m = viewAt(lab->world(), mode == 1 ? 0.0 : 1.0);
            Stepper stepper(std::move(lab));
            stepper.setView(requestFor(m));
            stepper.setSpeed(0);
            std::atomic<bool> done{false};
            std::thread view([&] {
                Picture picture;
                picture.setSize(viewWidth, viewHeight);
                std::vector<std::uint32_t> image(static_cast<std::size_t>(viewWidth) * viewHeight);
                auto next = std::chrono::steady_clock::now();
                while (!done) {
                    const auto p = stepper.latest();
                    drawView(picture, p->scene, false, m, 0x00282422);
                    handOver(picture, image);
                    ++frames;
                    next += std::chrono::microseconds(16667);
                    std::this_thread::sleep_until(next);
                }
                drawingCpu = threadCpuSeconds();
            });
            stepper.setRunning(true);
            stepper.waitForStep(steps);
            stepper.setRunning(false);
            done = true;
            view.join();
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpuSeconds += processCpuSeconds() - cpuStart - drawingCpu;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["steps_per_s"] = runs * steps / seconds;
    state.counters["steps_per_cpu_s"] = runs * steps / cpuSeconds;
    state.counters["frames_per_s"] = frames / seconds;
}

// A click while a scale-32 world runs as fast as it goes, drawn at 100%: the wall time from
// the click (the button released, the selection handed to the world's thread) to the
// inspector's card. The thread reads a card as soon as the step under way ends, so the wait
// is the rest of that step (or of a snapshot under way); `step_ms` is a step's mean wall
// time beside it. The argument is how long the button was held: the creature pressed on is
// read ahead, and a card already published when the button is released is shown at once
// (a wait of 0). Clicks come at random moments, on creatures of the latest copy.
void BM_LabClickWhileRunning(benchmark::State& state) {
    const auto held = std::chrono::milliseconds(state.range(0));
    auto lab = std::make_unique<LabWorld>(scaledSettings(32));
    lab->seed(1);
    const ViewMapping m = viewAt(lab->world(), 1.0);
    Stepper stepper(std::move(lab));
    stepper.setView(requestFor(m));
    stepper.setSpeed(0);
    stepper.setRunning(true);
    stepper.waitForStep(5);
    Random pick;
    pick.srand(11);
    std::vector<double> waits;
    const long long firstStep = stepper.latest()->step;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::microseconds(pick.rand31() % 20000));
        const auto shown = stepper.latest();
        if (shown->scene.creatures.empty()) continue;
        const std::uint64_t id =
            shown->scene.creatures[pick.rand31() % shown->scene.creatures.size()].id;
        if (held.count() > 0) {
            stepper.expect(id);
            std::this_thread::sleep_for(held);
        }
        const auto clicked = std::chrono::steady_clock::now();
        const bool readAhead = stepper.latest()->expected.id == id;
        stepper.select(id);
        while (!readAhead) {
            const auto p = stepper.latest();
            if (p->selection.id == id && !p->selection.pending) break;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        waits.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - clicked).count());
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long long steps = stepper.latest()->step - firstStep;
    stepper.setRunning(false);
    std::sort(waits.begin(), waits.end());
    if (!waits.empty()) {
        state.counters["median_ms"] = waits[waits.size() / 2] * 1e3;
        state.counters["p90_ms"] = waits[waits.size() * 9 / 10] * 1e3;
        state.counters["worst_ms"] = waits.back() * 1e3;
    }
    if (steps > 0) state.counters["step_ms"] = seconds / static_cast<double>(steps) * 1e3;
}

// The timeline: a run with snapshots (`snapshot_cost` is the time taking them adds, over
// the time of the steps), then jumps to steps spread over the run, each
// answered by restoring the nearest snapshot and stepping on (`worst_jump_s`), beside the
// time to step to the last of them from the start (`from_start_s`). Processor time of this
// thread; arguments: scale, steps.
void BM_LabTimeline(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    const long long steps = state.range(1);
    for (auto _ : state) {
        LabWorld plain(scaledSettings(k));
        plain.seed(1);
        double start = threadCpuSeconds();
        while (plain.stepNumber() < steps) plain.step();
        const double plainSeconds = threadCpuSeconds() - start;

        LabWorld lab(scaledSettings(k));
        lab.seed(1);
        Branches branches;
        branches.begin(lab);
        const Timeline& timeline = branches.at(0).timeline;
        // Taken in the same run, step by step, so that the machine's drift between two
        // runs does not count.
        double stepping = 0;
        double snapshotting = 0;
        while (lab.stepNumber() < steps) {
            const double a = threadCpuSeconds();
            lab.step();
            const double b = threadCpuSeconds();
            const long long taken = timeline.takenCount();
            branches.afterStep(lab);
            stepping += b - a;
            if (timeline.takenCount() != taken) snapshotting += threadCpuSeconds() - b;
        }

        double worst = 0;
        Random pick;
        pick.srand(7);
        for (int jump = 0; jump < 20; ++jump) {
            const long long target = pick.rand31() % (steps + 1);
            start = threadCpuSeconds();
            branches.show(lab, target, [](long long) { return true; });
            worst = std::max(worst, threadCpuSeconds() - start);
        }
        state.counters["snapshot_cost"] = snapshotting / stepping;
        state.counters["worst_jump_s"] = worst;
        state.counters["from_start_s"] = plainSeconds;
        state.counters["snapshots"] = static_cast<double>(timeline.count());
        state.counters["interval"] = static_cast<double>(timeline.interval());
        state.counters["MB"] = static_cast<double>(timeline.bytes()) / (1 << 20);
    }
}

BENCHMARK(BM_LabTimeline)
    ->Args({1, 100000})
    ->Args({4, 20000})
    ->Args({8, 2000})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

BENCHMARK(BM_LabScene)->Arg(0)->Arg(2)->Arg(10)->Arg(80)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LabDraw)->Arg(0)->Arg(2)->Arg(10)->Arg(80)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LabPick)->Arg(0)->Arg(10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LabClickWhileRunning)
    ->Arg(0)
    ->Arg(80)
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_LabStepping)
    ->Args({0, 150})
    ->Args({1, 150})
    ->Args({2, 150})
    ->Iterations(2)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace
} // namespace kanimo
