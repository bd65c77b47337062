"""The kanimo Python module's speed, side by side with kanimo-sim's:

  1. world.step(20000) on a default world against kanimo-sim --steps 20000 --bench, in turns;
  2. world.creatures() of a --scale 8 world;
  3. a sweep of 200 runs of 3000 steps on a LocalCluster of 1 worker and of 2 workers.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_bench.py build/release/tools/kanimo-sim

Times are the median and the best of the repetitions; the machine is shared, so the best is the
steadier figure. Give --only step, creatures or sweep to run one of them."""

import argparse
import resource
import statistics
import subprocess
import time

import kanimo


def describe(values, unit, scale=1.0):
    values = [v * scale for v in values]
    return f"median {statistics.median(values):.3f} {unit}, best {min(values):.3f} {unit}"


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def bench_step(sim, repetitions, seeds=(1, 2, 3), steps=20000):
    """Seconds for `steps` world steps, from Python and in kanimo-sim, taken in turns: the
    wall time of the steps (kanimo-sim's --bench line), and the processor time, which a
    shared machine disturbs less (for kanimo-sim the whole process's, its start and seeding
    included: a few milliseconds)."""
    wall = {"python": [], "sim": []}
    cpu = {"python": [], "sim": []}
    for _ in range(repetitions):
        for seed in seeds:
            before = children_cpu()
            line = subprocess.run(
                [sim, "--seed", str(seed), "--steps", str(steps), "--bench"],
                capture_output=True, text=True, check=True,
            ).stdout.splitlines()[-1]
            cpu["sim"].append(children_cpu() - before)
            wall["sim"].append(steps / float(line.split()[1]))
            world = kanimo.World(seed=seed)
            start, start_cpu = time.perf_counter(), time.thread_time()
            world.step(steps)
            wall["python"].append(time.perf_counter() - start)
            cpu["python"].append(time.thread_time() - start_cpu)
    print(f"step, seeds {seeds}, {steps} steps each, {repetitions} repetitions:")
    for name, times in (("wall", wall), ("processor", cpu)):
        # Each repetition is the sum over the seeds, so that the seeds weigh alike.
        per = len(seeds)
        python = [sum(times["python"][i : i + per]) for i in range(0, len(times["python"]), per)]
        native = [sum(times["sim"][i : i + per]) for i in range(0, len(times["sim"]), per)]
        ratios = [p / n for p, n in zip(python, native)]
        print(f"  {name} time")
        print(f"    kanimo-sim      {describe(native, 's')}")
        print(f"    world.step(n)   {describe(python, 's')}")
        print(f"    ratio           median {statistics.median(ratios):.4f}, "
              f"best against best {min(python) / min(native):.4f}")


def bench_creatures(repetitions):
    world = kanimo.World(seed=1, scale=8)
    for steps in (0, 300):
        world.step(steps)
        times = []
        for _ in range(repetitions):
            start = time.perf_counter()
            world.creatures()
            times.append(time.perf_counter() - start)
        print(f"creatures() of a scale-8 world at step {world.step_count}, "
              f"{world.population} creatures:")
        print(f"  {describe(times, 'ms', 1e3)}")


def bench_sweep(sim, repetitions, runs=200, steps=3000):
    """The sweep on 1 and 2 workers, and kanimo-sim --seeds with 1 and 2 threads beside it:
    the most two cores of this machine give at the moment."""
    from distributed import Client, LocalCluster

    native = {}
    for jobs in (1, 2):
        native[jobs] = []
        for _ in range(repetitions):
            start = time.perf_counter()
            subprocess.run([sim, "--seeds", f"1-{runs}", "--steps", str(steps), "--jobs", str(jobs)],
                           capture_output=True, check=True)
            native[jobs].append(time.perf_counter() - start)
    results = {}
    for workers in (1, 2):
        with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                          dashboard_address=None) as cluster, Client(cluster) as client:
            kanimo.sweep([1], 10, client=client)  # the workers import the module first
            times = []
            for _ in range(repetitions):
                start = time.perf_counter()
                kanimo.sweep(range(1, runs + 1), steps, client=client)
                times.append(time.perf_counter() - start)
            results[workers] = times
    print(f"sweep of {runs} runs of {steps} steps on a LocalCluster:")
    for workers, times in results.items():
        print(f"  {workers} worker{'s' if workers > 1 else ' '}  {describe(times, 's')}")
    print(f"  speed-up        median {statistics.median(results[1]) / statistics.median(results[2]):.3f}, "
          f"best against best {min(results[1]) / min(results[2]):.3f}")
    print(f"kanimo-sim --seeds 1-{runs} --steps {steps}:")
    for jobs, times in native.items():
        print(f"  --jobs {jobs}        {describe(times, 's')}")
    print(f"  speed-up        median {statistics.median(native[1]) / statistics.median(native[2]):.3f}, "
          f"best against best {min(native[1]) / min(native[2]):.3f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("sim", help="the kanimo-sim to compare with")
    parser.add_argument("--only", choices=["step", "creatures", "sweep"])
    parser.add_argument("--repetitions", type=int, default=7)
    args = parser.parse_args()
    if args.only in (None, "step"):
        bench_step(args.sim, args.repetitions)
    if args.only in (None, "creatures"):
        bench_creatures(args.repetitions * 10)
    if args.only in (None, "sweep"):
        bench_sweep(args.sim, max(1, args.repetitions // 2))


if __name__ == "__main__":
    main()
