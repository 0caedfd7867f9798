#!/usr/bin/env python3
"""Runs the program as a controlling program would: each case starts it as a process of its own in a
program folder of its own, with a schedule in windows-1251 and CRLF, writes commands into the mailbox
R9_307.mng one at a time (atomically, each once the previous one was acknowledged with NONE), waits for
the program to close itself and reads what it left: the log R9_307.msg, the mailbox, the files.

usage: batch_runs.py <r9 program> <fixtures folder> [case ...]"""
import html.parser
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

PROGRAM = sys.argv[1]
FIXTURES = sys.argv[2]
ONLY = sys.argv[3:]
ACK = b"NONE\r\n\x00"
STAMP = re.compile(r"^R9_307\.(mng|exe): [0-9.]+( [0-9:]+)? ")


class Run:
    def __init__(self, folder, schedule, arguments=("/demo",), env=None):
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.write("plan.lst", ("\r\n".join(schedule) + "\r\n").encode("cp1251"))
        self.write("R9_307.mng", b"NONE\r\n")
        environment = dict(os.environ)
        environment.update({"R9_PROGRAM_DIR": folder, "QT_QPA_PLATFORM": "offscreen",
                            "XDG_RUNTIME_DIR": folder, "ASAN_OPTIONS": "detect_leaks=0",
                            "R9_NO_MODAL": "1"})
        environment.update(env or {})
        self.process = subprocess.Popen([PROGRAM, *arguments, "plan.lst"], env=environment, cwd=folder,
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT)

    def path(self, name):
        return os.path.join(self.folder, name)

    def write(self, name, data):
        temporary = self.path(name + ".part")
        with open(temporary, "wb") as f:
            f.write(data)
        os.replace(temporary, self.path(name))

    def read(self, name):
        try:
            with open(self.path(name), "rb") as f:
                return f.read()
        except OSError:
            return b""

    def log(self):
        """The log's texts without their source prefix and time stamp."""
        return [STAMP.sub("", line).rstrip(" ") for line in self.read("R9_307.msg").decode("cp1251").split("\r\n")
                if line]

    def wait_for(self, condition, what, seconds=60):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if condition():
                return
            if self.process.poll() is not None and not condition():
                raise AssertionError(f"the program ended ({self.process.returncode}) before {what}; log: {self.log()}")
            time.sleep(0.05)
        raise AssertionError(f"no {what} within {seconds} s; log: {self.log()}")

    def command(self, text, then=None):
        self.write("R9_307.mng", (text + "\r\n").encode("cp1251"))
        self.wait_for(lambda: self.read("R9_307.mng") == ACK, f"acknowledgement of {text}")
        if then:
            self.wait_for(then, f"the effect of {text}")

    def finish(self, seconds=60):
        try:
            out, _ = self.process.communicate(timeout=seconds)
        except subprocess.TimeoutExpired:
            self.process.kill()
            out, _ = self.process.communicate()
            raise AssertionError(f"the program did not close itself; log: {self.log()}\n{out.decode(errors='replace')}")
        if self.process.returncode != 0:
            raise AssertionError(f"exit status {self.process.returncode}\n{out.decode(errors='replace')[-3000:]}")
        return self.log()


class Links(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.links, self.anchors = [], set()

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name in ("href", "src") and value:
                self.links.append(value)
            if name == "name" and tag == "a":
                self.anchors.add(value)


def check_protocol_folder(folder, comment):
    """A filed protocol: the frameset, list and contents pages, one data and one settings page, every page
    windows-1251 behind its META line, every link to a file and an anchor that exist, the comment filed."""
    names = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
    pages = [n for n in names if n.endswith(".html")]
    for fixed in ("_Start_1.html", "cnt0_1.html", "cnt1_1.html"):
        if fixed not in pages:
            raise AssertionError(f"{fixed} missing from {names}")
    if not any(n.endswith("_data_1.html") for n in pages) or not any(n.endswith("_sett_1.html") for n in pages):
        raise AssertionError(f"no data or settings page in {names}")
    parsed = {}
    for name in pages:
        with open(os.path.join(folder, name), "rb") as f:
            text = f.read().decode("cp1251")
        if "charset=windows-1251" not in text:
            raise AssertionError(f"{name} has no windows-1251 META line")
        parser = Links()
        parser.feed(text)
        parsed[name] = (text, parser)
    for name, (text, parser) in parsed.items():
        for link in parser.links:
            target, _, anchor = link.replace("\\", "/").partition("#")
            target = os.path.normpath(os.path.join(folder, target)) if target else os.path.join(folder, name)
            if not os.path.exists(target):
                raise AssertionError(f"{name}: {link} leads to no file")
            if anchor:
                linked = parsed.get(os.path.basename(target))
                if not linked or anchor not in linked[1].anchors:
                    raise AssertionError(f"{name}: {link} leads to no anchor")
    if not any(comment in text for text, _ in parsed.values()):
        raise AssertionError(f"the comment {comment!r} is not in the filed pages")


def expect_equal(actual, expected, what):
    if actual != expected:
        raise AssertionError(f"{what}:\n  got      {actual}\n  expected {expected}")


def config_run(folder):
    config = os.path.join(folder, "Config", "line3.cfg")
    os.makedirs(os.path.dirname(config))
    shutil.copy(os.path.join(FIXTURES, "batch", "line3.cfg"), config)
    run = Run(folder, ["CLOSE_PROGRAM = YES", "TIME_PERIOD_MS=100", "CONFIG_NAME = " + config,
                       "RESULT_PATH = " + os.path.join(folder, "out")])
    run.wait_for(lambda: run.log()[:1] == ["Загружена конфигурация " + config], "the configuration's log line")
    running = lambda: os.path.exists(run.path("Report"))
    run.command("START_R9", running)
    time.sleep(1.0)  # a few blocks
    run.command("SAVE_PRT=Кабель 3, пара 2")
    run.command("STOP_R9")
    run.command("CLOSE")
    expect_equal(run.finish(), ["Загружена конфигурация " + config, "Получена команда START_R9",
                                "Получена команда SAVE_PRT", "Получена команда STOP_R9", "Получена команда CLOSE",
                                "Закрытие программы."], "log")
    for name in ("R9.ini", "Config/default1.cfg"):
        if not os.path.exists(run.path(name)):
            raise AssertionError(f"{name} was not written")
    check_protocol_folder(os.path.join(folder, "out"), "Кабель 3, пара 2")


def two_row_scenario(folder):
    """A scenario of two rows whose configurations average over 5 s, so that their results are ready when
    their time is up."""
    os.makedirs(os.path.join(folder, "Config"), exist_ok=True)
    with open(os.path.join(FIXTURES, "batch", "line3.cfg"), "rb") as f:
        config = f.read().replace("Интервал усреднения, сек=0".encode("cp1251"),
                                  "Интервал усреднения, сек=5".encode("cp1251"))
    for name in ("first.cfg", "second.cfg"):
        with open(os.path.join(folder, "Config", name), "wb") as f:
            f.write(config)
    scenario = os.path.join(folder, "a.scn")
    lines = ["[Сценарий]", "Тип автоповтора сценария=1", "Интервал автоповтора, сек=0", "Количество автоповторов=1",
             "Количество конфигураций=2"]
    for number, name in ((1, "first.cfg"), (2, "second.cfg")):
        lines += [f"Конфигурация №{number} Прт=1", f"Конфигурация №{number} уд.Прт=0",
                  f"Конфигурация №{number} Пауза=0", f"Конфигурация №{number} N строк=0",
                  f"Конфигурация №{number} Имя={name}"]
    with open(scenario, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1251"))
    return scenario


def run_scenario(folder, schedule=(), arguments=("/demo",), env=None):
    """START_SCN runs the scenario to its end: each row's loading, execution and completion, the summary,
    the end of the scenario and the close; the protocol with the summary is filed in the result folder."""
    scenario = two_row_scenario(folder)
    run = Run(folder, ["CLOSE_PROGRAM = YES", "TIME_PERIOD_MS=100", "SCENARIO_NAME = " + scenario,
                       "RESULT_PATH = " + os.path.join(folder, "out"), *schedule], arguments, env)
    run.wait_for(lambda: run.log()[:1] == ["Загружен сценарий " + scenario], "the scenario's log line")
    run.command("START_SCN")
    rows = [f"{name}={state}" for name in ("first", "second") for state in ("Загрузка", "Исполнение", "Выполнена")]
    expect_equal(run.finish(120), ["Загружен сценарий " + scenario, "Получена команда START_SCN",
                                   "Исполнение сценария " + scenario, *rows, "Итог Выполнен",
                                   "Завершен сценарий " + scenario, "Закрытие программы."], "log")
    for name in ("R9.ini", "Config/default1.cfg"):
        if not os.path.exists(run.path(name)):
            raise AssertionError(f"{name} was not written")
    check_protocol_folder(os.path.join(folder, "out"), "Результаты исполнения сценария")


def scenario_run(folder):
    run_scenario(folder)


def scenario_on_the_simulated_instrument(folder):
    # The simulated boot loader takes any firmware; this one is the smallest Intel-HEX file.
    os.makedirs(folder)
    with open(os.path.join(folder, "r9_307.i00"), "wb") as f:
        f.write(b":0400100012345678D8\r\n:00000001FF\r\n")
    run_scenario(folder, ["USB_PORT = 0002"], arguments=(), env={"R9_USB_BACKEND": "sim"})


def scenario_break(folder):
    """BREAK_SCN in the middle of a row pauses the run; the program goes on listening and CLOSE ends it."""
    scenario = two_row_scenario(folder)
    run = Run(folder, ["TIME_PERIOD_MS=100", "SCENARIO_NAME = " + scenario])
    run.wait_for(lambda: run.log()[:1] == ["Загружен сценарий " + scenario], "the scenario's log line")
    run.command("START_SCN", lambda: "first=Исполнение" in run.log())
    run.command("BREAK_SCN", lambda: "Прерван пользователем." in run.log())
    run.command("CLOSE")
    log = run.finish()
    expect_equal(log[:4], ["Загружен сценарий " + scenario, "Получена команда START_SCN",
                           "Исполнение сценария " + scenario, "first=Загрузка"], "log's start")
    expect_equal(log[-4:], ["Получена команда BREAK_SCN", "Прерван пользователем.", "Получена команда CLOSE",
                            "Закрытие программы."], "log's end")
    if any(line.startswith("second=") or line.startswith("Завершен сценарий") for line in log):
        raise AssertionError(f"the run went on after BREAK_SCN: {log}")


def schedule_faults(folder):
    os.makedirs(folder)
    scenario = os.path.join(folder, "a.scn")
    with open(scenario, "wb") as f:
        f.write("[Сценарий]\r\n".encode("cp1251"))
    cases = [
        (["SCENARIO_NAME = " + scenario, "TIME_PERIOD_MS=abc"], ["Синтаксическая ошибка в файле-расписании"]),
        (["SCENARIO_NAME = " + scenario, "RESULT_PATH =   "],
         ["Не задан каталог результатов в строке RESULT_PATH файла-расписания", "Закрытие программы."]),
        (["SCENARIO_NAME = " + os.path.join(folder, "missing.scn")],
         ["Сценарий " + os.path.join(folder, "missing.scn") + " не найден", "Закрытие программы."]),
        (["CONFIG_NAME = " + os.path.join(folder, "missing.cfg")],
         ["Конфигурация  " + os.path.join(folder, "missing.cfg") + " не найдена", "Закрытие программы."]),
    ]
    for number, (schedule, log) in enumerate(cases):
        run = Run(os.path.join(folder, str(number)), schedule)
        expect_equal(run.finish(), log, f"log of {schedule}")


def mailbox_names(folder):
    os.makedirs(folder)
    config = os.path.join(folder, "line3.cfg")
    shutil.copy(os.path.join(FIXTURES, "batch", "line3.cfg"), config)
    run = Run(folder, ["TIME_PERIOD_MS=50", "CONFIG_NAME=" + config])
    run.wait_for(lambda: len(run.log()) == 1, "the configuration's log line")
    for command in ("NEW_SCN", "NEW_SCN=" + os.path.join(folder, "none.scn"), "NEW_CFG=",
                    "NEW_CFG=" + os.path.join(folder, "none.cfg"), "NEW_CFG=" + config, "CLOSE"):
        run.command(command)
    expect_equal(run.finish(), [
        "Загружена конфигурация " + config,
        "Получена команда NEW_SCN", "Не задано имя сценария в команде NEW_SCN",
        "Получена команда NEW_SCN", "Cценарий " + os.path.join(folder, "none.scn") + " не найден",
        "Получена команда NEW_CFG", "Не задано имя конфигурации в команде NEW_CFG",
        "Получена команда NEW_CFG", "Конфигурация " + os.path.join(folder, "none.cfg") + " не найдена",
        "Получена команда NEW_CFG", "Загружена конфигурация " + config,
        "Получена команда CLOSE", "Закрытие программы.",
    ], "log")


def missing_instrument(folder):
    os.makedirs(folder)
    config = os.path.join(folder, "line3.cfg")
    shutil.copy(os.path.join(FIXTURES, "batch", "line3.cfg"), config)
    run = Run(folder, ["USB_PORT = 9999", "CONFIG_NAME=" + config], arguments=(), env={"R9_USB_BACKEND": "sim"})
    expect_equal(run.finish(), ["R-9_307 9999 не найден!", "Нет доступного порта или порт занят."], "log")
    if not run.read("R9_307.msg").startswith(b"R9_307.exe: "):
        raise AssertionError("the instrument's line has the program's source")


def modal_watch(folder):
    """The guard of the runs above must itself be able to fail: outside batch control, a protocol left open
    by an earlier run is filed away at start-up with a warning box, which the guard turns into status 86."""
    temp = os.path.join(folder, "Report", "Temp1")
    os.makedirs(temp)
    for name in ("_Start_1.html", "cnt0_1.html", "cnt1_1.html"):
        with open(os.path.join(temp, name), "wb") as f:
            f.write(b"<HTML></HTML>\n")
    environment = dict(os.environ, R9_PROGRAM_DIR=folder, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=folder,
                       ASAN_OPTIONS="detect_leaks=0", R9_NO_MODAL="1")
    run = subprocess.run([PROGRAM, "/demo"], env=environment, cwd=folder, capture_output=True, timeout=60)
    err = run.stderr.decode(errors="replace")
    if run.returncode != 86 or "R9_NO_MODAL: a modal window opened: QMessageBox" not in err:
        raise AssertionError(f"status {run.returncode}, stderr: {err[-2000:]}")


CASES = [config_run, scenario_break, scenario_on_the_simulated_instrument, scenario_run, schedule_faults, mailbox_names, missing_instrument, modal_watch]

failed = 0
with tempfile.TemporaryDirectory() as root:
    for case in CASES:
        if ONLY and case.__name__ not in ONLY:
            continue
        started = time.monotonic()
        try:
            case(os.path.join(root, case.__name__))
            print(f"ok   {case.__name__} ({time.monotonic() - started:.1f} s)")
        except AssertionError as error:
            failed += 1
            print(f"FAIL {case.__name__}: {error}")
print(f"{len(CASES) - failed if not ONLY else len(ONLY) - failed} passed, {failed} failed")
sys.exit(1 if failed else 0)
