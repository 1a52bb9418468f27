// Drives `vorlane preview` in a real browser (Debian's chromium, headless, through puppeteer-core) the way a user
// does: edits by mouse and keyboard, the panel's reaction, scrubbing, undo. Also measures how long an edit takes
// to reach the screen, and with VORLANE_SCREENSHOT=FILE saves a picture of the page.
//
//   VORLANE_EXE=build/linux/bin/vorlane NODE_PATH=build/linux/browser/node_modules node preview_browser_test.js
"use strict";
const assert = require("node:assert/strict");
const { spawn, execFileSync } = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const puppeteer = require("puppeteer-core");

const exe = process.env.VORLANE_EXE;
const chromium = process.env.VORLANE_CHROMIUM || "/usr/bin/chromium";
const crowd = process.env.VORLANE_CROWD_SCENE;

function startPreview(args) {
  const child = spawn(exe, ["preview", "--port", "0", "-j", "2", ...args], { stdio: ["ignore", "pipe", "inherit"] });
  return new Promise((resolve, reject) => {
    let out = "";
    child.stdout.on("data", (chunk) => {
      out += chunk;
      const url = out.match(/open (http:\/\/\S+)/);
      if (url) resolve({ child, url: url[1] });
    });
    child.on("exit", (code) => reject(new Error("vorlane preview exited with " + code)));
  });
}

function stopPreview(child) {
  return new Promise((resolve) => {
    child.removeAllListeners("exit");
    child.on("exit", (code) => resolve(code));
    child.kill("SIGINT");
  });
}

const row = (name) => `[data-param="${name}"]`;

async function controls(page) {
  return page.evaluate(async () => (await (await fetch("/api/params")).json()));
}

async function value(page, name) {
  return (await controls(page)).find((c) => c.name === name).value;
}

async function displayed(page, name) {
  return page.$eval(row(name), (el) => el.offsetParent !== null);
}

// The page counts edits whose panel and picture are both shown.
async function waitForGeneration(page, before) {
  await page.waitForFunction((g) => document.body.dataset.settled !== g, {}, before);
}

async function generation(page) {
  return page.$eval("body", (body) => body.dataset.settled);
}

// Types into a control's number field and commits it, as a user does with Tab.
async function typeValue(page, name, text) {
  const before = await generation(page);
  const field = await page.$(row(name) + ' input[type="number"]');
  await field.click({ clickCount: 3 });
  await field.type(String(text));
  await page.keyboard.press("Tab");
  await waitForGeneration(page, before);
}

async function choose(page, name, choice) {
  const before = await generation(page);
  await page.select(row(name) + " select", choice);
  await waitForGeneration(page, before);
}

// The viewer's pixels, and those of a PNG file, through the same canvas.
// `png` is base64; it becomes a blob URL, which the page's content policy allows.
async function pixels(page, png) {
  return page.evaluate(async (base64) => {
    const img = base64 ? new Image() : document.getElementById("viewer");
    if (base64) {
      const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
      img.src = URL.createObjectURL(new Blob([bytes], { type: "image/png" }));
      await img.decode();
    }
    const canvas = document.createElement("canvas");
    canvas.width = img.naturalWidth;
    canvas.height = img.naturalHeight;
    const context = canvas.getContext("2d");
    context.drawImage(img, 0, 0);
    return Array.from(context.getImageData(0, 0, canvas.width, canvas.height).data);
  }, png);
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

// From an edit to its first picture on screen (a quick one, or the chosen one when that is quick already), and to
// the picture at the chosen resolution with the panel.
async function timeEdits(page, count) {
  await page.evaluate(() => { window.vorlane.timings = []; window.vorlane.firstTimings = []; });
  for (let i = 0; i < count; ++i) {
    await typeValue(page, "Seed", 100 + i);
  }
  const [timings, first] = await page.evaluate(() => [window.vorlane.timings, window.vorlane.firstTimings]);
  assert.equal(first.length, count);
  return { median: median(timings), worst: Math.max(...timings), first: median(first), firstWorst: Math.max(...first) };
}

function timingLine(what, t, count) {
  return `${what}: edit to first picture median ${t.first.toFixed(1)} ms, worst ${t.firstWorst.toFixed(1)} ms; ` +
         `to the chosen resolution median ${t.median.toFixed(1)} ms, worst ${t.worst.toFixed(1)} ms over ${count} edits`;
}

async function openPage(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 800 });
  const errors = [];
  page.on("pageerror", (e) => errors.push(e.message));
  await page.goto(url);
  await page.waitForSelector("body[data-ready=true]");
  return { page, errors };
}

async function demo(browser) {
  const { child, url } = await startPreview([]);
  try {
    const { page, errors } = await openPage(browser, url);

    // Every parameter the effect added has a row (the group's end is no control of its own).
    const names = await page.$$eval("[data-param]", (rows) => rows.map((r) => r.dataset.param));
    assert.equal(names.length, 39);
    assert.ok(names.includes("Time Offset Randomness (frames)") && names.includes("Composite"));

    // The demo uses three layers: Layer 4 and 5 and their frequencies are not shown; "Bidirectional" is off, so
    // its alignment is disabled.
    assert.equal(await displayed(page, "Layer 4"), false);
    assert.equal(await page.$eval(row("Bidirectional Alignment"), (el) => el.getAttribute("aria-disabled")), "true");
    const layerChoices = await page.$$eval(row("Layer 1") + " option", (o) => o.map((x) => x.value));
    assert.deepEqual(layerChoices, ["None", "blob", "star", "arrow"]);

    // "Layers" to 5 and back to 3 by keyboard: rows appear and go again.
    await typeValue(page, "Layers", 5);
    assert.equal(await displayed(page, "Layer 5"), true);
    // Every label is shown whole ("Time Offset Randomness (frames)" wraps rather than being cut).
    const cut = await page.$$eval(".row .name", (labels) =>
      labels.filter((l) => l.offsetParent !== null && (l.scrollWidth > l.clientWidth || l.scrollHeight > l.clientHeight))
        .map((l) => l.textContent));
    assert.deepEqual(cut, []);
    assert.equal(await displayed(page, "Frequency 4"), true);
    await typeValue(page, "Layers", 3);
    for (const name of ["Layer 4", "Layer 5", "Frequency 4", "Frequency 5"]) {
      assert.equal(await displayed(page, name), false, name);
    }

    // Dragging "Frequency 1" rebalances the others so that the three add up to 100.
    const slider = await page.$(row("Frequency 1") + ' input[type="range"]');
    const box = await slider.boundingBox();
    const before = await generation(page);
    await page.mouse.move(box.x + box.width * 0.34, box.y + box.height / 2);
    await page.mouse.down();
    await page.mouse.move(box.x + box.width * 0.8, box.y + box.height / 2, { steps: 8 });
    await page.mouse.up();
    await waitForGeneration(page, before);
    const shares = await Promise.all([1, 2, 3].map((k) => value(page, "Frequency " + k)));
    assert.ok(Math.abs(shares[0] + shares[1] + shares[2] - 100) < 1e-3, shares.join(" "));
    assert.ok(shares[0] > 50 && shares[1] < 33.4 && shares[2] < 33.4, shares.join(" "));
    const afterDrag = await controls(page);
    const shownShare = await page.$eval(row("Frequency 2") + ' input[type="number"]', (el) => Number(el.value));
    assert.ok(Math.abs(shownShare - shares[1]) < 0.06);

    // "Sequentially" counts only with "Use All Paths" on and "Mode" at Incremental.
    await choose(page, "Mode", "Constant");
    assert.equal(await page.$eval(row("Sequentially"), (el) => el.getAttribute("aria-disabled")), "true");
    assert.equal(await page.$eval(row("Sequentially") + " input", (el) => el.disabled), true);
    await choose(page, "Mode", "Incremental");
    assert.equal(await page.$eval(row("Sequentially"), (el) => el.getAttribute("aria-disabled")), "false");

    // Scrubbing to frame 10 shows frame 10: the same pixels `vorlane render` makes with the same values.
    await page.focus("#ruler");
    for (let i = 0; i < 10; ++i) await page.keyboard.press("ArrowRight");
    await page.waitForFunction(() => document.getElementById("viewer").dataset.frame === "10");
    const sets = (await controls(page))
      .filter((c) => c.value !== null && c.name !== "Evolution")
      // Checkboxes are set by their words: the command line takes on/off, not 1/0.
      .flatMap((c) => ["--set", `${c.name}=${c.text === "on" || c.text === "off" ? c.text : c.value}`]);
    const out = fs.mkdtempSync(path.join(os.tmpdir(), "vorlane-browser-"));
    execFileSync(exe, ["render", "--frames", "10", "--out", out, ...sets]);
    const cli = fs.readFileSync(path.join(out, "frame_0010.png")).toString("base64");
    fs.rmSync(out, { recursive: true });
    const [shown, rendered] = [await pixels(page), await pixels(page, cli)];
    assert.equal(shown.length, rendered.length);
    assert.ok(shown.every((v, i) => v === rendered[i]), "the viewer's frame 10 differs from the CLI's");

    // Two undos, by button and by Ctrl+Z, go back past the two "Mode" edits to the values after the drag.
    let shownGeneration = await generation(page);
    await page.click("#undo");
    await waitForGeneration(page, shownGeneration);
    shownGeneration = await generation(page);
    await page.keyboard.down("Control");
    await page.keyboard.press("KeyZ");
    await page.keyboard.up("Control");
    await waitForGeneration(page, shownGeneration);
    // "Evolution" is keyframed: the panel shows it at frame 10 now, at frame 0 then.
    const unkeyed = (list) => list.filter((c) => c.name !== "Evolution");
    assert.deepEqual(unkeyed(await controls(page)), unkeyed(afterDrag));
    assert.equal(await page.$eval(row("Mode") + " select", (el) => el.value), "Incremental");

    const full = await timeEdits(page, 20);
    console.log(timingLine("demo at Full", full, 20));
    // The picture left on screen is the one at the chosen resolution.
    assert.equal(await page.$eval("#viewer", (img) => img.dataset.quick), "false");
    if (process.env.VORLANE_SCREENSHOT) {
      await typeValue(page, "Seed", 2024);
      await page.$eval("#show-masks", (el) => el.click());
      await page.$eval("#panel", (panel) => { panel.scrollTop = 0; });
      await page.$eval("#ruler", (ruler) => ruler.focus());
      await new Promise((done) => setTimeout(done, 300));
      await page.screenshot({ path: process.env.VORLANE_SCREENSHOT });
    }
    assert.deepEqual(errors, []);
  } finally {
    assert.equal(await stopPreview(child), 0);
  }
}

async function crowdAtHalf(browser) {
  if (!crowd) return;
  const { child, url } = await startPreview([crowd, "--resolution", "half"]);
  try {
    const { page } = await openPage(browser, url);
    // --resolution picks the page's starting resolution: the first frame shown is already at half size.
    assert.equal(await page.$eval("#resolution", (s) => s.value), "half");
    const width = await page.$eval("#viewer", (img) => img.naturalWidth);
    assert.equal(width, 960);
    const half = await timeEdits(page, 20);
    console.log(timingLine(`${path.basename(crowd)} at Half`, half, 20));
  } finally {
    await stopPreview(child);
  }
}

(async () => {
  const browser = await puppeteer.launch({ executablePath: chromium, headless: true,
                                           args: ["--no-sandbox", "--disable-gpu"] });
  try {
    await demo(browser);
    await crowdAtHalf(browser);
  } finally {
    await browser.close();
  }
  console.log("preview browser test: passed");
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
