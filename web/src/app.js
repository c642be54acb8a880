// The configurator page: an editor for the configuration text around the
// tool itself (vorlanex.js), which checks, compiles and renders exactly as
// the command line does.

import { EditorState } from "@codemirror/state";
import {
  EditorView,
  drawSelection,
  highlightActiveLine,
  highlightActiveLineGutter,
  keymap,
  lineNumbers,
} from "@codemirror/view";
import { defaultKeymap, history, historyKeymap, indentWithTab } from "@codemirror/commands";
import { highlightSelectionMatches, searchKeymap } from "@codemirror/search";
import { forceLinting, lintGutter, linter } from "@codemirror/lint";
import { createVorlanex } from "./vorlanex.js";
import { deviceSupport } from "./device.js";
import { vorlanexHighlighting, vorlanexLanguage } from "./highlight.js";
import words from "vorlanex:words";
import examples from "vorlanex:examples";

const kCheckDelayMs = 300;
const kStorageKey = "vorlanex.configurator";
const kFirstExample = "hello.conf";

const $ = (id) => document.getElementById(id);
const timings = { ready: null, check: null, convert: null, render: null };
const page = { vx: null, timings, ready: null, image: null };
window.vorlanexPage = page;

let fileName = "untitled.conf";
let toastTimer = null;

// ---- small helpers ---------------------------------------------------------

function base_of(name) {
  return name.replace(/\.(conf|bin)$/i, "") || "untitled";
}

// File names the tool sees: the name without folders or odd characters.
function safe_name(name) {
  return name.replace(/[\\/]/g, "_").replace(/^\.+/, "") || "untitled.conf";
}

function set_file_name(name) {
  fileName = safe_name(name);
  $("file-name").textContent = fileName;
}

function toast(text) {
  let element = document.querySelector(".toast");
  if (!element) {
    element = document.createElement("div");
    element.className = "toast";
    element.setAttribute("role", "status");
    document.body.append(element);
  }
  element.textContent = text;
  clearTimeout(toastTimer);
  toastTimer = setTimeout(() => element.remove(), 5000);
}

function download(name, bytes, type) {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const link = document.createElement("a");
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

// Eight bytes a row, in hex and as ASCII, to fit the side panel.
function hex_dump(bytes) {
  const rows = [];
  for (let offset = 0; offset < bytes.length; offset += 8) {
    const chunk = Array.from(bytes.subarray(offset, offset + 8));
    const hex = chunk.map((b) => b.toString(16).padStart(2, "0")).join(" ").padEnd(23);
    const ascii = chunk.map((b) => (b >= 0x20 && b < 0x7f ? String.fromCharCode(b) : ".")).join("");
    rows.push(`${offset.toString(16).padStart(4, "0")}  ${hex}  ${ascii}`);
  }
  return rows.join("\n");
}

async function timed(name, work) {
  const start = performance.now();
  const result = await work();
  timings[name] = performance.now() - start;
  show_timings();
  return result;
}

function show_timings() {
  const parts = [];
  if (timings.ready !== null) parts.push(`tool ready in ${timings.ready.toFixed(0)} ms`);
  if (timings.convert !== null) parts.push(`last compile ${timings.convert.toFixed(1)} ms`);
  $("timing").textContent = parts.join(" · ");
}

// ---- the editor ------------------------------------------------------------

function text() {
  return view.state.doc.toString();
}

function set_text(content, name) {
  view.dispatch({ changes: { from: 0, to: view.state.doc.length, insert: content } });
  set_file_name(name);
  remember();
}

function remember() {
  try {
    localStorage.setItem(kStorageKey, JSON.stringify({ name: fileName, text: text() }));
  } catch {
    // Storage may be off (private windows); the page works without it.
  }
}

function remembered() {
  try {
    return JSON.parse(localStorage.getItem(kStorageKey));
  } catch {
    return null;
  }
}

function severity_of(message) {
  if (message.startsWith("warning")) return "warning";
  if (message.startsWith("error")) return "error";
  return "info";
}

// The tool's messages as the editor's diagnostics, each on its line; a
// message of no line belongs to the first.
function diagnostics_of(messages, doc) {
  return messages.map((message) => {
    const number = Math.min(Math.max(message.line, 1), doc.lines);
    const line = doc.line(number);
    return { from: line.from, to: line.to, severity: severity_of(message.text), message: message.text };
  });
}

async function check(view) {
  if (!page.vx) return [];
  const doc = view.state.doc;
  const content = doc.toString();
  const messages = await timed("check", () => page.vx.check(content));
  show_problems(messages);
  if (!messages.some((m) => severity_of(m.text) === "error")) await show_image(await compile(content));
  else show_status(messages);
  return diagnostics_of(messages, doc);
}

function show_status(messages, image) {
  const status = $("status");
  const errors = messages.filter((m) => severity_of(m.text) === "error");
  if (errors.length > 0) {
    status.className = "status bad";
    status.textContent = errors[0].line > 0 ? `error on line ${errors[0].line}` : "error";
  } else {
    status.className = "status ok";
    status.textContent = image ? `✓ no errors · image of ${image.length} bytes` : "✓ no errors";
  }
}

function show_problems(messages) {
  const list = $("problems");
  list.replaceChildren();
  for (const message of messages) {
    const item = document.createElement("li");
    item.className = severity_of(message.text);
    item.dataset.line = String(message.line);
    const where = document.createElement("span");
    where.className = "where";
    where.textContent = message.line > 0 ? `line ${message.line}` : "—";
    const what = document.createElement("span");
    what.textContent = message.text;
    item.append(where, what);
    item.addEventListener("click", () => go_to_line(message.line));
    list.append(item);
  }
  if (messages.length === 0) {
    const item = document.createElement("li");
    item.className = "none";
    item.textContent = "No problems: the text compiles.";
    list.append(item);
  }
  const count = $("problem-count");
  count.textContent = String(messages.length);
  count.classList.toggle("bad", messages.length > 0);
}

function go_to_line(number) {
  if (number < 1) return;
  const line = view.state.doc.line(Math.min(number, view.state.doc.lines));
  view.dispatch({ selection: { anchor: line.from, head: line.to }, scrollIntoView: true });
  view.focus();
}

const view = new EditorView({
  parent: $("editor"),
  state: EditorState.create({
    doc: "",
    extensions: [
      lineNumbers(),
      highlightActiveLineGutter(),
      history(),
      drawSelection(),
      highlightActiveLine(),
      highlightSelectionMatches(),
      vorlanexLanguage(words),
      vorlanexHighlighting,
      lintGutter(),
      linter(check, { delay: kCheckDelayMs }),
      keymap.of([indentWithTab, ...defaultKeymap, ...historyKeymap, ...searchKeymap]),
      EditorView.updateListener.of((update) => {
        if (update.docChanged) remember();
      }),
      EditorView.contentAttributes.of({ "aria-label": "Configuration text", spellcheck: "false" }),
    ],
  }),
});

// The page's state as a test or a console sees it.
page.text = text;

// ---- what the tool does for the page ---------------------------------------

// The image of the text, or none after the tool's messages.
async function compile(content) {
  const image = `${base_of(fileName)}.bin`;
  const result = await timed("convert", () =>
    page.vx.run(["convert", fileName, image], { files: { [fileName]: content } })
  );
  if (result.status !== 0) return { ok: false, stderr: result.stderr };
  return { ok: true, bytes: result.files[image] };
}

async function show_image(compiled) {
  if (!compiled.ok) {
    $("status").className = "status bad";
    $("status").textContent = "the tool refused the text";
    return;
  }
  page.image = compiled.bytes;
  show_status([], compiled.bytes);
  $("image-size").textContent = `${compiled.bytes.length} bytes`;
  $("hex").textContent = hex_dump(compiled.bytes);
}

// The image's text as the renderer writes it, or none after a message.
async function render(bytes, name) {
  const source = `${base_of(name)}.bin`;
  const target = `${base_of(name)}.conf`;
  const result = await timed("render", () => page.vx.run(["convert", source, target], { files: { [source]: bytes } }));
  if (result.status !== 0) {
    toast(result.stderr || `the tool ended with status ${result.status}`);
    return null;
  }
  return new TextDecoder().decode(result.files[target]);
}

async function open_file(file) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  if (/\.bin$/i.test(file.name)) {
    const rendered = await render(bytes, file.name);
    if (rendered === null) return;
    set_text(rendered, `${base_of(file.name)}.conf`);
    toast(`${file.name}: ${bytes.length} bytes, shown as text`);
  } else {
    set_text(new TextDecoder().decode(bytes), file.name);
  }
  view.focus();
}

async function download_image() {
  const compiled = await compile(text());
  if (!compiled.ok) {
    toast(compiled.stderr);
    select_tab("problems");
    return;
  }
  download(`${base_of(fileName)}.bin`, compiled.bytes, "application/octet-stream");
}

async function show_image_as_text() {
  const compiled = await compile(text());
  if (!compiled.ok) {
    toast(compiled.stderr);
    select_tab("problems");
    return;
  }
  await show_image(compiled);
  $("rendered").textContent = (await render(compiled.bytes, fileName)) ?? "";
  select_tab("image");
}

// ---- the side panel --------------------------------------------------------

function select_tab(name) {
  for (const tab of document.querySelectorAll(".tabs button")) {
    const selected = tab.dataset.tab === name;
    tab.setAttribute("aria-selected", String(selected));
    $(`tab-${tab.dataset.tab}`).hidden = !selected;
  }
}

// "$00  0   INSTDEL, INST, DEL" a line.
function parse_keys(listing) {
  return listing
    .split("\n")
    .filter((line) => line.startsWith("$"))
    .map((line) => {
      const match = /^(\$[0-9A-F]{2})\s+\d+\s+(.*)$/.exec(line);
      // A synonym may repeat the key's name: each name once.
      return match ? { code: match[1], names: [...new Set(match[2].split(", "))] } : null;
    })
    .filter(Boolean);
}

function show_keys(keys) {
  const list = $("keys");
  for (const key of keys) {
    const item = document.createElement("li");
    item.dataset.search = `${key.code} ${key.names.join(" ")}`.toLowerCase();
    const code = document.createElement("span");
    code.className = "code";
    code.textContent = key.code;
    const names = document.createElement("span");
    for (const name of key.names) {
      const chip = document.createElement("span");
      chip.className = "name";
      chip.textContent = name;
      chip.title = `Put ${name} in the text`;
      chip.addEventListener("click", () => {
        view.dispatch(view.state.replaceSelection(name));
        view.focus();
      });
      names.append(chip);
    }
    item.append(code, names);
    list.append(item);
  }
  $("key-filter").addEventListener("input", (event) => {
    const wanted = event.target.value.trim().toLowerCase();
    for (const item of list.children) item.hidden = wanted !== "" && !item.dataset.search.includes(wanted);
  });
}

function show_device_support() {
  const notice = $("webusb");
  if (deviceSupport().webusb) {
    notice.innerHTML =
      "This browser has WebUSB. Sending a configuration to the controller from this page comes in a " +
      "later version; until then download the image and store it with <code>vorlanex configure</code>.";
  } else {
    notice.classList.add("missing");
    notice.innerHTML =
      "<b>This browser has no WebUSB</b>, so this page cannot reach the controller. Writing, checking " +
      "and compiling work here; store the downloaded image with <code>vorlanex configure</code>, or " +
      "use a browser with WebUSB (Chrome, Edge, Chromium).";
  }
}

// ---- start -----------------------------------------------------------------

function wire_controls() {
  $("open").addEventListener("click", () => $("file").click());
  $("file").addEventListener("change", async (event) => {
    const [file] = event.target.files;
    if (file) await open_file(file);
    event.target.value = "";
  });
  const select = $("examples");
  for (const name of Object.keys(examples).sort()) {
    const option = document.createElement("option");
    option.value = name;
    option.textContent = name;
    select.append(option);
  }
  select.addEventListener("change", () => {
    if (!select.value) return;
    set_text(examples[select.value], select.value);
    toast(`Example ${select.value} loaded (Ctrl+Z brings your text back)`);
    select.value = "";
    view.focus();
  });
  $("save-text").addEventListener("click", () => download(fileName, text(), "text/plain"));
  $("download-image").addEventListener("click", download_image);
  $("render").addEventListener("click", show_image_as_text);
  for (const tab of document.querySelectorAll(".tabs button")) {
    tab.addEventListener("click", () => select_tab(tab.dataset.tab));
  }
  wire_dropping();
}

function wire_dropping() {
  const overlay = $("drop");
  let depth = 0;
  window.addEventListener("dragenter", (event) => {
    event.preventDefault();
    depth += 1;
    overlay.hidden = false;
  });
  window.addEventListener("dragover", (event) => event.preventDefault());
  window.addEventListener("dragleave", () => {
    depth = Math.max(0, depth - 1);
    if (depth === 0) overlay.hidden = true;
  });
  window.addEventListener("drop", async (event) => {
    event.preventDefault();
    depth = 0;
    overlay.hidden = true;
    const [file] = event.dataTransfer?.files ?? [];
    if (file) await open_file(file);
  });
}

// Served over http(s), the page keeps working offline once loaded.
function work_offline() {
  if (!("serviceWorker" in navigator) || !/^https?:$/.test(location.protocol)) return;
  navigator.serviceWorker.register("sw.js").catch((error) => console.warn("no offline use:", error));
}

async function start() {
  work_offline();
  wire_controls();
  show_device_support();
  const saved = remembered();
  if (saved && typeof saved.text === "string") set_text(saved.text, saved.name || "untitled.conf");
  else set_text(examples[kFirstExample] ?? "", kFirstExample);

  page.vx = await createVorlanex();
  timings.ready = performance.now();
  show_timings();
  const version = await page.vx.run(["--version"]);
  $("version").textContent = `${new TextDecoder().decode(version.stdout).split("\n")[0]} · running in this page`;
  show_keys(parse_keys(new TextDecoder().decode((await page.vx.run(["--keys"])).stdout)));
  forceLinting(view);
}

page.ready = start().catch((error) => {
  $("status").className = "status bad";
  $("status").textContent = `the tool did not load: ${error.message ?? error}`;
  throw error;
});
