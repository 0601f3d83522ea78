"""Drives the page in WebKitGTK, the engine of Safari and of every browser on
an iPad, through WebKitWebDriver and its MiniBrowser under Xvfb: every
transcript typed as keystrokes, or the runs of scenarios.json, as
browser_test.mjs does in Chromium and Firefox.

  xvfb-run -a python3 webkit_test.py MINIBROWSER PAGE TRANSCRIPTS_DIR transcripts|scenarios
"""
import json
import pathlib
import re
import sys
import time

from selenium import webdriver
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait
from selenium.webdriver.webkitgtk.options import Options

HERE = pathlib.Path(__file__).resolve().parent
TIMEOUT = 60

TEXT_JS = ("return [...document.querySelectorAll('#konsoll > .' + arguments[0])]"
           ".map((e) => e.textContent).join('');")
STATUS_JS = "return document.getElementById(arguments[0]).textContent;"
PASTE_JS = """
const event = new ClipboardEvent('paste', { clipboardData: new DataTransfer(), bubbles: true, cancelable: true });
event.clipboardData.setData('text/plain', arguments[0]);
document.getElementById('linje').dispatchEvent(event);
"""
AXE_JS = """
const done = arguments[arguments.length - 1];
window.axe.run(document).then((result) => done(result.violations.map(
  (v) => `${v.id}: ${v.help} (${v.nodes.map((n) => n.target.join(' ')).join(', ')})`)));
"""


def split_for_typing(text):
    """The text as pieces to type and pieces to paste, as steps.mjs does."""
    pieces = []
    for line in re.findall(r"[^\n]*\n|[^\n]+$", text):
        typeable = not re.search(r"[\x00-\x09\x0b-\x1f\x7f]", line)
        if typeable and pieces and "keys" in pieces[-1]:
            pieces[-1]["keys"] += line
        else:
            pieces.append({"keys": line} if typeable else {"paste": line})
    return pieces


def expand_paste(parts):
    return "".join(part[0] * part[1] if isinstance(part, list) else part for part in parts)


class Run:
    def __init__(self, driver):
        self.driver = driver
        self.typed = ""

    def output(self):
        return self.driver.execute_script(TEXT_JS, "ut")

    def shown_typed(self):
        return self.driver.execute_script(TEXT_JS, "inn")

    def ended(self):
        return self.driver.execute_script(STATUS_JS, "avsluttet") != ""

    def keys(self, *keys):
        ActionChains(self.driver).send_keys(*keys).perform()

    def type(self, text):
        for piece in split_for_typing(text):
            if "paste" in piece:
                self.driver.execute_script(PASTE_JS, piece["paste"])
                continue
            for part in re.split(r"(\n)", piece["keys"]):
                if part == "\n":
                    self.keys(Keys.ENTER)
                elif part:
                    self.keys(part)
        self.typed += text

    def paste(self, text):
        self.driver.execute_script(PASTE_JS, text)
        self.typed += text

    def ctrl_d(self):
        ActionChains(self.driver).key_down(Keys.CONTROL).send_keys("d").key_up(Keys.CONTROL).perform()

    def await_true(self, condition, what):
        try:
            WebDriverWait(self.driver, TIMEOUT, poll_frequency=0.02).until(lambda _: condition())
        except Exception as error:
            raise AssertionError(f"waited in vain for {what}") from error

    def await_output(self, end):
        self.await_true(lambda: self.output().endswith(end), f"output ending {end!r}")

    def await_status(self, element, text):
        self.await_true(lambda: self.driver.execute_script(STATUS_JS, element) == text, f"#{element} {text!r}")

    def axe(self, when):
        if not self.driver.execute_script("return 'axe' in window;"):
            self.driver.execute_script((HERE / "node_modules/axe-core/axe.min.js").read_text())
        violations = self.driver.execute_async_script(AXE_JS)
        if violations:
            raise AssertionError(f"axe-core {when}:\n  " + "\n  ".join(violations))


def run_transcript(driver, page_url, transcripts, name):
    data = (transcripts / f"{name}.in").read_bytes()
    expected = (transcripts / f"{name}.out").read_text()
    driver.get(page_url)
    run = Run(driver)
    run.type(data.decode())  # a byte that is not UTF-8 cannot be typed; the transcripts hold none
    if data and not data.endswith(b"\n") and not run.ended():
        run.ctrl_d()
    if not run.ended():
        run.ctrl_d()
    run.await_status("avsluttet", "Programmet er avsluttet.")
    output = run.output()
    if output != expected:
        raise AssertionError(f"output {output!r}, expected {expected!r}")
    shown = run.shown_typed()
    if not run.typed.startswith(shown):  # keys typed after the program ended go nowhere
        raise AssertionError(f"shows {shown!r} as typed")


def run_scenario(driver, page_url, scenario, prompts):
    driver.get(page_url)
    run = Run(driver)

    def text(t):
        return t.replace("@prompts@", prompts)

    for step in scenario["steps"]:
        if "type" in step:
            run.type(step["type"])
        elif "paste" in step:
            run.paste(expand_paste(step["paste"]))
        elif "ctrl_d" in step:
            run.ctrl_d()
        elif "tab_enter" in step:
            run.keys(Keys.TAB)
            run.keys(Keys.ENTER)
            run.typed = ""
        elif "await_output" in step:
            run.await_output(text(step["await_output"]))
        elif "await_status" in step:
            run.await_status(*step["await_status"])
        elif "expect_running" in step:
            time.sleep(step["expect_running"] / 1000)
            if run.ended():
                raise AssertionError("the program ended without waiting")
        elif "expect_output" in step:
            output = run.output()
            if output != text(step["expect_output"]):
                raise AssertionError(f"output {output!r}")
        elif "expect_focus" in step:
            focus = driver.execute_script("return document.activeElement && document.activeElement.id;")
            if focus != step["expect_focus"]:
                raise AssertionError(f"the focus is on {focus!r}, not {step['expect_focus']!r}")
        elif "axe" in step:
            run.axe(step["axe"])
        else:
            raise AssertionError(f"unknown step {step!r}")
    shown = run.shown_typed()
    if shown != run.typed:
        raise AssertionError(f"shows {len(shown)} characters as typed, not the {len(run.typed)} typed")


def main():
    minibrowser, page, transcripts, what = sys.argv[1:5]
    page_url = pathlib.Path(page).resolve().as_uri()
    transcripts = pathlib.Path(transcripts)
    options = Options()
    options.binary_location = minibrowser
    options.add_argument("--automation")
    driver = webdriver.WebKitGTK(options=options)
    driver.set_script_timeout(TIMEOUT)
    runs = []
    if what == "transcripts":
        for name in sorted(p.stem for p in transcripts.glob("*.in")):
            runs.append((f"transcript {name}", lambda n=name: run_transcript(driver, page_url, transcripts, n)))
    else:
        spec = json.loads((HERE / "scenarios.json").read_text())
        for scenario in spec["scenarios"]:
            runs.append((scenario["name"], lambda s=scenario: run_scenario(driver, page_url, s, spec["prompts"])))
    failures = 0
    try:
        for name, body in runs:
            try:
                body()
                print(f"ok: {name}", flush=True)
            except Exception as error:  # every run is reported, and the next one runs
                failures += 1
                print(f"FAILED: {name}: {error}", flush=True)
    finally:
        driver.quit()
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
