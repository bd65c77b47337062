#include "lab/stepper.h"

#include <algorithm>

#include "cli/number_text.h"
#include "lab/world_walk.h"
#include "world/settings_limits.h"

namespace kanimo {

using Clock = std::chrono::steady_clock;

Stepper::Stepper(std::unique_ptr<LabWorld> world) : world_(std::move(world)) {
    branches_.begin(*world_);
    publish(false);
    thread_ = std::thread([this] { run(); });
}

Stepper::~Stepper() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void Stepper::post(std::function<void(LabWorld&)> command) {
    {
        std::lock_guard lock(mutex_);
        commands_.push_back(std::move(command));
    }
    wake_.notify_all();
}

void Stepper::setRunning(bool running) {
    {
        std::lock_guard lock(mutex_);
        running_ = running;
    }
    post([](LabWorld&) {}); // publishes the new state
}

void Stepper::stepOnce() {
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        ++pendingSteps_;
    }
    wake_.notify_all();
}

void Stepper::setSpeed(double stepsPerSecond) {
    {
        std::lock_guard lock(mutex_);
        speed_ = std::max(0.0, stepsPerSecond);
    }
    wake_.notify_all();
}

void Stepper::setView(std::optional<SceneRequest> request) {
    {
        std::lock_guard lock(mutex_);
        view_ = request;
    }
    post([](LabWorld&) {});
}

void Stepper::select(std::uint64_t id) {
    {
        std::lock_guard lock(mutex_);
        selected_ = id;
        if (expected_ == id) expected_ = 0;
    }
    // Between steps the selection is read and published at once; a step under way answers
    // it as soon as it ends.
    post([](LabWorld&) {});
}

void Stepper::expect(std::uint64_t id) {
    {
        std::lock_guard lock(mutex_);
        expected_ = id;
    }
    post([](LabWorld&) {});
}

void Stepper::replaceWorld(std::unique_ptr<LabWorld> world) {
    auto held = std::make_shared<std::unique_ptr<LabWorld>>(std::move(world));
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        pendingSteps_ = 0;
        selected_ = 0;
        expected_ = 0;
        jumpTarget_ = -1;
        jumpBranch_ = -1;
    }
    post([this, held](LabWorld&) {
        world_ = std::move(*held);
        branches_.begin(*world_);
        ++worldSerial_;
        selection_.forget();
        expectation_.forget();
        countedSteps_ = 0;
        stepsPerSecond_ = 0.0;
    });
}

void Stepper::jumpTo(long long step) {
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        pendingSteps_ = 0;
        jumpTarget_ = step;
    }
    wake_.notify_all();
}

void Stepper::chooseBranch(int index, long long step) {
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        pendingSteps_ = 0;
        jumpBranch_ = index;
        jumpTarget_ = step;
    }
    wake_.notify_all();
}

std::string Stepper::change(const std::string& what, std::function<std::string(LabWorld&)> apply,
                            std::uint64_t deleted) {
    return call([this, what, apply, deleted](LabWorld& w) {
        const Selection last = selection_.last;
        std::string problem = branches_.branch(w, what, apply);
        if (!problem.empty()) return problem;
        // The world was changed or made anew: the selected creature is looked for again, but
        // one deleted keeps its last card, which says when it went.
        selection_.forget();
        if (last.id == deleted && last.inWorld) selection_.last = last;
        expectation_.forget();
        return problem;
    });
}

std::string Stepper::deleteCreature(std::uint64_t id) {
    return change(
        "deleted #" + std::to_string(id), [id](LabWorld& w) { return w.deleteCreature(id); }, id);
}

std::string Stepper::changeSettings(const WorldSettings& settings) {
    const WorldSettings before = call([](LabWorld& w) { return w.world().settings; });
    std::string what;
    for (const SettingField& f : settingFields()) {
        const double was = f.valueIn(before);
        const double now = f.valueIn(settings);
        if (was == now) continue;
        if (!what.empty()) what += ", ";
        what += std::string(f.name) + " " + plainNumber(was) + " to " + plainNumber(now);
    }
    if (what.empty()) return "no setting was changed";
    return change(
        what, [settings](LabWorld& w) { return w.changeSettings(settings); }, 0);
}

Stepper::SavedWorld Stepper::saveWorld() {
    return call([this](LabWorld& w) {
        return SavedWorld{w.saveBytes(), w.stepNumber(), branches_.shown()};
    });
}

void Stepper::jump(long long target, int branch) {
    const int index = branch >= 0 && branch < branches_.count() ? branch : branches_.shown();
    if (target < 0)
        target = index == branches_.shown() ? world_->stepNumber() : branches_.at(index).shownStep;
    target = std::clamp(target, branches_.firstStep(), branches_.at(index).timeline.newestStep());
    jumping_ = target;
    // What the inspector holds was read from the world that is replaced.
    selection_.forget();
    expectation_.forget();
    Clock::time_point lastPublish = Clock::now();
    const std::string problem = branches_.choose(*world_, index, target, [&](long long) {
        {
            std::lock_guard lock(mutex_);
            // A newer jump, or the end.
            if (jumpTarget_ >= 0 || jumpBranch_ >= 0 || stop_) return false;
        }
        if (Clock::now() - lastPublish >= std::chrono::duration<double>(1.0 / publishRate)) {
            publish(true);
            lastPublish = Clock::now();
        }
        return true;
    });
    (void)problem; // a snapshot of this run always restores
    jumping_ = -1;
    publish(true);
}

std::shared_ptr<const Published> Stepper::latest() const {
    std::lock_guard lock(mutex_);
    return latest_;
}

void Stepper::waitForStep(long long step) {
    std::unique_lock lock(mutex_);
    published_.wait(lock, [&] { return latest_->step >= step; });
}

void Stepper::run() {
    Clock::time_point lastPublish = Clock::now();
    Clock::time_point nextStep = Clock::now();
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (!commands_.empty()) {
            auto command = std::move(commands_.front());
            commands_.pop_front();
            lock.unlock();
            command(*world_);
            const bool more = [&] {
                std::lock_guard relock(mutex_);
                return !commands_.empty();
            }();
            if (!more) {
                publish(true);
                lastPublish = Clock::now();
            }
            lock.lock();
            continue;
        }
        if (jumpTarget_ >= 0 || jumpBranch_ >= 0) {
            const long long target = jumpTarget_;
            const int branch = jumpBranch_;
            jumpTarget_ = -1;
            jumpBranch_ = -1;
            lock.unlock();
            jump(target, branch);
            lock.lock();
            continue;
        }
        const bool single = pendingSteps_ > 0;
        if (!single && !running_) {
            wake_.wait(lock);
            nextStep = Clock::now();
            continue;
        }
        if (!single && speed_ > 0.0) {
            const Clock::time_point now = Clock::now();
            if (now < nextStep) {
                wake_.wait_until(lock, nextStep);
                continue;
            }
            const auto interval = std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(1.0 / speed_));
            // After a stall, go on from now rather than catch up in a burst.
            nextStep = std::max(nextStep + interval, now - interval);
        }
        if (single) --pendingSteps_;
        lock.unlock();
        const bool stepped = branches_.takeNextStep(*world_);
        const Clock::time_point now = Clock::now();
        ++countedSteps_;
        // A selection made during the step (or a creature pressed on) is answered now,
        // before a snapshot that may take as long as many steps of a big world.
        const bool selectionAsked = [&] {
            std::lock_guard relock(mutex_);
            return selected_ != selection_.last.id ||
                   (expected_ != 0 && expected_ != expectation_.last.id);
        }();
        if (now - lastPublish >= std::chrono::duration<double>(1.0 / publishRate) || single ||
            selectionAsked) {
            publish(true);
            lastPublish = now;
        }
        if (stepped) branches_.afterStep(*world_);
        lock.lock();
    }
}

Selection Stepper::readSelection(std::uint64_t id, Watched& watched) {
    if (id == 0) return watched.last = Selection{};
    Selection s;
    World& world = world_->world();
    const LifeRecord& lives = world_->lives();
    if (watched.last.id == id) {
        s = watched.last;
    } else {
        watched.creature = nullptr;
        forEachCreature(world, [&](const Creature& c) {
            if (c.lineage.id == id) watched.creature = &c;
        });
    }
    s.id = id;
    const LifeRecord::Life* life = lives.find(id);
    if (watched.creature != nullptr && life != nullptr && life->removedStep >= 0 &&
        life->removedStep <= world_->stepNumber()) {
        watched.creature = nullptr; // removed since: keep the last card
    }
    s.inWorld = watched.creature != nullptr;
    if (s.inWorld) {
        s.card = readCard(*watched.creature, world);
    } else if (life != nullptr && life->removedStep >= 0 &&
               life->removedStep <= world_->stepNumber()) {
        s.removedStep = life->removedStep;
        s.card.deathStep = life->deathStep;
        s.card.cause = life->cause;
    }
    // The record may know the run beyond the step shown, after a jump back: what comes
    // later has not happened yet.
    const long long now = world_->stepNumber();
    auto kin = [&](std::uint64_t kinId) {
        Kin k;
        k.id = kinId;
        if (const LifeRecord::Life* life = lives.find(kinId)) {
            k.known = true;
            k.birthStep = life->birthStep;
            if (life->deathStep <= now) {
                k.deathStep = life->deathStep;
                k.cause = life->cause;
            }
            if (life->removedStep <= now) k.removedStep = life->removedStep;
            k.inWorld = k.removedStep < 0;
        }
        return k;
    };
    s.recordedDeath = life != nullptr ? life->deathStep : -1;
    s.parent.reset();
    if (s.card.parentId != 0) s.parent = kin(s.card.parentId);
    s.children.clear();
    if (s.card.id != 0) {
        for (std::uint64_t child : lives.childrenOf(id)) {
            const LifeRecord::Life* life = lives.find(child);
            if (life != nullptr && life->birthStep <= now) s.children.push_back(kin(child));
        }
    }
    return watched.last = s;
}

void Stepper::publish(bool fromThread) {
    // A publication no one holds any more is filled anew: a big world's scene is megabytes,
    // and memory taken afresh for every one costs the stepping time.
    std::shared_ptr<Published> p;
    for (std::shared_ptr<Published>& spare : spares_) {
        if (spare.use_count() == 1) {
            p = spare;
            break;
        }
    }
    if (!p) {
        p = std::make_shared<Published>();
        if (spares_.size() < 3) spares_.push_back(p);
    }
    std::optional<SceneRequest> view;
    bool running = false;
    std::uint64_t selected = 0;
    std::uint64_t expected = 0;
    {
        std::lock_guard lock(mutex_);
        view = view_;
        running = running_;
        selected = selected_;
        expected = expected_ == selected_ ? 0 : expected_;
    }
    LabWorld& w = *world_;
    p->serial = ++serial_;
    p->worldSerial = worldSerial_;
    p->step = w.stepNumber();
    p->seed = w.seedNumber();
    p->length = w.census().length;
    p->living = w.census().living;
    p->running = running;
    // Steps a second over the last half second or more; none when it stands still.
    const Clock::time_point now = Clock::now();
    const double counted = std::chrono::duration<double>(now - countFrom_).count();
    if (counted >= 0.5) {
        stepsPerSecond_ = countedSteps_ / counted;
        countedSteps_ = 0;
        countFrom_ = now;
    }
    p->stepsPerSecond = running ? stepsPerSecond_ : 0.0;
    p->drawn = false;
    if (view && fromThread) {
        buildScene(w.world(), *view, p->scene);
        p->drawn = true;
    }
    p->scene.worldSize = w.world().settings.worldSize;
    p->windows = w.plot().windows();
    p->windowSteps = w.plot().windowSteps();
    // A click on the creature pressed on finds it read already.
    if (selected != 0 && selected != selection_.last.id && selected == expectation_.last.id) {
        selection_ = expectation_;
    }
    p->selection = fromThread ? readSelection(selected, selection_) : Selection{};
    p->expected = fromThread ? readSelection(expected, expectation_) : Selection{};
    p->firstStep = branches_.firstStep();
    p->newestStep = branches_.newestStep();
    p->branches.resize(static_cast<std::size_t>(branches_.count()));
    for (int i = 0; i < branches_.count(); ++i) {
        const Branches::Branch& b = branches_.at(i);
        BranchInfo& info = p->branches[static_cast<std::size_t>(i)];
        info.parent = b.parent;
        info.forkStep = b.forkStep;
        info.newestStep = b.timeline.newestStep();
        info.change = b.change;
    }
    p->branch = branches_.shown();
    p->jumpTarget = jumping_;
    {
        std::lock_guard lock(mutex_);
        latest_ = p;
    }
    published_.notify_all();
}

} // namespace kanimo
