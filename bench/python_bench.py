"""The kanimo Python module's speed, side by side with kanimo-sim's:

  1. world.step(20000) on a default world against kanimo-sim --steps 20000 --bench, in turns;
  2. world.creatures() of a --scale 8 world;
  3. a sweep of 200 runs of 3000 steps on a LocalCluster of 1 worker and of 2 workers.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_bench.py build/release/tools/kanimo-sim

Times are the median and the best of the repetitions; the machine is shared, so the best is the
steadier figure. Give --only step, creatures or sweep to run one of them."""

import argparse
import statistics
import subprocess
import time

import kanimo


def describe(values, unit, scale=1.0):
    values = [v * scale for v in values]
    return f"median {statistics.median(values):.3f} {unit}, best {min(values):.3f} {unit}"


def bench_step(sim, repetitions, seeds=(1, 2, 3), steps=20000):
    """Seconds for `steps` world steps, from Python and in kanimo-sim, taken in turns."""
    python, native = [], []
    for _ in range(repetitions):
        for seed in seeds:
            line = subprocess.run(
                [sim, "--seed", str(seed), "--steps", str(steps), "--bench"],
                capture_output=True, text=True, check=True,
            ).stdout.splitlines()[-1]
            native.append(steps / float(line.split()[1]))
            world = kanimo.World(seed=seed)
            start = time.perf_counter()
            world.step(steps)
            python.append(time.perf_counter() - start)
    # Each repetition is the sum over the seeds, so that the seeds weigh alike.
    per = len(seeds)
    python = [sum(python[i : i + per]) for i in range(0, len(python), per)]
    native = [sum(native[i : i + per]) for i in range(0, len(native), per)]
    ratios = [p / n for p, n in zip(python, native)]
    print(f"step, seeds {seeds}, {steps} steps each:")
    print(f"  kanimo-sim      {describe(native, 's')}")
    print(f"  world.step(n)   {describe(python, 's')}")
    print(f"  ratio           median {statistics.median(ratios):.4f}, "
          f"best against best {min(python) / min(native):.4f}")


def bench_creatures(repetitions):
    world = kanimo.World(seed=1, scale=8)
    world.step(300)
    times = []
    for _ in range(repetitions):
        start = time.perf_counter()
        world.creatures()
        times.append(time.perf_counter() - start)
    print(f"creatures() of a scale-8 world, {world.population} creatures:")
    print(f"  {describe(times, 'ms', 1e3)}")


def bench_sweep(repetitions, runs=200, steps=3000):
    from distributed import Client, LocalCluster

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
        bench_sweep(max(1, args.repetitions // 2))


if __name__ == "__main__":
    main()
