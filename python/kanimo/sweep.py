"""Sweeps: one world per (seed, settings), run on the cores of this machine or wherever a
Dask client reaches, with the summary kanimo-sim --seeds prints for each."""

import os
from concurrent.futures import ThreadPoolExecutor

import pandas as pd

from . import _kanimo

# The summary of a run, as kanimo-sim --seeds prints it.
SUMMARY_COLUMNS = ["length", "living", "births", "deaths", "steps_per_second"]


def _run(job, stop=None):
    """Runs one world of a sweep. A run that cannot start is a row with its error."""
    run_id, seed, steps, settings, scale, fast, record = job
    try:
        if not 0 <= seed <= 0xFFFFFFFF or seed != int(seed):
            raise ValueError(f"a seed is a whole number from 0 to 4294967295, got {seed!r}")
        row = _kanimo._sweep_job(int(seed), steps, settings, scale, fast, record, stop)
    except Exception as e:  # a seed or a setting of the wrong type
        row = {"seed": seed, "error": str(e), "record": None}
    row["run_id"] = run_id
    return row


def _run_batch(jobs):
    """Runs a few worlds of a sweep in one task: a run of a default world takes some 20 ms,
    which a task per run would share with the scheduler."""
    return [_run(job) for job in jobs]


def _batches(jobs, workers):
    """The jobs cut into tasks of up to 8 runs that shrink to single runs towards the end
    (a quarter of what is left for each worker, at most), so that every worker stays busy
    and they all finish together."""
    batches = []
    start = 0
    while start < len(jobs):
        size = max(1, min(8, (len(jobs) - start) // (4 * max(1, workers))))
        batches.append(jobs[start : start + size])
        start += size
    return batches


def _grid(settings):
    if settings is None:
        return [{}]
    if isinstance(settings, dict):
        return [settings]
    return [dict(s) for s in settings]


def sweep(seeds, steps, settings=None, scale=1, fast=False, client=None, record=None):
    """Runs one world for each seed and each dict of settings, and returns a DataFrame of one
    row per run: run_id, the seed, each setting named in `settings`, then length, living,
    births, deaths and steps_per_second as kanimo-sim --seeds prints them, and the error of a
    run that failed (None for the others).

    seeds    -- an iterable of seeds (0 to 4294967295), or one seed
    steps    -- the steps of every run
    settings -- None, a dict of --set values, or a list of such dicts (a grid)
    scale    -- --scale for every run (settings come after it)
    fast     -- fast steps, as --fast
    client   -- a dask.distributed.Client to run on; None runs on the cores of this machine
    record   -- a path: every run's lives go into one SQLite database, `run_id` beside each
                row, written whole once the runs are back

    Runs are numbered settings first, then seeds: the results do not depend on where or in
    which order they ran.
    """
    if not isinstance(steps, int) or steps < 0:
        raise ValueError(f"steps must be a whole number of 0 or more, got {steps!r}")
    seeds = [seeds] if isinstance(seeds, int) else list(seeds)
    grid = _grid(settings)
    keep_record = record is not None
    jobs = []
    for values in grid:
        for seed in seeds:
            jobs.append((len(jobs), seed, steps, values, scale, fast, keep_record))

    if client is None:
        rows = _run_here(jobs)
    else:
        workers = len(client.scheduler_info().get("workers", {}))
        futures = client.map(_run_batch, _batches(jobs, workers), pure=False)
        try:
            rows = [row for batch in client.gather(futures) for row in batch]
        except BaseException:
            client.cancel(futures)
            raise
    rows = sorted(rows, key=lambda r: r["run_id"])

    if keep_record:
        _kanimo._write_sweep_record(os.fspath(record), rows)

    names = []
    for values in grid:
        names += [n for n in values if n not in names]
    table = pd.DataFrame(
        {
            "run_id": [r["run_id"] for r in rows],
            "seed": [r["seed"] for r in rows],
        }
    )
    # What each run was given, with the value its world took for a setting left out.
    taken = []
    for values in grid:
        try:
            taken.append({**_kanimo._settings(scale, values), **values})
        except ValueError:
            taken.append(values)
    per_grid = len(seeds)
    for name in names:
        table[name] = [taken[r["run_id"] // per_grid].get(name) for r in rows]
    for name in SUMMARY_COLUMNS:
        values = [r.get(name) if r.get("error") is None else None for r in rows]
        table[name] = pd.array(values, dtype="Float64" if name == "steps_per_second" else "Int64")
    table["error"] = [r.get("error") for r in rows]
    return table


def _run_here(jobs):
    """The runs on threads of this process, one a core: a run lets go of the interpreter."""
    stop = _kanimo._StopFlag()
    with ThreadPoolExecutor(max_workers=min(len(jobs), os.cpu_count() or 1) or 1) as pool:
        futures = [pool.submit(_run, job, stop) for job in jobs]
        try:
            return [f.result() for f in futures]
        except BaseException:
            # Ctrl-C: the runs under way end after their current step.
            stop.raise_()
            for f in futures:
                f.cancel()
            raise
