"""A world run from Python is the world kanimo-sim runs: the same dump, the same saves, the
same lives."""

import os
import signal
import sqlite3
import threading

import numpy as np
import pytest

import kanimo
from conftest import set_options

# (seed, steps, scale, fast, settings)
RUNS = [
    (1, 400, 1, False, {}),
    (2, 150, 1, True, {}),
    (3, 60, 3, False, {}),
    (4, 300, 1, False, {"lifespan": 900, "maxSpeed": 9.25, "refillCount": 20}),
    (5, 40, 2, True, {"limbSizeFactor": 0.6, "initialPopulation": 300}),
]


def sim_args(seed, steps, scale, fast, settings):
    args = ["--seed", seed, "--steps", steps, "--scale", scale, *set_options(settings)]
    return args + (["--fast"] if fast else [])


def parse_dump(text):
    """The creature lines of a dump, as rows of numbers."""
    lines = text.splitlines()[1:]
    return [[float(v) for v in line.split()] for line in lines]


@pytest.mark.parametrize("seed,steps,scale,fast,settings", RUNS)
def test_a_world_is_the_one_kanimo_sim_runs(sim, seed, steps, scale, fast, settings):
    world = kanimo.World(seed=seed, scale=scale, settings=settings, fast=fast)
    world.step(steps // 2)
    world.step(steps - steps // 2)
    expected = sim(*sim_args(seed, steps, scale, fast, settings), "--dump")
    assert world.dump() == expected
    assert world.step_count == steps and world.seed == seed

    # The columns against the dump: x, y, heading, size, energy and the segments, exactly.
    columns = world.creatures()
    rows = parse_dump(expected)
    assert world.population == len(rows) == len(columns["id"])
    for name, field in [("x", 1), ("y", 2), ("heading", 3), ("size", 5), ("energy", 6)]:
        assert np.array_equal(columns[name], [r[field] for r in rows]), name
    assert np.array_equal(columns["segments"], [int(r[16]) for r in rows])
    kinds = columns["drag"] + columns["bite"] + columns["feed"] + columns["propel"]
    assert np.all(kinds == columns["segments"])
    assert np.array_equal(columns["alive"], columns["energy"] > 0)

    # The stats row against the last row --stats writes (ten significant digits).
    stats = sim(*sim_args(seed, steps, scale, fast, settings), "--stats", "/dev/stdout")
    mine = world.stats()
    cells = ["" if v is None else (f"{v:.10g}" if isinstance(v, float) else str(v)) for v in mine.values()]
    assert ",".join(cells) == stats.splitlines()[-1]
    assert list(mine) == stats.splitlines()[0].split(",")
    assert world.settings == {**kanimo.World(seed=0, scale=scale).settings, **settings}


def test_png_is_the_frame_kanimo_sim_draws(sim, tmp_path):
    world = kanimo.World(seed=2)
    world.step(500)
    sim("--seed", 2, "--steps", 500, "--png", tmp_path / "frame.png")
    assert world._repr_png_() == (tmp_path / "frame.png").read_bytes()
    picture = world.picture()
    assert picture.shape == (601, 601, 3) and picture.dtype == np.uint8
    plain = world.picture(background="plain")
    # The creatures are drawn alike on both backgrounds; the backgrounds differ.
    assert not np.array_equal(picture, plain)


def test_saves_go_on_in_either_program(sim, tmp_path):
    unbroken = sim("--seed", 6, "--steps", 700, "--dump", "--tree", tmp_path / "all.nwk")

    # Saved from Python, with a creature deleted on the way: kanimo-sim goes on from the file
    # as the Python world goes on, and the family tree is the unbroken run's.
    world = kanimo.World(seed=6)
    world.step(300)
    world.save(tmp_path / "py.sav")
    resumed = sim("--load", tmp_path / "py.sav", "--steps", 400, "--dump", "--tree", tmp_path / "part.nwk")
    assert resumed == unbroken
    assert (tmp_path / "part.nwk").read_text() == (tmp_path / "all.nwk").read_text()
    # Its stats start with the very row the unbroken run wrote for the saved step.
    stats = sim("--load", tmp_path / "py.sav", "--steps", 400, "--stats", "/dev/stdout")
    all_stats = sim("--seed", 6, "--steps", 700, "--stats", "/dev/stdout")
    assert stats.splitlines()[1:] == all_stats.splitlines()[301:]

    first = int(world.creatures()["id"][0])
    world.delete(first)
    world.save(tmp_path / "deleted.sav")
    world.step(200)
    assert sim("--load", tmp_path / "deleted.sav", "--steps", 200, "--dump") == world.dump()
    assert first not in world.creatures()["id"]

    # Saved by kanimo-sim: the Python world goes on as the unbroken run, its stats row too.
    sim("--seed", 6, "--steps", 300, "--save", tmp_path / "sim.sav")
    loaded = kanimo.World.load(tmp_path / "sim.sav")
    assert loaded.seed == 6 and loaded.step_count == 300
    loaded.step(400)
    assert loaded.dump() == unbroken
    loaded.save(tmp_path / "again.sav")
    sim("--load", tmp_path / "again.sav", "--steps", 0, "--tree", tmp_path / "again.nwk")
    assert (tmp_path / "again.nwk").read_text() == (tmp_path / "all.nwk").read_text()


def test_events_are_the_lives_of_the_record(sim, tmp_path):
    steps = 3000
    world = kanimo.World(seed=2)
    events = world.step(steps, events=True)
    sim("--seed", 2, "--steps", steps, "--record", tmp_path / "run.db")
    with sqlite3.connect(tmp_path / "run.db") as db:
        deaths = db.execute(
            "SELECT id, death_step, death_cause FROM creatures WHERE death_step IS NOT NULL ORDER BY id"
        ).fetchall()
        births = db.execute(
            "SELECT id, birth_step, coalesce(parent_id, 0) FROM creatures WHERE birth_step > 0 ORDER BY id"
        ).fetchall()
    died = events[events.event == "death"].sort_values("id")
    assert list(zip(died.id, died.step, died.cause)) == deaths
    born = events[events.event == "birth"].sort_values("id")
    assert list(zip(born.id, born.step, born.parent_id)) == births
    # A creature is removed after it died, once; all in step order.
    removed = events[events.event == "removal"]
    assert set(removed.id) <= set(died.id) and removed.id.is_unique
    assert events.step.is_monotonic_increasing


def test_ctrl_c_stops_after_a_whole_step(sim):
    world = kanimo.World(seed=7)
    timer = threading.Timer(0.3, lambda: os.kill(os.getpid(), signal.SIGINT))
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        world.step(10**9)
    timer.join()
    stopped = world.step_count
    assert 0 < stopped < 10**9
    world.step(25)
    assert world.dump() == sim("--seed", 7, "--steps", stopped + 25, "--dump")


def test_threads_run_worlds_side_by_side(sim):
    worlds = [kanimo.World(seed=s, scale=2) for s in (8, 9)]
    threads = [threading.Thread(target=w.step, args=(150,)) for w in worlds]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for seed, world in zip((8, 9), worlds):
        assert world.dump() == sim("--seed", seed, "--scale", 2, "--steps", 150, "--dump")


def test_what_a_user_gets_wrong_is_one_clear_error(tmp_path):
    with pytest.raises(ValueError, match="lifespan needs a whole number from 1"):
        kanimo.World(seed=1, settings={"lifespan": 0})
    with pytest.raises(ValueError, match="no setting 'lifeSpan'"):
        kanimo.World(seed=1, settings={"lifeSpan": 10})
    with pytest.raises(ValueError, match="scale needs a whole number from 1 to 64"):
        kanimo.World(seed=1, scale=65)
    (tmp_path / "bad.sav").write_bytes(b"not a save file")
    with pytest.raises(ValueError, match="cannot load '.*bad.sav': "):
        kanimo.World.load(tmp_path / "bad.sav")
    world = kanimo.World(seed=1)
    with pytest.raises(KeyError):
        world.delete(10**6)
    with pytest.raises(ValueError, match="cannot write"):
        world.save(tmp_path / "missing" / "x.sav")
    assert not (tmp_path / "missing").exists()
