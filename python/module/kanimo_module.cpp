// The kanimo Python module: worlds run by the simulation's own libraries, shown to Python as
// NumPy arrays and pandas frames. Nothing of the simulation is done here.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <stdexcept>

#include "cli/world_options.h"
#include "record/run_record.h"
#include "record/sweep_record.h"
#include "render/frame.h"
#include "render/picture.h"
#include "render/png_writer.h"
#include "report/genome_text.h"
#include "report/stats_csv.h"
#include "script_world.h"
#include "sweep_job.h"
#include "world/settings_limits.h"

namespace py = pybind11;
using namespace pybind11::literals;

namespace kanimo {

namespace {

// How often a long step() takes the interpreter back to look for Ctrl-C.
constexpr std::chrono::milliseconds signalInterval{50};

// A world and the lock that keeps two threads from using it at once: step() lets go of the
// interpreter, so another thread may call in while it runs.
struct PyWorld {
    std::unique_ptr<ScriptWorld> world;
    std::mutex busy;

    std::unique_lock<std::mutex> hold() {
        std::unique_lock<std::mutex> lock(busy, std::try_to_lock);
        if (!lock) throw std::runtime_error("this world is stepping in another thread");
        return lock;
    }
};

// The values of a settings dict as the text --set takes: Python's str() of a number is the
// shortest text that reads back as the same number.
std::vector<std::pair<std::string, std::string>> settingValues(const py::object& settings) {
    std::vector<std::pair<std::string, std::string>> values;
    if (settings.is_none()) return values;
    for (const auto& [name, value] : py::cast<py::dict>(settings)) {
        if (py::isinstance<py::bool_>(value)) {
            throw py::value_error(py::str(name).cast<std::string>() + " needs a number");
        }
        values.emplace_back(py::str(name), py::str(value));
    }
    return values;
}

WorldSettings settingsOf(int scale, const py::object& settings) {
    WorldSettings s;
    if (std::string problem = scriptSettings(scale, settingValues(settings), s); !problem.empty()) {
        throw py::value_error(problem);
    }
    return s;
}

py::dict settingsDict(const WorldSettings& s) {
    py::dict d;
    for (const SettingField& f : settingFields()) {
        const py::str name(f.name.data(), f.name.size());
        if (f.whole != nullptr) {
            d[name] = s.*f.whole;
        } else {
            d[name] = s.*f.real;
        }
    }
    return d;
}

StepKind kindOf(bool fast) {
    return fast ? StepKind::fast : StepKind::world;
}

// A column of n values, filled by the caller.
template <class T> py::array_t<T> column(std::size_t n) {
    return py::array_t<T>(static_cast<py::ssize_t>(n));
}

py::dict creatureColumns(const World& world) {
    const std::size_t n = static_cast<std::size_t>(world.creatures.size());
    auto id = column<std::uint64_t>(n);
    auto parentId = column<std::uint64_t>(n);
    auto generation = column<std::int32_t>(n);
    auto mutated = column<bool>(n);
    auto birthStep = column<std::int64_t>(n);
    auto x = column<double>(n);
    auto y = column<double>(n);
    auto heading = column<double>(n);
    auto size = column<double>(n);
    auto energy = column<double>(n);
    auto maxEnergy = column<double>(n);
    auto alive = column<bool>(n);
    auto segments = column<std::int32_t>(n);
    py::array_t<std::int32_t> kinds[4] = {column<std::int32_t>(n), column<std::int32_t>(n),
                                          column<std::int32_t>(n), column<std::int32_t>(n)};
    auto idOut = id.mutable_unchecked<1>();
    auto parentOut = parentId.mutable_unchecked<1>();
    auto generationOut = generation.mutable_unchecked<1>();
    auto mutatedOut = mutated.mutable_unchecked<1>();
    auto birthOut = birthStep.mutable_unchecked<1>();
    auto xOut = x.mutable_unchecked<1>();
    auto yOut = y.mutable_unchecked<1>();
    auto headingOut = heading.mutable_unchecked<1>();
    auto sizeOut = size.mutable_unchecked<1>();
    auto energyOut = energy.mutable_unchecked<1>();
    auto maxEnergyOut = maxEnergy.mutable_unchecked<1>();
    auto aliveOut = alive.mutable_unchecked<1>();
    auto segmentsOut = segments.mutable_unchecked<1>();
    std::int32_t* kindOut[4];
    for (int k = 0; k < 4; ++k) kindOut[k] = kinds[k].mutable_data();
    py::ssize_t i = 0;
    forEachCreature(world, [&](const Creature& c) {
        const Lineage& l = c.lineage;
        idOut(i) = l.id;
        parentOut(i) = l.parentId;
        generationOut(i) = l.generation;
        mutatedOut(i) = l.mutated;
        birthOut(i) = l.birthStep;
        xOut(i) = c.pos.x;
        yOut(i) = c.pos.y;
        headingOut(i) = c.heading;
        sizeOut(i) = c.size;
        energyOut(i) = c.energy;
        maxEnergyOut(i) = c.maxEnergy;
        // Alive as --stats and the record count the living.
        aliveOut(i) = c.energy > 0;
        segmentsOut(i) = c.body.segmentCount();
        std::int32_t count[4] = {0, 0, 0, 0};
        for (const Segment& s : c.body.segments()) {
            const int kind = static_cast<int>(s.kind);
            if (kind >= 0 && kind < 4) ++count[kind];
        }
        for (int k = 0; k < 4; ++k) kindOut[k][i] = count[k];
        ++i;
    });
    py::dict d;
    d["id"] = id;
    d["parent_id"] = parentId;
    d["generation"] = generation;
    d["mutated"] = mutated;
    d["birth_step"] = birthStep;
    d["x"] = x;
    d["y"] = y;
    d["heading"] = heading;
    d["size"] = size;
    d["energy"] = energy;
    d["max_energy"] = maxEnergy;
    d["alive"] = alive;
    d["segments"] = segments;
    for (int k = 0; k < 4; ++k) d[segmentKindNames[k]] = kinds[k];
    return d;
}

Picture framePicture(const World& world, const std::string& background) {
    if (background != "gradient" && background != "plain") {
        throw py::value_error("background must be 'gradient' or 'plain', got '" + background + "'");
    }
    if (std::string problem = checkWorldSettings(world.settings, true); !problem.empty()) {
        throw py::value_error(problem);
    }
    Picture picture;
    const int side = world.settings.worldSize + 1;
    picture.setSize(side, side);
    composeFrame(picture, world, background == "plain");
    return picture;
}

py::array_t<std::uint8_t> pictureArray(const Picture& picture) {
    const py::ssize_t h = picture.height();
    const py::ssize_t w = picture.width();
    py::array_t<std::uint8_t> rgb({h, w, py::ssize_t{3}});
    std::uint8_t* out = rgb.mutable_data();
    const Colour* in = picture.pixels();
    for (py::ssize_t i = 0; i < h * w; ++i) {
        const Colour c = in[i]; // 0x00BBGGRR
        out[3 * i] = static_cast<std::uint8_t>(c);
        out[3 * i + 1] = static_cast<std::uint8_t>(c >> 8);
        out[3 * i + 2] = static_cast<std::uint8_t>(c >> 16);
    }
    return rgb;
}

py::bytes pngBytes(const Picture& picture) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* memory = open_memstream(&buffer, &size);
    if (memory == nullptr) throw std::bad_alloc();
    std::string reason;
    const bool written = writePng(picture, memory, reason);
    std::fclose(memory);
    std::unique_ptr<char, decltype(&std::free)> owned(buffer, &std::free);
    if (!written) throw std::runtime_error("cannot make the picture: " + reason);
    return py::bytes(buffer, size);
}

py::dict statsRow(const ScriptWorld& w) {
    const Census census = takeCensus(w.world());
    const StepReport& report = w.lastStep();
    const py::object none = py::none();
    py::dict row;
    row["step"] = w.world().stepCount;
    row["length"] = census.length;
    row["living"] = census.living;
    row["dead"] = census.length - census.living;
    row["births"] = report.births;
    row["deaths"] = report.deaths;
    // Empty cells of --stats: no means without the living, no shares without segments.
    row["mean_size"] = census.living > 0 ? py::object(py::float_(census.meanSize)) : none;
    row["mean_energy"] = census.living > 0 ? py::object(py::float_(census.meanEnergy)) : none;
    for (int k = 0; k < 4; ++k) {
        row[py::str("{}_share").format(segmentKindNames[k])] =
            census.livingSegments > 0 ? py::object(py::float_(census.kindShare[k])) : none;
    }
    return row;
}

const char* eventName(LifeEvent::Kind kind) {
    switch (kind) {
    case LifeEvent::Kind::birth:
        return "birth";
    case LifeEvent::Kind::death:
        return "death";
    case LifeEvent::Kind::removal:
        break;
    }
    return "removal";
}

py::object eventFrame(const std::vector<LifeEvent>& events) {
    const std::size_t n = events.size();
    auto step = column<std::int64_t>(n);
    auto id = column<std::uint64_t>(n);
    auto parentId = column<std::uint64_t>(n);
    py::list kind(n);
    py::list cause(n);
    for (std::size_t i = 0; i < n; ++i) {
        const LifeEvent& e = events[i];
        step.mutable_data()[i] = e.step;
        id.mutable_data()[i] = e.id;
        parentId.mutable_data()[i] = e.parentId;
        kind[i] = eventName(e.kind);
        cause[i] = e.kind == LifeEvent::Kind::death ? py::object(py::str(deathCauseName(e.cause)))
                                                    : py::object(py::none());
    }
    py::dict columns("step"_a = step, "event"_a = kind, "id"_a = id, "parent_id"_a = parentId,
                     "cause"_a = cause);
    return py::module_::import("pandas").attr("DataFrame")(columns);
}

// Runs n steps with the interpreter let go, taking it back every so often to look for
// Ctrl-C: a signal ends the run after the step under way and raises.
py::object stepWorld(PyWorld& self, long long n, bool events) {
    if (n < 0) throw py::value_error("n must be 0 or more");
    auto lock = self.hold();
    std::vector<LifeEvent> log;
    bool interrupted = false;
    {
        py::gil_scoped_release release;
        using Clock = std::chrono::steady_clock;
        Clock::time_point lastLook = Clock::now();
        for (long long k = 0; k < n; ++k) {
            self.world->step(events ? &log : nullptr);
            if (k + 1 < n && Clock::now() - lastLook >= signalInterval) {
                py::gil_scoped_acquire acquire;
                if (PyErr_CheckSignals() != 0) {
                    interrupted = true;
                    break;
                }
                lastLook = Clock::now();
            }
        }
    }
    if (interrupted) throw py::error_already_set();
    if (events) return eventFrame(log);
    return py::none();
}

std::uint32_t clockSeed() {
    // As kanimo-sim and the window take one: the clock in whole seconds, cut to 32 bits.
    return static_cast<std::uint32_t>(std::time(nullptr));
}

// A flag a sweep raises to end its runs early, after their current step.
struct StopFlag {
    std::atomic<bool> raised{false};
};

py::dict sweepJob(std::uint32_t seed, int steps, const py::object& settings, int scale, bool fast,
                  bool record, StopFlag* stop) {
    py::dict row;
    row["seed"] = seed;
    WorldSettings s;
    std::string problem = scriptSettings(scale, settingValues(settings), s);
    SweepJobResult result;
    if (problem.empty()) {
        static const StopFlag never;
        py::gil_scoped_release release;
        result = runSweepJob(seed, steps, fast, s, record, stop ? stop->raised : never.raised);
        problem = result.error;
    }
    const SeedSummary& summary = result.summary;
    row["length"] = summary.length;
    row["living"] = summary.living;
    row["births"] = summary.births;
    row["deaths"] = summary.deaths;
    row["steps_per_second"] =
        summary.steps > 0 && summary.seconds > 0 ? summary.steps / summary.seconds : 0.0;
    row["error"] = problem.empty() ? py::object(py::none()) : py::object(py::str(problem));
    row["record"] =
        result.record.empty() ? py::object(py::none()) : py::object(py::bytes(result.record));
    return row;
}

void writeSweepRecordFrom(const std::string& path, const py::list& runs) {
    std::vector<SweepRecordRun> records;
    for (const py::handle run : runs) {
        const py::dict r = py::cast<py::dict>(run);
        SweepRecordRun out;
        out.runId = r["run_id"].cast<std::int64_t>();
        // A row whose seed was not a seed keeps none.
        try {
            out.seed = r["seed"].cast<std::uint32_t>();
        } catch (const py::cast_error&) {
        }
        if (!r["record"].is_none()) out.database = r["record"].cast<std::string>();
        if (!r["error"].is_none()) out.error = r["error"].cast<std::string>();
        records.push_back(std::move(out));
    }
    std::string problem;
    {
        py::gil_scoped_release release;
        problem = writeSweepRecord(path, records);
    }
    if (!problem.empty()) throw std::runtime_error(problem);
}

} // namespace

} // namespace kanimo

PYBIND11_MODULE(_kanimo, m) {
    using namespace kanimo;
    m.doc() = "Kanimo worlds, run by the simulation's own libraries";
    m.attr("__version__") = KANIMO_VERSION;

    py::class_<PyWorld>(m, "World", R"(A Kanimo world.

World(seed=None, scale=1, settings=None, fast=False) seeds a world as kanimo-sim does:
`scale` is --scale, `settings` a dict of the values --set takes (applied after the scale),
`fast` steps as --fast. Without a seed the clock gives one (see `seed`).)")
        .def(py::init([](std::optional<std::uint32_t> seed, int scale, const py::object& settings,
                         bool fast) {
                 const WorldSettings s = settingsOf(scale, settings);
                 auto w = std::make_unique<PyWorld>();
                 w->world =
                     std::make_unique<ScriptWorld>(s, seed.value_or(clockSeed()), kindOf(fast));
                 return w;
             }),
             "seed"_a = py::none(), "scale"_a = 1, "settings"_a = py::none(), "fast"_a = false)
        .def_static(
            "load",
            [](const py::object& path, bool fast) {
                auto w = std::make_unique<PyWorld>();
                const std::string name = py::str(py::module_::import("os").attr("fspath")(path));
                try {
                    w->world = ScriptWorld::load(name, kindOf(fast));
                } catch (const std::runtime_error& e) {
                    throw py::value_error(e.what());
                }
                return w;
            },
            "path"_a, "fast"_a = false,
            "The world a save file holds (kanimo-sim --save or World.save). A file holds no "
            "step kind: give fast=True to go on with fast steps.")
        .def(
            "save",
            [](PyWorld& self, const py::object& path) {
                auto lock = self.hold();
                const std::string name = py::str(py::module_::import("os").attr("fspath")(path));
                if (std::string problem = self.world->save(name); !problem.empty()) {
                    throw py::value_error(problem);
                }
            },
            "path"_a, "Writes the whole world, whole or not at all, in kanimo-sim's save format.")
        .def("step", &stepWorld, "n"_a = 1, "events"_a = false,
             "Runs n steps. With events=True, returns the births, deaths (with their cause) and "
             "removals of those steps as a DataFrame, in the order they happened.")
        .def_property_readonly("step_count",
                               [](PyWorld& self) {
                                   auto lock = self.hold();
                                   return self.world->world().stepCount;
                               })
        .def_property_readonly("seed",
                               [](PyWorld& self) {
                                   auto lock = self.hold();
                                   return self.world->seed();
                               })
        .def_property_readonly("fast",
                               [](PyWorld& self) {
                                   auto lock = self.hold();
                                   return self.world->kind() == StepKind::fast;
                               })
        .def_property_readonly("settings",
                               [](PyWorld& self) {
                                   auto lock = self.hold();
                                   return settingsDict(self.world->world().settings);
                               })
        .def_property_readonly(
            "population",
            [](PyWorld& self) {
                auto lock = self.hold();
                return self.world->world().creatures.size();
            },
            "The creatures in the world, the dead that have not shrunk away included.")
        .def(
            "creatures",
            [](PyWorld& self) {
                auto lock = self.hold();
                return creatureColumns(self.world->world());
            },
            "The creatures in list order, as a dict of NumPy columns.")
        .def(
            "creatures_frame",
            [](PyWorld& self) {
                auto lock = self.hold();
                return py::module_::import("pandas").attr("DataFrame")(
                    creatureColumns(self.world->world()));
            },
            "creatures() as a pandas DataFrame.")
        .def(
            "genome",
            [](PyWorld& self, std::uint64_t id) {
                auto lock = self.hold();
                const Creature* c = self.world->find(id);
                if (c == nullptr) throw py::key_error("no creature " + std::to_string(id));
                return genomeText(c->genome);
            },
            "id"_a, "The genome of a creature in the world, as the record writes it.")
        .def(
            "stats",
            [](PyWorld& self) {
                auto lock = self.hold();
                return statsRow(*self.world);
            },
            "The row --stats writes for the current step, its measures as full doubles (None "
            "where the file leaves a cell empty).")
        .def(
            "picture",
            [](PyWorld& self, const std::string& background) {
                auto lock = self.hold();
                return pictureArray(framePicture(self.world->world(), background));
            },
            "background"_a = "gradient",
            "The frame the window would show, as a uint8 array of shape (side+1, side+1, 3).")
        .def("_repr_png_",
             [](PyWorld& self) {
                 auto lock = self.hold();
                 return pngBytes(framePicture(self.world->world(), "gradient"));
             })
        .def(
            "delete",
            [](PyWorld& self, std::uint64_t id) {
                auto lock = self.hold();
                if (!self.world->remove(id))
                    throw py::key_error("no creature " + std::to_string(id));
            },
            "id"_a, "Removes a creature from the world, as the window's D key removes the first.")
        .def(
            "dump",
            [](PyWorld& self) {
                auto lock = self.hold();
                return self.world->dump();
            },
            "The text kanimo-sim --dump prints for the world as it is.")
        .def("__repr__", [](PyWorld& self) {
            auto lock = self.hold();
            const World& w = self.world->world();
            return "<kanimo.World step " + std::to_string(w.stepCount) + ", " +
                   std::to_string(w.creatures.size()) + " creatures, side " +
                   std::to_string(w.settings.worldSize) + ">";
        });

    py::class_<StopFlag>(m, "_StopFlag").def(py::init<>()).def("raise_", [](StopFlag& f) {
        f.raised.store(true);
    });
    m.def("_sweep_job", &sweepJob, "seed"_a, "steps"_a, "settings"_a, "scale"_a, "fast"_a,
          "record"_a, "stop"_a = nullptr);
    m.def(
        "_settings",
        [](int scale, const py::object& settings) {
            return settingsDict(settingsOf(scale, settings));
        },
        "scale"_a, "settings"_a);
    m.def("_write_sweep_record", &writeSweepRecordFrom, "path"_a, "runs"_a);
}
