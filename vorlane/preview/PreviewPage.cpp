#include "preview/PreviewPage.h"

namespace vorlane::host {
namespace {

const char* const kHtml = R"html(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Vorlane preview</title>
<link rel="stylesheet" href="/app.css">
<script src="/app.js" defer></script>
</head>
<body>
<header>
  <strong>Vorlane</strong> <span id="scene-name"></span>
  <button id="undo" title="Undo (Ctrl+Z)">Undo</button>
  <button id="redo" title="Redo (Ctrl+Shift+Z)">Redo</button>
  <button id="save">Save</button>
  <button id="save-as" title="Save under another name in the scene's folder">Save As&hellip;</button>
  <button id="reload" title="Read the scene again from disk, dropping unsaved edits">Reload</button>
  <span id="status" role="status"></span>
</header>
<main>
  <section id="panel" aria-label="Effect Controls">
    <h2>Effect Controls: <span class="effect">Vorlane</span></h2>
    <div id="controls"></div>
  </section>
  <section id="composition" aria-label="Composition">
    <div id="toolbar">
      <label>Resolution <select id="resolution">
        <option value="full">Full</option><option value="half">Half</option><option value="third">Third</option>
        <option value="quarter">Quarter</option>
      </select></label>
      <label>Quality <select id="quality"><option value="high">High</option><option value="low">Low</option></select></label>
      <label><input type="checkbox" id="show-masks"> Mask outlines</label>
      <label>Background <input type="color" id="background" value="#262626"></label>
    </div>
    <div id="stage">
      <img id="viewer" alt="the composition at the current frame">
      <svg id="masks" aria-hidden="true"></svg>
    </div>
    <div id="error" role="alert" hidden></div>
    <div id="timeline">
      <button id="play" title="Play / pause (Space)">&#9654;</button>
      <input type="range" id="ruler" min="0" max="0" value="0" aria-label="Current frame">
      <span id="frame-label"></span>
    </div>
  </section>
</main>
</body>
</html>
)html";

const char* const kStyle = R"css(
* { box-sizing: border-box; }
body { margin: 0; font: 13px system-ui, sans-serif; background: #1d1d1f; color: #ddd; }
header { display: flex; gap: 8px; align-items: center; padding: 6px 10px; background: #2a2a2d; }
header #status { margin-left: 12px; color: #9ab; }
button, select, input { font: inherit; }
button { background: #3a3a3e; color: #eee; border: 1px solid #555; border-radius: 3px; padding: 2px 10px; }
button:disabled { opacity: 0.4; }
main { display: flex; height: calc(100vh - 36px); }
#panel { width: 400px; min-width: 400px; overflow-y: auto; overflow-x: hidden; background: #252528; border-right: 1px solid #111; }
#panel h2 { font-size: 13px; margin: 0; padding: 6px 10px; background: #303034; }
.row { display: flex; align-items: center; min-height: 24px; padding: 1px 8px; border-bottom: 1px solid #2e2e31; }
.row[hidden] { display: none; }
.row .name { width: 180px; flex: none; overflow: hidden; overflow-wrap: anywhere; line-height: 1.25; padding: 2px 4px 2px 0; }
.row.depth1 .name { padding-left: 16px; }
.row .edit { flex: 1; min-width: 0; display: flex; gap: 6px; align-items: center; }
.row input[type=range] { flex: 1; min-width: 60px; }
.row input[type=number] { width: 78px; background: #1b1b1d; color: #6cf; border: 1px solid #444; }
.row select { background: #1b1b1d; color: #6cf; border: 1px solid #444; max-width: 180px; }
.row[aria-disabled=true] { opacity: 0.4; }
.row .key { width: 14px; color: #777; flex: none; }
.row .key.on { color: #fc4; }
.row .unit { color: #999; }
.twirly { background: none; border: none; color: #ccc; padding: 0 4px 0 0; }
.group-body[hidden] { display: none; }
#composition { flex: 1; display: flex; flex-direction: column; min-width: 0; }
#toolbar { display: flex; gap: 16px; padding: 6px 10px; background: #2a2a2d; align-items: center; }
#stage { position: relative; flex: 1; display: flex; align-items: center; justify-content: center; overflow: hidden;
         background: #262626; }
#viewer { display: block; max-width: 100%; max-height: 100%; object-fit: contain; image-rendering: auto; }
#masks { position: absolute; pointer-events: none; }
#masks path { fill: none; stroke: #ffcc33; stroke-width: 1.5; vector-effect: non-scaling-stroke; }
#error { background: #5a1d1d; color: #fdd; padding: 6px 10px; }
#timeline { display: flex; gap: 8px; align-items: center; padding: 8px 10px; background: #2a2a2d; }
#ruler { flex: 1; }
#frame-label { width: 120px; font-variant-numeric: tabular-nums; }
)css";

}  // namespace

const char* preview_page_html() {
    return kHtml;
}

const char* preview_page_style() {
    return kStyle;
}

}  // namespace vorlane::host
