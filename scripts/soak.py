#!/usr/bin/env python3
"""Long run of the headless runner: a looping program in simulation, with
sounds on SDL's dummy driver and an SDK client polling all the while.

Samples the runner's resident memory, threads, open file descriptors and
CPU time from /proc. The first minute is warm-up; the run fails when
resident memory grows by more than 5 % after it, when the thread or
descriptor count grows, or when the runner stops before the end.

    soak.py BUILD_DIR [--minutes N] [--log FILE]
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

WARM_UP_S = 60       # the baseline is taken after the first minute
SAMPLE_S = 5         # one /proc sample every five seconds
WINDOW_S = 30        # baseline and end are taken over this much time
MEMORY_GROWTH = 0.05  # allowed growth of resident memory after warm-up
WATCH_S = 10         # each SDK client connects for this long, then again

# Laps anticlockwise for ever: the last command continues at the lap's
# first one. The horn, the crossing bell (repeating, then stopped) and the
# station chime play on every lap.
PROGRAM = """title 耐久運転
Start
SoundOutput 1 2 0
TrainSpeed 0 25 0
@lap TrainControl 2 0 0
PositionWait 3 400 80
SoundOutput 2 1 0
PositionWait 3 240 80
SoundOutput 0 1 0
PositionWait 0 0 0
SoundOutput 1 3 0
Timer 0 1 0 -> lap
"""


def read_proc(pid):
    """RSS in KiB, threads, descriptors and CPU seconds of a live process."""
    status = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, value = line.partition(":")
            status[key] = value.strip()
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    cpu = (int(fields[11]) + int(fields[12])) / ticks  # utime + stime
    return {
        "rss_kib": int(status["VmRSS"].split()[0]),
        "threads": int(status["Threads"]),
        "fds": len(os.listdir(f"/proc/{pid}/fd")),
        "cpu_s": cpu,
    }


def window(samples, start, end):
    return [s for t, s in samples if start <= t <= end]


def judge(samples, total_s):
    """The report lines and whether the run passed."""
    base = window(samples, WARM_UP_S, WARM_UP_S + WINDOW_S)
    last = window(samples, total_s - WINDOW_S, total_s)
    if not base or not last:
        return ["not enough samples to judge the run"], False
    # A leak shows as a floor that rises: the end's lowest value against the
    # baseline's highest, so a sound thread that comes and goes is no growth.
    base_rss = max(s["rss_kib"] for s in base)
    end_rss = min(s["rss_kib"] for s in last)
    growth = (end_rss - base_rss) / base_rss
    lines, ok = [], True
    lines.append(f"resident memory: {base_rss} KiB after the first minute, {end_rss} KiB at "
                 f"the end ({growth * 100:+.2f} %, limit +{MEMORY_GROWTH * 100:.0f} %)")
    if growth > MEMORY_GROWTH:
        ok = False
        lines.append("FAIL: resident memory grew")
    for key, name in (("threads", "threads"), ("fds", "open file descriptors")):
        b = max(s[key] for s in base)
        e = min(s[key] for s in last)
        lines.append(f"{name}: {b} after the first minute, {e} at the end")
        if e > b:
            ok = False
            lines.append(f"FAIL: {name} grew")
    cpu_base, cpu_end = base[0]["cpu_s"], last[-1]["cpu_s"]
    span = max(1e-9, total_s - WARM_UP_S)
    lines.append(f"CPU time: {cpu_end:.1f} s in all, {cpu_end - cpu_base:.1f} s after the first "
                 f"minute ({(cpu_end - cpu_base) / span * 100:.1f} % of one core)")
    return lines, ok


def make_program(build, folder):
    text = os.path.join(folder, "soak_loop.txt")
    vpr = os.path.join(folder, "soak_loop.vpr")
    with open(text, "w", encoding="utf-8") as f:
        f.write(PROGRAM)
    subprocess.run([os.path.join(build, "tools", "mkprogram", "mkprogram"), text, vpr],
                   check=True)
    return vpr


def send(sdk, env, code, value, timeout_s=30):
    """Sends one SDK command, retrying while the runner is still starting."""
    deadline = time.monotonic() + timeout_s
    while True:
        r = subprocess.run([sdk, "send", str(code), str(value), "--timeout", "2000"], env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if r.returncode == 0:
            return True
        if time.monotonic() > deadline:
            print(f"soak: vardo-sdk send {code} {value} failed: {r.stderr.strip()}", flush=True)
            return False
        time.sleep(0.5)


def start_watcher(sdk, env, out):
    return subprocess.Popen([sdk, "watch", "--seconds", str(WATCH_S)], env=env, stdout=out,
                            stderr=subprocess.STDOUT)


def count_positions(path):
    positions, laps = 0, 0
    with open(path, errors="replace") as f:
        for line in f:
            if " position " in line:
                positions += 1
                for part in line.split():
                    if part.startswith("laps="):
                        laps = max(laps, int(part[5:]))
    return positions, laps


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--minutes", type=float,
                        default=float(os.environ.get("SOAK_MINUTES", "10")))
    parser.add_argument("--log", default=None)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    total_s = int(args.minutes * 60)
    if total_s < WARM_UP_S + WINDOW_S:
        sys.exit(f"soak: {args.minutes} minutes is too short (at least "
                 f"{(WARM_UP_S + WINDOW_S) / 60:.1f})")
    log = open(args.log, "a") if args.log else None

    def say(text):
        print(text, flush=True)
        if log:
            log.write(text + "\n")
            log.flush()

    work = tempfile.mkdtemp(prefix="vardo-soak-")
    # A copy of the program folder, so option.ini writes of the run stay
    # out of the build.
    home = os.path.join(work, "home")
    shutil.copytree(os.path.join(build, "bin"), home, symlinks=True)
    # Shared-memory names of its own: a Vardo with -s running on this
    # machine (or another soak) does not take the interface away.
    env = dict(os.environ, VARDO_HOME=home, SDL_AUDIODRIVER="dummy",
               QT_QPA_PLATFORM="offscreen",
               VARDO_SDK_PREFIX="vardo-soak-%d" % os.getpid())
    program = make_program(build, work)
    runner_out = open(os.path.join(work, "runner.log"), "w")
    watch_path = os.path.join(work, "watch.log")
    watch_out = open(watch_path, "w")
    runner = subprocess.Popen(
        # -s opens the outside-program interface; the client then starts
        # the loaded program, as an outside program would.
        [os.path.join(home, "vardo-run"), "run", "--simulate", "-s", "--agree", "--yes",
         "--program", program, "--seconds", str(total_s + 60)],
        env=env, stdout=runner_out, stderr=subprocess.STDOUT, cwd=work)
    sdk = os.path.join(home, "vardo-sdk")
    watcher = None
    samples = []
    began = time.monotonic()
    ok = True
    say(f"soak: {args.minutes:g} minutes, runner pid {runner.pid}, folder {work}")
    OPEN, CONTROL, CONTROL_ON, START_OPERATION = 101, 100, 1, 11
    if not (send(sdk, env, OPEN, 0) and send(sdk, env, CONTROL, CONTROL_ON)
            and send(sdk, env, CONTROL, START_OPERATION)):
        runner.kill()
        runner.wait()
        say(f"soak: FAIL (the program could not be started; logs kept in {work})")
        return 1
    try:
        while True:
            elapsed = time.monotonic() - began
            if runner.poll() is not None:
                say(f"FAIL: the runner ended after {elapsed:.0f} s with status {runner.returncode}")
                ok = False
                break
            if watcher is None or watcher.poll() is not None:
                watcher = start_watcher(sdk, env, watch_out)
            sample = read_proc(runner.pid)
            samples.append((elapsed, sample))
            if len(samples) % 12 == 1:
                say(f"{elapsed:6.0f} s  rss {sample['rss_kib']} KiB  threads {sample['threads']}"
                    f"  fds {sample['fds']}  cpu {sample['cpu_s']:.1f} s")
            if elapsed >= total_s:
                break
            time.sleep(SAMPLE_S)
    finally:
        for p in (watcher, runner):
            if p is not None and p.poll() is None:
                p.send_signal(signal.SIGTERM)
                try:
                    p.wait(timeout=20)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        watch_out.close()
        runner_out.close()

    lines, judged = judge(samples, total_s) if ok else ([], False)
    for line in lines:
        say(line)
    positions, laps = count_positions(watch_path)
    say(f"SDK client: {positions} position records read, {laps} laps seen")
    if positions == 0:
        judged = False
        say("FAIL: the SDK client read nothing: the run was not exercised")
    say("soak: PASS" if judged else f"soak: FAIL (logs kept in {work})")
    if judged:
        shutil.rmtree(work, ignore_errors=True)
    return 0 if judged else 1


if __name__ == "__main__":
    sys.exit(main())
