#include "preview/PreviewPage.h"

namespace vorlane::host {
namespace {

// The page's behaviour. Every edit goes to the server, which applies it through the effect; the panel then shows
// what the effect left: values, hidden rows, disabled rows. Frames are fetched by number; a response for a frame
// the user has moved past is not shown. After an edit a quarter-resolution frame of the new values comes first and
// the one at the chosen resolution replaces it, as a compositing viewer drops its resolution while you drag: the
// picture answers at once, and never shows the old values as current.
const char* const kScript = R"js("use strict";
const $ = (id) => document.getElementById(id);
const TYPE = { LAYER: 0, SLIDER: 1, ANGLE: 3, CHECKBOX: 4, POPUP: 7, FLOAT: 10, PATH: 12, GROUP: 13, BUTTON: 15 };
const view = { frame: 0, playing: false, state: null, rows: new Map(), latest: 0, shown: 0, url: null,
               timings: [], firstTimings: [], settled: 0 };
const DOWNSAMPLE = { full: 1, half: 2, third: 3, quarter: 4 };
window.vorlane = view;

// The address may name the resolution to start at (vorlane preview --resolution); it stays in the address bar.
const wantedResolution = new URLSearchParams(location.search).get("resolution");
if (location.search.includes("token=")) {
  // The cookie holds the token now; the address bar need not show it.
  history.replaceState(null, "", wantedResolution ? "/?resolution=" + encodeURIComponent(wantedResolution) : "/");
}

async function api(method, path, body) {
  const init = { method, headers: {} };
  if (body !== undefined) {
    init.headers["Content-Type"] = "application/json";
    init.body = JSON.stringify(body);
  }
  const res = await fetch(path, init);
  const text = res.headers.get("Content-Type")?.startsWith("image/") ? null : await res.text();
  return { res, text };
}

function status(text, bad) {
  $("status").textContent = text;
  $("status").style.color = bad ? "#f88" : "#9ab";
}

function decimals(c) { return c.precision ?? 0; }
function step(c) { return c.type === TYPE.FLOAT ? Math.pow(10, -decimals(c)) : 1; }
function shown(c, v) { return c.type === TYPE.FLOAT ? Number(v).toFixed(decimals(c)) : String(v); }

function keyMark(row, c) {
  const key = row.querySelector(".key");
  key.textContent = c.keyframes ? "\u25C6" : "";
  key.classList.toggle("on", !!c.keyframes && c.keyframes.includes(view.frame));
  key.title = c.keyframes ? "keyframes at frames " + c.keyframes.join(", ") : "";
}

function input(type, attrs) {
  const el = document.createElement(type === "select" ? "select" : "input");
  if (type !== "select") el.type = type;
  Object.assign(el, attrs);
  return el;
}

function options(select, choices) {
  select.replaceChildren(...choices.map((text) => new Option(text, text)));
}

// One row of the panel; returns the function that shows a new state of its control.
function buildRow(c) {
  const row = document.createElement("div");
  row.className = "row depth" + c.depth;
  row.dataset.param = c.name;
  row.innerHTML = '<span class="key"></span><label class="name"></label><span class="edit"></span>';
  row.querySelector(".name").textContent = c.name;
  row.querySelector(".name").title = c.description ?? c.name;
  const edit = row.querySelector(".edit");
  const send = (value) => editControl(c.name, value);
  let update = () => {};
  if (c.type === TYPE.SLIDER || c.type === TYPE.FLOAT || c.type === TYPE.ANGLE) {
    const number = input("number", { step: "any", "aria-label": c.name });
    if (c.valid) { number.min = c.valid[0]; number.max = c.valid[1]; }
    number.addEventListener("change", () => send(Number(number.value)));
    if (c.slider) {
      const range = input("range", { min: c.slider[0], max: c.slider[1], step: step(c) });
      range.setAttribute("aria-label", c.name + " slider");
      range.addEventListener("input", () => { number.value = shown(c, range.value); });
      range.addEventListener("change", () => send(Number(range.value)));
      edit.append(range);
      update = (s) => { range.value = s.value; };
    }
    edit.append(number);
    if (c.percent) edit.append(Object.assign(document.createElement("span"), { className: "unit", textContent: "%" }));
    if (c.type === TYPE.ANGLE) edit.append(Object.assign(document.createElement("span"), { className: "unit", textContent: "\u00B0" }));
    const slide = update;
    update = (s) => { slide(s); if (document.activeElement !== number) number.value = shown(s, s.value); };
  } else if (c.type === TYPE.CHECKBOX) {
    const box = input("checkbox", {});
    box.setAttribute("aria-label", c.name);
    box.addEventListener("change", () => send(box.checked));
    edit.append(box);
    update = (s) => { box.checked = s.value === 1; };
  } else if (c.type === TYPE.POPUP || c.type === TYPE.PATH || c.type === TYPE.LAYER) {
    const select = input("select", {});
    select.setAttribute("aria-label", c.name);
    select.addEventListener("change", () => send(select.value));
    edit.append(select);
    update = (s) => {
      const choices = s.type === TYPE.LAYER ? view.state.layers : s.choices;
      if (select.options.length !== choices.length) options(select, choices);
      select.value = s.type === TYPE.POPUP ? choices[s.value - 1] ?? "" : s.choice;
    };
  } else if (c.type === TYPE.BUTTON) {
    const button = Object.assign(document.createElement("button"), { textContent: c.caption || c.name });
    button.addEventListener("click", () => send(null));
    edit.append(button);
  }
  const show = (s) => {
    row.hidden = s.hidden;
    row.setAttribute("aria-disabled", s.disabled ? "true" : "false");
    for (const el of edit.querySelectorAll("input, select, button")) el.disabled = s.disabled;
    update(s);
    keyMark(row, s);
  };
  return { row, show };
}

function buildGroup(c, container) {
  const row = document.createElement("div");
  row.className = "row group";
  row.dataset.param = c.name;
  const twirly = Object.assign(document.createElement("button"), { className: "twirly" });
  const body = Object.assign(document.createElement("div"), { className: "group-body" });
  const open = (yes) => { body.hidden = !yes; twirly.textContent = yes ? "\u25BE" : "\u25B8";
                          twirly.setAttribute("aria-expanded", String(yes)); };
  twirly.addEventListener("click", () => open(body.hidden));
  open(!c.collapsed);
  row.append(twirly, Object.assign(document.createElement("span"), { textContent: c.name }));
  container.append(row, body);
  return { row, body, show: (s) => { row.hidden = s.hidden; } };
}

function buildPanel(state) {
  const panel = $("controls");
  panel.replaceChildren();
  let container = panel;
  for (const c of state.controls) {
    if (c.depth === 0) container = panel;
    if (c.type === TYPE.GROUP) {
      const group = buildGroup(c, panel);
      view.rows.set(c.name, group);
      container = group.body;
      continue;
    }
    const built = buildRow(c);
    container.append(built.row);
    view.rows.set(c.name, built);
  }
}

function showState(state) {
  if (!view.state) {
    view.state = state;
    buildPanel(state);
    $("scene-name").textContent = state.scene;
    $("ruler").max = state.comp.duration_frames - 1;
  }
  $("save").disabled = !state.can_save;
  $("save").title = state.can_save ? "Save to " + state.save_path : "The demo saves only with --save-as FILE";
  $("save-as").disabled = !state.can_save_as;
  if (state.undo_dropped > view.state.undo_dropped) {
    status("Undo keeps the last " + state.undo_steps + " edits: the oldest was dropped");
  }
  view.state = state;
  for (const c of state.controls) view.rows.get(c.name)?.show(c);
  $("undo").title = "Undo (Ctrl+Z): the last " + state.undo_steps + " edits";
  $("undo").disabled = !state.can_undo;
  $("redo").disabled = !state.can_redo;
  label();
}

function label() {
  const comp = view.state.comp;
  const seconds = (view.frame / comp.frame_rate).toFixed(2);
  $("frame-label").textContent = "frame " + view.frame + " / " + (comp.duration_frames - 1) + "  " + seconds + "s";
  $("ruler").value = view.frame;
}

async function refreshState() {
  const { res, text } = await api("GET", "/api/state?frame=" + view.frame);
  if (res.ok) showState(JSON.parse(text));
}

function chosenLook() { return { res: $("resolution").value, quality: $("quality").value }; }

function frameUrl(frame, ahead, look) {
  return "/api/frame/" + frame + "?res=" + look.res + "&quality=" + look.quality + (ahead ? "&ahead=1" : "");
}

// The viewer keeps the size of the chosen resolution, so that a quick frame shows as large as the one it stands for.
function viewerSize() {
  const comp = view.state.comp, ds = DOWNSAMPLE[$("resolution").value];
  $("viewer").width = Math.ceil(comp.width / ds);
  $("viewer").height = Math.ceil(comp.height / ds);
}

// Counts edits, undos and redos whose panel and picture are both on screen, for scripts driving the page.
function settle() {
  document.body.dataset.settled = String(++view.settled);
}

// Fetches a frame and shows it unless a later request was made meanwhile; resolves when it is on screen (or not
// shown, being stale).
async function showFrame(frame, ahead, look = chosenLook()) {
  const request = ++view.latest;
  const res = await fetch(frameUrl(frame, ahead, look));
  if (res.status === 409) {
    // The server dropped it for a request that reached it later but was made earlier: ask again if still wanted.
    return request === view.latest ? showFrame(frame, ahead, look) : false;
  }
  if (!res.ok) {
    if (request >= view.shown) showError((await res.text()).trim());
    return false;
  }
  const blob = await res.blob();
  if (request < view.shown) return false;
  view.shown = request;
  const url = URL.createObjectURL(blob);
  const img = $("viewer");
  viewerSize();
  await new Promise((done) => { img.onload = done; img.onerror = done; img.src = url; });
  if (view.url) URL.revokeObjectURL(view.url);
  view.url = url;
  img.dataset.frame = frame;
  img.dataset.generation = res.headers.get("X-Vorlane-Generation");
  img.dataset.quick = String(look.res !== $("resolution").value || look.quality !== $("quality").value);
  showError("");
  if ($("show-masks").checked) drawMasks(frame);
  return true;
}

function showError(text) {
  $("error").hidden = !text;
  $("error").textContent = text;
}

async function drawMasks(frame) {
  const svg = $("masks");
  if (!$("show-masks").checked) { svg.replaceChildren(); return; }
  const { res, text } = await api("GET", "/api/masks/" + frame);
  if (!res.ok) return;
  const comp = view.state.comp;
  const img = $("viewer");
  svg.setAttribute("viewBox", "0 0 " + comp.width + " " + comp.height);
  svg.style.width = img.clientWidth + "px";
  svg.style.height = img.clientHeight + "px";
  svg.replaceChildren(...JSON.parse(text).map((d) => {
    const path = document.createElementNS("http://www.w3.org/2000/svg", "path");
    path.setAttribute("d", d);
    return path;
  }));
}

async function editControl(name, value) {
  const started = performance.now();
  const { res, text } = await api("POST", "/api/edit", { name, value, frame: view.frame });
  if (!res.ok) {
    status(text.trim(), true);
    await refreshState();  // the control shows its value again
    settle();
    return;
  }
  status("");
  await Promise.all([refreshState(), showEdited(view.frame, started)]);
  view.timings.push(performance.now() - started);
  settle();
}

// The edited values' frame: a quick one first unless the chosen look is as quick already. The chosen one is asked
// for once the quick one is on screen: asked for at once, it took the cores the quick one needed, and came later
// than the quick one by little.
async function showEdited(frame, started) {
  const quick = { res: "quarter", quality: "low" };
  const chosen = chosenLook();
  const quickAlready = chosen.res === quick.res && chosen.quality === quick.quality;
  const first = await showFrame(frame, false, quickAlready ? chosen : quick);
  view.firstTimings.push(performance.now() - started);
  if (!quickAlready && first) await showFrame(frame);
}

async function saveAs() {
  const name = prompt("Save as: a file name in the scene's folder", view.state.scene);
  if (!name) return;
  let { res, text } = await api("POST", "/api/save-as", { name });
  if (res.status === 409 && res.headers.get("X-Vorlane-Exists") && confirm(name + " exists. Replace it?")) {
    ({ res, text } = await api("POST", "/api/save-as", { name, overwrite: true }));
  }
  status(text.trim(), !res.ok);
  if (res.ok) await refreshState();
}

async function reload() {
  if (!confirm("Read the scene again from disk? Unsaved edits and the undo history are dropped.")) return;
  const { res, text } = await api("POST", "/api/reload");
  if (!res.ok) { status(text.trim(), true); settle(); return; }
  status("reloaded " + JSON.parse(text).save_path);
  view.state = null;  // the file may have other layers, masks and length: the panel is built anew
  view.frame = 0;
  showState(JSON.parse(text));
  await showFrame(0);
  settle();
}

async function step_history(which) {
  const { res, text } = await api("POST", "/api/" + which);
  if (!res.ok) { status(text.trim(), true); settle(); return; }
  status("");
  showState(JSON.parse(text));
  await showFrame(view.frame);
  settle();
}

async function seek(frame) {
  view.frame = frame;
  label();
  await showFrame(frame, view.playing);
  if (view.state.controls.some((c) => c.keyframes)) await refreshState();
}

async function play() {
  view.playing = !view.playing;
  $("play").innerHTML = view.playing ? "&#10074;&#10074;" : "&#9654;";
  const comp = view.state.comp;
  while (view.playing) {
    const started = performance.now();
    view.frame = (view.frame + 1) % comp.duration_frames;
    label();
    await showFrame(view.frame, true);
    const wait = 1000 / comp.frame_rate - (performance.now() - started);
    if (wait > 0) await new Promise((done) => setTimeout(done, wait));
  }
  refreshState();
}

function wire() {
  $("undo").addEventListener("click", () => step_history("undo"));
  $("redo").addEventListener("click", () => step_history("redo"));
  $("save").addEventListener("click", async () => {
    const { res, text } = await api("POST", "/api/save");
    status(text.trim(), !res.ok);
  });
  $("save-as").addEventListener("click", saveAs);
  $("reload").addEventListener("click", reload);
  $("ruler").addEventListener("input", () => seek(Number($("ruler").value)));
  $("play").addEventListener("click", play);
  $("resolution").addEventListener("change", () => showFrame(view.frame));
  $("quality").addEventListener("change", () => showFrame(view.frame));
  $("show-masks").addEventListener("change", () => drawMasks(view.frame));
  $("background").addEventListener("input", () => { $("stage").style.background = $("background").value; });
  document.addEventListener("keydown", (e) => {
    const typing = e.target instanceof HTMLInputElement && e.target.type !== "range" && e.target.type !== "checkbox";
    if (typing) return;
    if ((e.ctrlKey || e.metaKey) && e.key.toLowerCase() === "z") {
      e.preventDefault();
      step_history(e.shiftKey ? "redo" : "undo");
    } else if ((e.ctrlKey || e.metaKey) && e.key.toLowerCase() === "y") {
      e.preventDefault();
      step_history("redo");
    } else if (e.key === " " && !(e.target instanceof HTMLButtonElement)) {
      e.preventDefault();
      play();
    }
  });
}

function startingResolution() {
  const select = $("resolution");
  if ([...select.options].some((o) => o.value === wantedResolution)) select.value = wantedResolution;
}

async function start() {
  startingResolution();
  wire();
  await refreshState();
  await showFrame(0);
  document.body.dataset.ready = "true";
}
start();
)js";

}  // namespace

const char* preview_page_script() {
    return kScript;
}

}  // namespace vorlane::host
