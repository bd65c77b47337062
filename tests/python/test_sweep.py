"""A sweep's table is the one kanimo-sim --seeds prints, wherever its runs were made."""

import sqlite3

import pandas as pd
import pytest

import kanimo
from conftest import set_options

SEEDS = range(11, 17)
STEPS = 400
GRID = [{}, {"lifespan": 0}, {"lifespan": 900, "maxSpeed": 8.5}]


def seeds_table(sim, settings, fast=False):
    """kanimo-sim --seeds for the sweep's seeds, as rows of the sweep's summary columns."""
    args = ["--seeds", f"{SEEDS[0]}-{SEEDS[-1]}", "--steps", STEPS, *set_options(settings)]
    rows = []
    for line in sim(*args, *(["--fast"] if fast else [])).splitlines():
        words = line.split()
        rows.append({words[i]: int(words[i + 1]) for i in range(0, 10, 2)})
    return pd.DataFrame(rows)


def check_against_sim(sim, table):
    assert list(table.run_id) == list(range(len(SEEDS) * len(GRID)))
    for i, settings in enumerate(GRID):
        part = table.iloc[i * len(SEEDS) : (i + 1) * len(SEEDS)]
        assert list(part.seed) == list(SEEDS)
        if settings.get("lifespan") == 0:
            # A bad setting fails its own runs, not the sweep.
            assert part.error.str.startswith("lifespan needs a whole number").all()
            assert part.length.isna().all()
            continue
        assert part.error.isna().all()
        expected = seeds_table(sim, settings)
        got = part[["seed", "length", "living", "births", "deaths"]].astype("int64")
        assert got.reset_index(drop=True).equals(expected)
        assert (part.steps_per_second > 0).all()
        for name, value in settings.items():
            assert (part[name] == value).all()


def test_sweep_on_this_machine_is_kanimo_sim_seeds(sim, tmp_path):
    table = kanimo.sweep(SEEDS, STEPS, settings=GRID, record=tmp_path / "sweep.db")
    check_against_sim(sim, table)

    # The record holds each run's own record, its run_id beside every row.
    sim("--seed", 13, "--steps", STEPS, "--record", tmp_path / "13.db")
    with sqlite3.connect(tmp_path / "sweep.db") as db, sqlite3.connect(tmp_path / "13.db") as one:
        run_id = int(table[(table.seed == 13) & (table.index < len(SEEDS))].run_id.iloc[0])
        for query in ["SELECT * FROM creatures", "SELECT * FROM steps"]:
            mine = db.execute(query.replace("*", "* FROM (SELECT *") + f" WHERE run_id = ?) ORDER BY 2", (run_id,))
            theirs = one.execute(query + " ORDER BY 1").fetchall()
            assert [row[1:] for row in mine.fetchall()] == theirs
        runs = db.execute("SELECT run_id, seed, error, steps, lifespan FROM runs ORDER BY run_id").fetchall()
    assert [r[0] for r in runs] == list(table.run_id)
    assert [r[1] for r in runs] == list(table.seed)
    assert [r[2] for r in runs] == [None if pd.isna(e) else e for e in table.error]
    assert {r[4] for r in runs[-len(SEEDS) :]} == {900}


def test_fast_scaled_sweep_is_kanimo_sim_seeds(sim):
    table = kanimo.sweep(SEEDS, 60, scale=2, fast=True)
    args = ["--seeds", f"{SEEDS[0]}-{SEEDS[-1]}", "--steps", 60, "--scale", 2, "--fast"]
    lines = sim(*args).splitlines()
    for line, row in zip(lines, table.itertuples(), strict=True):
        assert line.split()[:10] == [
            "seed", str(row.seed), "length", str(row.length), "living", str(row.living),
            "births", str(row.births), "deaths", str(row.deaths),
        ]


@pytest.fixture(scope="module")
def client():
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(
        n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None
    ) as cluster, distributed.Client(cluster) as c:
        yield c


def test_sweep_on_a_local_cluster_is_the_same(sim, client, tmp_path):
    table = kanimo.sweep(SEEDS, STEPS, settings=GRID, client=client, record=tmp_path / "c.db")
    check_against_sim(sim, table)
    here = kanimo.sweep(SEEDS, STEPS, settings=GRID, record=tmp_path / "h.db")
    assert table.drop(columns="steps_per_second").equals(here.drop(columns="steps_per_second"))
    with sqlite3.connect(tmp_path / "c.db") as a, sqlite3.connect(tmp_path / "h.db") as b:
        for query in ["SELECT * FROM creatures ORDER BY 1, 2", "SELECT * FROM steps ORDER BY 1, 2"]:
            assert a.execute(query).fetchall() == b.execute(query).fetchall()
