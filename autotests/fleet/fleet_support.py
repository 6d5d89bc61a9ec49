"""What the fleet report tests share: running the command line, free ports
on 127.0.0.1, simulated desks written for a test, and the checks every
JUnit and metrics file must pass whoever wrote it."""

import json
import os
import socket
import subprocess
import time
from pathlib import Path

import junitparser
from prometheus_client.parser import text_string_to_metric_families

SOURCE = Path(os.environ.get("MODULE_DISPLAY_SOURCE_DIR", Path(__file__).resolve().parents[2]))
CLI = os.environ["HOST_CLI"]
SCHEMA = Path(__file__).with_name("jenkins-junit.xsd")
DESKS = SOURCE / "examples" / "desks"


def run_cli(*arguments, timeout=120):
    return subprocess.run([CLI, *arguments], capture_output=True, timeout=timeout, check=False)


def free_port():
    """A port above 1024 nobody listens on at the moment, on 127.0.0.1."""
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for_port(port, process, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if process.poll() is not None:
            return False
        with socket.socket() as probe:
            if probe.connect_ex(("127.0.0.1", port)) == 0:
                return True
        time.sleep(0.1)
    return False


def write_desk(path, displays):
    path.write_text(json.dumps({"displays": displays}), encoding="utf-8")
    return path


def desk_displays(name):
    return json.loads((DESKS / name).read_text(encoding="utf-8"))["displays"]


def schema_errors(path):
    """xmllint's complaints about a JUnit file (or "-" with its bytes), empty when valid."""
    if isinstance(path, bytes):
        result = subprocess.run(["xmllint", "--noout", "--schema", str(SCHEMA), "-"],
                                input=path, capture_output=True, check=False)
    else:
        result = subprocess.run(["xmllint", "--noout", "--schema", str(SCHEMA), str(path)],
                                capture_output=True, check=False)
    return "" if result.returncode == 0 else result.stderr.decode(errors="replace")


def promtool_errors(text):
    result = subprocess.run(["promtool", "check", "metrics"], input=text, capture_output=True,
                            check=False)
    return "" if result.returncode == 0 else (result.stdout + result.stderr).decode()


def samples(text):
    """{metric name: [(labels, value), ...]} as Prometheus' own parser reads them."""
    found = {}
    for family in text_string_to_metric_families(text):
        for sample in family.samples:
            found.setdefault(sample.name, []).append((sample.labels, sample.value))
    return found


def junit_suites(path):
    xml = junitparser.JUnitXml.fromfile(str(path))
    return list(xml) if isinstance(xml, junitparser.JUnitXml) else [xml]


def outcome(case):
    """The kind of result junitparser sees on a case, by the run's result name."""
    kinds = {type(result).__name__ for result in case.result}
    if not kinds:
        return "Passed"
    assert len(kinds) == 1, kinds
    return {"Failure": "Failed", "Error": "Error", "Skipped": "Skipped"}[kinds.pop()]


EXPECTED_OUTCOME = {"Passed": "Passed", "Failed": "Failed", "NotPerformed": "Skipped",
                    "NotRun": "Skipped", "Aborted": "Error"}
