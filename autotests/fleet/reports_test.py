#!/usr/bin/python3
"""The JUnit XML and node exporter metrics the command line writes, read by
the tools that consume them: xmllint against Jenkins' JUnit schema,
python3-junitparser, promtool, and a real node exporter scraped with curl."""

import json
import shutil
import socket
import subprocess
import tempfile
import time
import unittest
from datetime import datetime
from pathlib import Path

from fleet_support import (DESKS, EXPECTED_OUTCOME, SOURCE, desk_displays, free_port, junit_suites,
                           outcome, promtool_errors, run_cli, samples, schema_errors,
                           wait_for_port, write_desk)


def seconds_between(started, ended):
    parse = lambda text: datetime.fromisoformat(text.replace("Z", "+00:00"))
    return (parse(ended) - parse(started)).total_seconds()


class Outcomes(unittest.TestCase):
    """Every kind of outcome on a laptop panel and a projector without EDID:
    answered, the red purity test fails on the panel and is cancelled
    (aborted) on the projector; without input it is not performed. The
    fitting test passes on the panel and ends in an internal error on the
    projector."""

    @classmethod
    def setUpClass(cls):
        cls.folder = Path(tempfile.mkdtemp(prefix="fleet-reports."))
        desk = f"sim:{DESKS / 'projector-no-edid.json'}"
        cls.listed = json.loads(run_cli("--platform", desk, "--list", "--json").stdout)["devices"]
        cls.outputs = []
        for name, answers in (("answered", ["--answers", "continue,no,cancel"]),
                              ("unattended", ["--no-input"])):
            junit, metrics = cls.folder / f"{name}.junit.xml", cls.folder / f"{name}.prom"
            cli = run_cli("--platform", desk, "-Mdisplay", "-Qr,f",
                          "--set", "CSAT.CSAT_TEST_TIMEOUT=1", *answers, "--json",
                          "--junit", str(junit), "--metrics", str(metrics))
            runs = json.loads(cli.stdout)["runs"]
            # The same run as text gives each run's messages as a person reads them.
            text = run_cli("--platform", desk, "-Mdisplay", "-Qr,f",
                           "--set", "CSAT.CSAT_TEST_TIMEOUT=1", *answers).stdout
            readable = []
            for line in text.decode().split("\n\n")[0].splitlines():
                if line.startswith("    "):
                    readable[-1].append(line.strip())
                else:
                    readable.append([])
            assert len(readable) == len(runs), text
            for run, lines in zip(runs, readable):
                run["readable"] = lines
            cls.outputs.append((cli, runs, junit, metrics))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def test_the_runs_have_every_outcome(self):
        self.assertEqual([cli.returncode for cli, *_ in self.outputs], [1, 3])
        names = {run["resultName"] for _, runs, *_ in self.outputs for run in runs}
        self.assertEqual(names, {"Passed", "Failed", "Aborted", "NotPerformed"})

    def test_junit_validates_and_reads_back_as_the_runs(self):
        for _, all_runs, junit, _ in self.outputs:
            self.assertEqual(schema_errors(junit), "")
            suites = junit_suites(junit)
            self.assertEqual([suite.name.split(" · ")[0] for suite in suites],
                             [device["id"] for device in self.listed])
            for suite, device in zip(suites, self.listed):
                self.check_suite(suite, device,
                                 [run for run in all_runs if run["device"] == device["id"]])

    def check_suite(self, suite, device, runs):
        self.assertEqual(suite.hostname, socket.gethostname())
        datetime.strptime(suite.timestamp, "%Y-%m-%dT%H:%M:%S")
        properties = {p.name: p.value for p in suite.properties()}
        connector = device["platform"]["connector"]
        self.assertEqual(properties["connector"], connector)
        self.assertTrue(suite.name.endswith(" · " + connector), suite.name)
        for key, name in (("CURRENT_RESOLUTION", "currentResolution"),
                          ("NATIVE_RESOLUTION", "nativeResolution"),
                          ("MANUFACTURER_ID", "manufacturer")):
            values = [p["value"] for p in device["properties"] if p["key"] == key]
            self.assertEqual(properties.get(name), values[0] if values else None, name)
        cases = list(suite)
        self.assertEqual([(c.classname, c.name) for c in cases],
                         [("display." + r["device"], r["test"]) for r in runs])
        for case, run in zip(cases, runs):
            self.assertEqual(outcome(case), EXPECTED_OUTCOME[run["resultName"]], run)
            self.assertAlmostEqual(case.time, seconds_between(run["started"], run["ended"]),
                                   delta=0.0015)
            # The module's message keys, worded for the people who read dashboards.
            self.assertEqual(len(run["readable"]), len(run["messages"]), run)
            self.assertEqual(case.system_out or "", "\n".join(run["readable"]))
            if case.result:
                self.assertEqual(case.result[0].type, run["resultName"])
                self.assertEqual(case.result[0].message, (run["readable"] or [None])[0])
                self.assertEqual(case.result[0].text or "", "\n".join(run["readable"]))
        kinds = [outcome(case) for case in cases]
        self.assertEqual((suite.tests, suite.failures, suite.errors, suite.skipped),
                         (len(cases), kinds.count("Failed"), kinds.count("Error"),
                          kinds.count("Skipped")))
        self.assertAlmostEqual(suite.time, sum(case.time for case in cases), delta=0.002)

    def test_metrics_pass_promtool_and_carry_each_result(self):
        for _, runs, _, metrics in self.outputs:
            text = metrics.read_text(encoding="utf-8")
            self.assertEqual(promtool_errors(text.encode()), "")
            found = samples(text)
            info = [labels for labels, value in found["orvane_display_info"] if value == 1]
            self.assertEqual([(labels["device"], labels["connector"]) for labels in info],
                             [(d["id"], d["platform"]["connector"]) for d in self.listed])
            results = {(l["device"], l["test"]): v for l, v in found["orvane_display_test_result"]}
            passed = {(l["device"], l["test"]): v for l, v in found["orvane_display_test_passed"]}
            self.assertEqual(results, {(r["device"], r["test"]): r["result"] for r in runs})
            self.assertEqual(passed, {(r["device"], r["test"]): float(r["result"] == 0)
                                      for r in runs})
            [(_, ended)] = found["orvane_display_last_run_timestamp_seconds"]
            last = datetime.fromisoformat(runs[-1]["ended"].replace("Z", "+00:00"))
            self.assertAlmostEqual(ended, last.timestamp(), delta=0.002)


class Reports(unittest.TestCase):
    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="fleet-reports."))

    def tearDown(self):
        shutil.rmtree(self.folder)

    def test_no_display_gives_documents_without_displays(self):
        desk = write_desk(self.folder / "empty.json", [])
        junit, metrics = self.folder / "empty.junit.xml", self.folder / "empty.prom"
        cli = run_cli("--platform", f"sim:{desk}", "-Mdisplay", "-Qf", "--junit", str(junit),
                      "--metrics", str(metrics))
        self.assertEqual(cli.returncode, 4, cli.stderr)
        self.assertEqual(schema_errors(junit), "")
        self.assertEqual(junit_suites(junit), [])
        text = metrics.read_text(encoding="utf-8")
        self.assertEqual(promtool_errors(text.encode()), "")
        found = samples(text)
        self.assertNotIn("orvane_display_info", found)
        self.assertEqual(len(found["orvane_display_last_run_timestamp_seconds"]), 1)

    def test_label_values_and_xml_keep_awkward_connector_names(self):
        # Quotes, a backslash, a line feed and an escape byte in an output name.
        connector = 'HDMI-"A"\\1\n\x1b'
        display = dict(desk_displays("office.json")[0], output=connector)
        desk = write_desk(self.folder / "awkward.json", [display])
        junit, metrics = self.folder / "a.junit.xml", self.folder / "a.prom"
        cli = run_cli("--platform", f"sim:{desk}", "-Mdisplay", "-Qf", "--junit", str(junit),
                      "--metrics", str(metrics))
        self.assertEqual(cli.returncode, 0, cli.stderr)
        text = metrics.read_text(encoding="utf-8")
        self.assertEqual(promtool_errors(text.encode()), "")
        [(labels, _)] = samples(text)["orvane_display_info"]
        self.assertEqual(labels["connector"], connector)
        self.assertEqual(schema_errors(junit), "")
        [suite] = junit_suites(junit)
        self.assertEqual({p.name: p.value for p in suite.properties()}["connector"],
                         'HDMI-"A"\\1\n\\x1b')

    def test_standard_output_and_bad_paths(self):
        office = f"sim:{DESKS / 'office.json'}"
        cli = run_cli("--platform", office, "-Mdisplay", "-Qf", "--junit", "-")
        self.assertEqual(cli.returncode, 0, cli.stderr)
        self.assertEqual(schema_errors(cli.stdout), "")
        self.assertIn(b"<testsuites", cli.stdout)
        self.assertNotIn(b"resolution", cli.stdout.split(b"<?xml")[0])  # no text results first
        cli = run_cli("--platform", office, "-Mdisplay", "-Qf", "--metrics", "-")
        self.assertEqual(promtool_errors(cli.stdout), "")
        for arguments, said in (
                (["-Qf", "--junit", "-", "--json"], b"standard output"),
                (["-Qf", "--junit", "-", "--metrics", "-"], b"standard output"),
                (["-Qf", "--junit", str(self.folder / "no" / "such.xml")], b"no/such.xml"),
                (["--list", "--metrics", str(self.folder / "m.prom")], b"--list")):
            cli = run_cli("--platform", office, "-Mdisplay", *arguments)
            self.assertEqual(cli.returncode, 2, arguments)
            self.assertIn(said, cli.stderr, arguments)
            self.assertNotIn(b"resolution_fitting", cli.stdout, arguments)
        self.assertEqual(list(self.folder.iterdir()), [], "nothing is left behind")


class NodeExporter(unittest.TestCase):
    """A real node exporter reads the metrics file from its textfile folder."""

    def test_node_exporter_serves_the_metrics(self):
        top = Path(tempfile.mkdtemp(prefix="fleet-exporter."))
        self.addCleanup(shutil.rmtree, top)
        folder = top / "textfile"
        folder.mkdir()
        cli = run_cli("--platform", f"sim:{DESKS / 'office.json'}", "-Mdisplay", "-Qf",
                      "--metrics", str(folder / "orvane_display.prom"))
        self.assertEqual(cli.returncode, 0, cli.stderr)
        self.assertEqual(oct((folder / "orvane_display.prom").stat().st_mode & 0o444), "0o444",
                         "a collector running as another user can read the file")
        log = top / "exporter.log"
        for attempt in range(3):  # another program may take the port first
            port = free_port()
            with open(log, "wb") as output:
                exporter = subprocess.Popen(
                    ["prometheus-node-exporter", f"--web.listen-address=127.0.0.1:{port}",
                     "--collector.disable-defaults", "--collector.textfile",
                     f"--collector.textfile.directory={folder}"],
                    stdout=output, stderr=output)
            self.addCleanup(exporter.wait)
            self.addCleanup(exporter.terminate)
            if wait_for_port(port, exporter):
                break
        else:
            self.fail("the node exporter did not start: " + log.read_text())
        scraped = subprocess.run(["curl", "--silent", "--show-error", "--fail",
                                  f"http://127.0.0.1:{port}/metrics"],
                                 capture_output=True, check=True, timeout=30).stdout.decode()
        found = samples(scraped)
        self.assertEqual([value for _, value in found["node_textfile_scrape_error"]], [0.0])
        info = sorted((l["device"], l["connector"], l["model"]) for l, _ in
                      found["orvane_display_info"])
        self.assertEqual(info, [("dpy1", "DP-1", "DELL AW2518HF"), ("dpy2", "VGA-1", "E19-7")])
        self.assertEqual(sorted(found["orvane_display_test_passed"],
                                key=lambda sample: sample[0]["device"]),
                         [({"device": "dpy1", "test": "resolution_fitting"}, 1.0),
                          ({"device": "dpy2", "test": "resolution_fitting"}, 1.0)])


if __name__ == "__main__":
    unittest.main(verbosity=2)
