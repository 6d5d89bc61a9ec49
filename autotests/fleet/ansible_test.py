#!/usr/bin/python3
"""The example playbook run for real: ansible-playbook against three hosts
on this machine, two over Ansible's local connection and one over SSH to an
sshd this test starts on 127.0.0.1 with keys it generates. Each host has its
own simulated desk, one of them without displays. The reports collected on
the controller and the fleet summary are then checked, and a second run
shows that a host whose command fails is failed alone."""

import csv
import getpass
import html.parser
import json
import os
import re
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from fleet_support import (CLI, DESKS, EXPECTED_OUTCOME, SOURCE, desk_displays, free_port, junit_suites,
                           outcome, promtool_errors, samples, schema_errors, wait_for_port,
                           write_desk)

PLAYBOOK = SOURCE / "examples" / "ansible" / "display-check.yml"


class TableCells(html.parser.HTMLParser):
    """The text of every table row of a page."""

    def __init__(self):
        super().__init__()
        self.rows, self.cell = [], None

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self.rows.append([])
        elif tag in ("td", "th"):
            self.cell = ""

    def handle_endtag(self, tag):
        if tag in ("td", "th"):
            self.rows[-1].append(self.cell)
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


def start_sshd(folder):
    """An sshd on 127.0.0.1 that lets this user in with a key made here."""
    for key in ("host_key", "client_key"):
        subprocess.run(["ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-C", "fleet-test",
                        "-f", str(folder / key)], check=True)
    shutil.copy(folder / "client_key.pub", folder / "authorized_keys")
    # The privilege separation folder the system's service would create.
    if os.geteuid() == 0:
        Path("/run/sshd").mkdir(mode=0o755, exist_ok=True)
    for attempt in range(3):
        port = free_port()
        (folder / "sshd_config").write_text(f"""\
ListenAddress 127.0.0.1
Port {port}
HostKey {folder / 'host_key'}
PidFile {folder / 'sshd.pid'}
AuthorizedKeysFile {folder / 'authorized_keys'}
AllowUsers {getpass.getuser()}
PermitRootLogin prohibit-password
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
UseDNS no
StrictModes no
Subsystem sftp internal-sftp
""")
        sshd = subprocess.Popen(["/usr/sbin/sshd", "-D", "-f", str(folder / "sshd_config"),
                                 "-E", str(folder / "sshd.log")])
        if wait_for_port(port, sshd):
            host_key = (folder / "host_key.pub").read_text().split()[:2]
            (folder / "known_hosts").write_text(f"[127.0.0.1]:{port} {' '.join(host_key)}\n")
            return sshd, port
        sshd.terminate()
        sshd.wait()
    raise RuntimeError("sshd did not start: " + (folder / "sshd.log").read_text())


def ansible_environment(folder):
    environment = dict(os.environ)
    environment.update({
        "ANSIBLE_CONFIG": str(folder / "no-ansible.cfg"),  # none of the machine's settings
        "ANSIBLE_HOME": str(folder / "ansible-home"),
        "ANSIBLE_LOCAL_TEMP": str(folder / "ansible-local"),
        "ANSIBLE_REMOTE_TEMP": str(folder / "ansible-remote"),
        "ANSIBLE_NOCOLOR": "1",
        "ANSIBLE_RETRY_FILES_ENABLED": "0",
        "ANSIBLE_HOST_KEY_CHECKING": "1",
        # One SSH round trip per task instead of several, as fleets run it.
        "ANSIBLE_PIPELINING": "1",
        "PATH": "/usr/bin:/bin:/usr/sbin:/sbin",
    })
    return environment


def run_playbook(folder, inventory):
    """ansible-playbook's exit status and output. The output goes through a
    file: the SSH connection Ansible keeps open afterwards holds on to it."""
    log = folder / "ansible.log"
    with open(log, "w", encoding="utf-8") as output:
        status = subprocess.run(["ansible-playbook", "-i", str(inventory), str(PLAYBOOK)],
                                stdout=output, stderr=subprocess.STDOUT, timeout=900,
                                env=ansible_environment(folder), check=False).returncode
    # Close the SSH master connections Ansible left for later plays.
    for socket_path in (folder / "ansible-home" / "cp").glob("*"):
        subprocess.run(["ssh", "-o", f"ControlPath={socket_path}", "-O", "exit", "127.0.0.1"],
                       capture_output=True, timeout=30, check=False)
    return status, log.read_text(encoding="utf-8")


def recap(output):
    """{host: {"ok": n, "failed": n, ...}} from the play recap."""
    hosts = {}
    for host, counts in re.findall(r"^(\S+)\s+:\s+(ok=.*)$", output, re.M):
        hosts[host] = {key: int(value) for key, value in re.findall(r"(\w+)=(\d+)", counts)}
    return hosts


class Playbook(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = Path(tempfile.mkdtemp(prefix="fleet-ansible."))
        cls.sshd, port = start_sshd(cls.folder)
        cls.reports = cls.folder / "reports"
        cls.textfile = cls.folder / "textfile"
        cls.textfile.mkdir()
        # The SSH host's panel sits on an output that offers less than its
        # native resolution, on a connector whose name needs quoting.
        panel = desk_displays("office.json")[0]
        panel = dict(panel, output='DP-1,"front"<b>',
                     modes=[m for m in panel["modes"] if m["height"] != 1080], currentMode=0)
        cls.desks = {
            "bench-local": SOURCE / "examples" / "desks" / "office.json",
            "bench-ssh": write_desk(cls.folder / "narrow.json", [panel]),
            "bench-empty": write_desk(cls.folder / "empty.json", []),
        }
        ssh = (f"ansible_host=127.0.0.1 ansible_port={port} ansible_user={getpass.getuser()} "
               f"ansible_ssh_private_key_file={cls.folder / 'client_key'} "
               f"ansible_ssh_common_args='-o UserKnownHostsFile={cls.folder / 'known_hosts'} "
               f"-o StrictHostKeyChecking=yes' orvane_textfile_dir={cls.textfile}")
        cls.inventory = cls.folder / "inventory.ini"
        cls.inventory.write_text(f"""\
[bench]
bench-local ansible_connection=local orvane_platform=sim:{cls.desks['bench-local']} orvane_settings={SOURCE / 'examples' / 'settings' / 'display.ini'}
bench-ssh {ssh} orvane_platform=sim:{cls.desks['bench-ssh']}
bench-empty ansible_connection=local orvane_platform=sim:{cls.desks['bench-empty']}

[bench:vars]
ansible_python_interpreter=/usr/bin/python3
orvane_cli={CLI}
orvane_reports_dir={cls.reports}
""")
        cls.status, cls.output = run_playbook(cls.folder, cls.inventory)

    @classmethod
    def tearDownClass(cls):
        cls.sshd.terminate()
        cls.sshd.wait()
        shutil.rmtree(cls.folder)

    def test_every_host_succeeds_and_one_went_over_ssh(self):
        self.assertEqual(self.status, 0, self.output)
        hosts = recap(self.output)
        self.assertEqual(sorted(hosts), ["bench-empty", "bench-local", "bench-ssh", "localhost"])
        self.assertTrue(all(h["failed"] == 0 and h["unreachable"] == 0 for h in hosts.values()))
        self.assertIn(f"Accepted publickey for {getpass.getuser()}",
                      (self.folder / "sshd.log").read_text())

    def test_each_host_brought_back_its_reports(self):
        for host, desk in self.desks.items():
            folder = self.reports / host
            report = json.loads((folder / "display.json").read_text())
            displays = json.loads(Path(desk).read_text())["displays"]
            self.assertEqual(report["host"], host)
            self.assertEqual(report["status"], 0 if displays else 4, host)
            self.assertEqual(len(report["devices"]), len(displays), host)
            self.assertEqual([run["device"] for run in report["runs"]],
                             [device["id"] for device in report["devices"]])
            self.assertEqual(schema_errors(folder / "display.junit.xml"), "", host)
            suites = junit_suites(folder / "display.junit.xml")
            self.assertEqual(len(suites), len(displays), host)
            for suite, run in zip(suites, report["runs"]):
                [case] = list(suite)
                self.assertEqual((case.classname, case.name),
                                 ("display." + run["device"], "resolution_fitting"))
                self.assertEqual(outcome(case), EXPECTED_OUTCOME[run["resultName"]])
            metrics = (folder / "display.prom").read_text(encoding="utf-8")
            self.assertEqual(promtool_errors(metrics.encode()), "", host)
            devices = [labels["device"] for labels, _ in
                       samples(metrics).get("orvane_display_info", [])]
            self.assertEqual(devices, [device["id"] for device in report["devices"]], host)

    def test_metrics_are_installed_only_where_a_textfile_folder_is_set(self):
        self.assertEqual([p.name for p in self.textfile.iterdir()], ["orvane_display.prom"])
        self.assertEqual((self.textfile / "orvane_display.prom").read_bytes(),
                         (self.reports / "bench-ssh" / "display.prom").read_bytes())

    def test_fleet_summary_has_a_row_per_display_and_per_empty_host(self):
        with open(self.reports / "fleet.csv", newline="", encoding="utf-8") as file:
            rows = list(csv.reader(file))
        self.assertEqual(rows, [
            ["host", "device", "model", "serial number", "connector", "fitting verdict"],
            ["bench-empty", "", "", "", "", "no display"],
            ["bench-local", "dpy1", "DELL AW2518HF", "F5V7893S1JKU", "DP-1", "fits"],
            ["bench-local", "dpy2", "E19-7", rows[3][3], "VGA-1", "fits"],
            ["bench-ssh", "dpy1", "DELL AW2518HF", "F5V7893S1JKU", 'DP-1,"front"<b>',
             "cannot reach native resolution"],
        ])
        page = TableCells()
        page.feed((self.reports / "fleet.html").read_text(encoding="utf-8"))
        self.assertEqual(page.rows, rows)


class FailingHost(unittest.TestCase):
    def test_a_host_whose_run_fails_fails_alone(self):
        folder = Path(tempfile.mkdtemp(prefix="fleet-ansible."))
        self.addCleanup(shutil.rmtree, folder)
        empty = write_desk(folder / "empty.json", [])
        # A settings file that does not parse: the run stops with status 2 after the listing.
        (folder / "broken.ini").write_text("[CSAT\n")
        reports = folder / "reports"
        (folder / "inventory.ini").write_text(f"""\
bench-broken ansible_connection=local orvane_platform=sim:{DESKS / 'office.json'} \
orvane_settings={folder / 'broken.ini'}
bench-empty ansible_connection=local orvane_platform=sim:{empty}

[all:vars]
ansible_python_interpreter=/usr/bin/python3
orvane_cli={CLI}
orvane_reports_dir={reports}
""")
        status, output = run_playbook(folder, folder / "inventory.ini")
        self.assertEqual(status, 2, output)
        hosts = recap(output)
        self.assertEqual((hosts["bench-broken"]["failed"], hosts["bench-empty"]["failed"],
                          hosts["localhost"]["failed"]), (1, 0, 0), output)
        self.assertIn("a section header without a closing bracket", output)
        self.assertFalse((reports / "bench-broken").exists())
        with open(reports / "fleet.csv", newline="", encoding="utf-8") as file:
            self.assertEqual(list(csv.reader(file))[1:],
                             [["bench-broken", "", "", "", "", "no report"],
                              ["bench-empty", "", "", "", "", "no display"]])


if __name__ == "__main__":
    unittest.main(verbosity=2)
