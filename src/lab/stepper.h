#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "lab/branches.h"
#include "lab/creature_card.h"
#include "lab/lab_world.h"
#include "lab/scene.h"
#include "report/plot_series.h"

namespace kanimo {

// A relative of the selected creature, as the record knows it.
struct Kin {
    std::uint64_t id = 0;
    bool inWorld = false; // still in the list, alive or shrinking away
    std::int64_t birthStep = -1;
    std::int64_t deathStep = -1;
    std::int64_t removedStep = -1;
    DeathCause cause = DeathCause::none;
    bool known = false; // false for lives before a loaded world's start
};

// What the inspector shows: the selected creature's card as of its last step in the world.
struct Selection {
    std::uint64_t id = 0; // 0: nothing selected
    bool pending = false; // chosen in the window, not yet read from the world
    bool inWorld = false;
    std::int64_t removedStep = -1;
    CreatureCard card;
    std::int64_t recordedDeath = -1; // as the record knows it, later than the step shown too
    std::optional<Kin> parent;
    std::vector<Kin> children;
};

// A branch of the run, as the window lists it.
struct BranchInfo {
    int parent = -1; // -1: the run itself
    long long forkStep = 0;
    long long newestStep = 0;
    std::string change;
};

// Everything the window shows of the world, copied between two steps.
struct Published {
    std::uint64_t serial = 0;      // grows with every publication
    std::uint64_t worldSerial = 0; // grows with every new or loaded world
    long long step = 0;
    std::optional<std::uint32_t> seed;
    int length = 0;
    int living = 0;
    bool running = false;
    double stepsPerSecond = 0.0;
    bool drawn = false; // the scene was asked for and taken
    Scene scene;
    std::vector<PlotSeries::Window> windows;
    long long windowSteps = 1;
    Selection selection;
    // The creature the mouse was pressed on, when another than the selected one: read ahead
    // of the click, so that the inspector is filled as soon as the button is released.
    Selection expected;
    // The run's span on the timeline, and the step a jump is on its way to (-1: none).
    long long firstStep = 0;
    long long newestStep = 0;
    long long jumpTarget = -1;
    // The run and its branches, and the one shown.
    std::vector<BranchInfo> branches;
    int branch = 0;
};

// Runs one LabWorld on a thread of its own. Nothing else touches the world: the window's
// commands are queued and carried out between steps, and after steps the thread publishes a
// copy of what the window shows, at most `publishRate` times a second while it runs. The
// window reads the latest copy whenever it draws.
class Stepper {
  public:
    static constexpr double publishRate = 60.0;

    explicit Stepper(std::unique_ptr<LabWorld> world);
    ~Stepper();
    Stepper(const Stepper&) = delete;
    Stepper& operator=(const Stepper&) = delete;

    void setRunning(bool running);
    void stepOnce();
    // Steps a second while running; 0 for as fast as it goes.
    void setSpeed(double stepsPerSecond);
    // What the view shows; nothing for "don't draw".
    void setView(std::optional<SceneRequest> request);
    void select(std::uint64_t id);
    // A creature about to be selected (the mouse is pressed on it; 0 for none): its card
    // comes with the next publication, as the selection's does.
    void expect(std::uint64_t id);
    // Shows another step of the run (the run pauses). A newer jump replaces one on its way.
    void jumpTo(long long step);
    // Shows another branch at `step`, or at the step it was left at for -1 (the run pauses).
    void chooseBranch(int index, long long step = -1);
    // Changes the world at the step shown, which starts a branch there. One line on failure.
    std::string deleteCreature(std::uint64_t id);
    std::string changeSettings(const WorldSettings& settings);
    // The bytes of a save file of the world shown, between two steps.
    struct SavedWorld {
        std::string bytes;
        long long step = 0;
        int branch = 0;
    };
    SavedWorld saveWorld();
    // Replaces the world, keeping the thread (the run pauses).
    void replaceWorld(std::unique_ptr<LabWorld> world);

    // Runs `work` on the thread between two steps and waits for its result.
    template <typename Work> auto call(Work work) -> decltype(work(std::declval<LabWorld&>())) {
        using Result = decltype(work(std::declval<LabWorld&>()));
        auto task = std::make_shared<std::packaged_task<Result(LabWorld&)>>(std::move(work));
        std::future<Result> result = task->get_future();
        post([task](LabWorld& w) { (*task)(w); });
        return result.get();
    }

    std::shared_ptr<const Published> latest() const;

    // Waits until the world has taken `step` steps and published them; for tests.
    void waitForStep(long long step);

  private:
    void post(std::function<void(LabWorld&)> command);
    void run();
    void publish(bool drawn);
    void jump(long long target, int branch);
    // `deleted`: the creature the change deletes, 0 for none.
    std::string change(const std::string& what, std::function<std::string(LabWorld&)> apply,
                       std::uint64_t deleted);
    // A creature the window shows in the inspector, and where it is in the list while it
    // is there: creatures stay where they are until they are removed, and the record says
    // when that happens.
    struct Watched {
        Selection last;
        const Creature* creature = nullptr;
        void forget() { *this = Watched{}; }
    };
    Selection readSelection(std::uint64_t id, Watched& watched);

    std::unique_ptr<LabWorld> world_; // the thread's alone once it started

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable published_;
    std::deque<std::function<void(LabWorld&)>> commands_;
    bool stop_ = false;
    bool running_ = false;
    int pendingSteps_ = 0;
    double speed_ = 0.0;
    std::optional<SceneRequest> view_;
    std::uint64_t selected_ = 0;
    std::uint64_t expected_ = 0;
    long long jumpTarget_ = -1; // the newest jump asked for
    int jumpBranch_ = -1;       // and its branch; -1: the one shown
    std::shared_ptr<const Published> latest_;
    std::vector<std::shared_ptr<Published>> spares_; // the thread's: publications to reuse

    // The thread's own.
    std::uint64_t serial_ = 0;
    std::uint64_t worldSerial_ = 1;
    Watched selection_;
    Watched expectation_;
    std::uint64_t countedSteps_ = 0;
    std::chrono::steady_clock::time_point countFrom_;
    double stepsPerSecond_ = 0.0;
    Branches branches_;
    long long jumping_ = -1; // the target of the jump under way

    std::thread thread_;
};

} // namespace kanimo
