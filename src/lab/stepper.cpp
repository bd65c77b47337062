#include "lab/stepper.h"

#include <algorithm>

#include "lab/world_walk.h"

namespace kanimo {

using Clock = std::chrono::steady_clock;

Stepper::Stepper(std::unique_ptr<LabWorld> world) : world_(std::move(world)) {
    timeline_.begin(*world_);
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
    post([this, id](LabWorld&) {
        std::lock_guard lock(mutex_);
        selected_ = id;
    });
}

void Stepper::replaceWorld(std::unique_ptr<LabWorld> world) {
    auto held = std::make_shared<std::unique_ptr<LabWorld>>(std::move(world));
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        pendingSteps_ = 0;
        selected_ = 0;
    }
    post([this, held](LabWorld&) {
        world_ = std::move(*held);
        timeline_.begin(*world_);
        ++worldSerial_;
        lastSelection_ = Selection{};
        selectedCreature_ = nullptr;
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

void Stepper::jump(long long target) {
    jumping_ = target;
    // What the inspector holds was read from the world that is replaced.
    lastSelection_ = Selection{};
    selectedCreature_ = nullptr;
    Clock::time_point lastPublish = Clock::now();
    const std::string problem = showStep(*world_, timeline_, target, [&](long long) {
        {
            std::lock_guard lock(mutex_);
            if (jumpTarget_ >= 0 || stop_) return false; // a newer jump, or the end
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
        if (jumpTarget_ >= 0) {
            const long long target =
                std::clamp(jumpTarget_, timeline_.firstStep(), timeline_.newestStep());
            jumpTarget_ = -1;
            lock.unlock();
            jump(target);
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
        world_->step();
        timeline_.afterStep(*world_);
        const Clock::time_point now = Clock::now();
        ++countedSteps_;
        if (now - lastPublish >= std::chrono::duration<double>(1.0 / publishRate) || single) {
            publish(true);
            lastPublish = now;
        }
        lock.lock();
    }
}

Selection Stepper::readSelection() {
    std::uint64_t id = 0;
    {
        std::lock_guard lock(mutex_);
        id = selected_;
    }
    if (id == 0) return lastSelection_ = Selection{};
    Selection s;
    World& world = world_->world();
    const LifeRecord& lives = world_->lives();
    if (lastSelection_.id == id) {
        s = lastSelection_;
    } else {
        selectedCreature_ = nullptr;
        forEachCreature(world, [&](const Creature& c) {
            if (c.lineage.id == id) selectedCreature_ = &c;
        });
    }
    s.id = id;
    const LifeRecord::Life* life = lives.find(id);
    if (selectedCreature_ != nullptr && life != nullptr && life->removedStep >= 0 &&
        life->removedStep <= world_->stepNumber()) {
        selectedCreature_ = nullptr; // removed since: keep the last card
    }
    s.inWorld = selectedCreature_ != nullptr;
    if (s.inWorld) {
        s.card = readCard(*selectedCreature_, world);
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
    return lastSelection_ = s;
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
    {
        std::lock_guard lock(mutex_);
        view = view_;
        running = running_;
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
    p->selection = fromThread ? readSelection() : Selection{};
    p->firstStep = timeline_.firstStep();
    p->newestStep = timeline_.newestStep();
    p->jumpTarget = jumping_;
    {
        std::lock_guard lock(mutex_);
        latest_ = p;
    }
    published_.notify_all();
}

} // namespace kanimo
