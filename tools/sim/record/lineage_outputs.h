#pragma once

#include <string>

#include "files/output_file.h"
#include "record/run_record.h"
#include "report/ancestry.h"
#include "report/plot_series.h"
#include "world/step_events.h"

namespace kanimo {

struct Census;
struct SimOptions;
struct World;

// The outputs that follow lives through a run: the --record database, the --tree of the
// living and the --plot chart. They watch the world step's births and deaths, so the
// step must be given observer() (null when none of them is asked for, and the step then
// records nothing). Every method returns an empty string or the one line to report.
class LineageOutputs : public StepObserver {
  public:
    explicit LineageOutputs(const SimOptions& options) : options_(options) {}

    // Creates the files before the run. With `continueRecord` (a run that goes on from a
    // loaded world) the record extends the one already at its path, when there is one.
    std::string open(bool continueRecord);

    StepObserver* observer() { return watching_ ? this : nullptr; }

    // Once the world is seeded or loaded, before its next step. A loaded world's record
    // starts after the loaded step (or continues a record that ends there), so its
    // afterStep calls begin with the first step taken after loading; its ancestry comes
    // from the save (ancestry().deserialize) or, failing that, ancestry().adoptLiving.
    std::string begin(const World& world, const RecordedRun& run);

    // Whether afterStep reads the census it is given: the run takes one per step, for all
    // the outputs that need it.
    bool needsCensus() const { return recordFile_.isOpen() || plotFile_.isOpen(); }

    // After the seeding (step 0) and after every step, with the census of the world then.
    std::string afterStep(long long step, const StepReport& report, const Census& census);

    // Writes what is left and closes the record; then commit() puts the files in place.
    std::string finish(const World& world);
    std::string commit();

    // Removes the files of a run that did not finish.
    void discard();

    // The family of the living, which a saved world carries on to its continuation; kept
    // for --tree, or when asked for before the first step.
    void keepAncestry() { keepingAncestry_ = watching_ = true; }
    Ancestry& ancestry() { return ancestry_; }

    void born(const Creature& creature, const Creature* parent) override;
    void died(const Creature& creature, DeathCause cause) override;

  private:
    const SimOptions& options_;
    bool watching_ = false;
    bool keepingAncestry_ = false;
    OutputFile recordFile_;
    OutputFile treeFile_;
    OutputFile plotFile_;
    RunRecord record_;
    Ancestry ancestry_;
    PlotSeries plot_;
    RecordedRun run_;
    long long firstStep_ = 0;
    int deathsInStep_ = 0;
};

} // namespace kanimo
