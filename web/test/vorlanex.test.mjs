// The tool in the page against the native tool: the same command lines must
// give the same standard output bytes, standard error text, exit status and
// files. node --test web/test/vorlanex.test.mjs, with VORLANEX_SITE (the
// built site, build-web) and VORLANEX_NATIVE (build/bin/vorlanex).

import { test } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { mkdtempSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";
import { pathToFileURL } from "node:url";

const root = resolve(import.meta.dirname, "..", "..");
const site = resolve(process.env.VORLANEX_SITE ?? join(root, "build-web"));
const native = resolve(process.env.VORLANEX_NATIVE ?? join(root, "build", "bin", "vorlanex"));
const { createVorlanex } = await import(pathToFileURL(join(site, "vorlanex.js")).href);
const vx = await createVorlanex();

const examples = readdirSync(join(root, "examples"))
  .filter((name) => name.endsWith(".conf"))
  .sort();
const example = (name) => readFileSync(join(root, "examples", name));

// The native tool in a directory of its own holding `files`; argv[0] is
// "vorlanex", as the page's tool calls itself.
function run_native(args, { stdin = "", files = {} } = {}) {
  const dir = mkdtempSync(join(tmpdir(), "vorlanex-web-"));
  try {
    for (const [name, content] of Object.entries(files)) writeFileSync(join(dir, name), content);
    const result = spawnSync(native, args, { cwd: dir, input: stdin, argv0: "vorlanex", timeout: 20000 });
    const after = {};
    for (const name of readdirSync(dir)) {
      if (statSync(join(dir, name)).isFile()) after[name] = new Uint8Array(readFileSync(join(dir, name)));
    }
    return { status: result.status, stdout: new Uint8Array(result.stdout), stderr: result.stderr.toString(), files: after };
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

function hex(bytes) {
  return Buffer.from(bytes).toString("hex");
}

async function same_as_native(args, input = {}) {
  const expected = run_native(args, input);
  const actual = await vx.run(args, input);
  const what = JSON.stringify(args);
  assert.equal(actual.stderr, expected.stderr, `stderr of ${what}`);
  assert.equal(actual.status, expected.status, `status of ${what}`);
  assert.equal(hex(actual.stdout), hex(expected.stdout), `stdout of ${what}`);
  assert.deepEqual(Object.keys(actual.files).sort(), Object.keys(expected.files).sort(), `files of ${what}`);
  for (const name of Object.keys(expected.files)) {
    assert.equal(hex(actual.files[name]), hex(expected.files[name]), `${name} after ${what}`);
  }
  return actual;
}

test("every example compiles to the same image, to a file and to stdout, and renders back alike", async () => {
  for (const name of examples) {
    const text = example(name);
    const compiled = await same_as_native(["convert", name, "image.bin"], { files: { [name]: text } });
    assert.ok(compiled.files["image.bin"].length > 0);
    await same_as_native(["convert", name], { files: { [name]: text } });
    await same_as_native(["convert", "-", "-"], { stdin: text });
    const image = compiled.files["image.bin"];
    const rendered = await same_as_native(["convert", "image.bin", "back.conf"], { files: { "image.bin": image } });
    // The rendered text compiles to the same image again.
    const again = await vx.run(["convert", "back.conf", "again.bin"], { files: { "back.conf": rendered.files["back.conf"] } });
    assert.equal(hex(again.files["again.bin"]), hex(image), `${name} round trip`);
    await same_as_native(["convert", name, "direct.conf"], { files: { [name]: text } });
  }
});

const hello = example("hello.conf");
const helloImage = readFileSync(join(root, "tests", "golden", "hello.bin"));
const bad = "F1: type fine\n# a comment\nF2: bogus 3\n";

const errorCases = [
  { args: [] },
  { args: ["--help"] },
  { args: ["--version"] },
  { args: ["--keys"] },
  { args: ["-x"] },
  { args: ["-kx"] },
  { args: ["-D"] },
  { args: ["--device"] },
  { args: ["--de"] },
  { args: ["--help=1"] },
  { args: ["--bogus=1"] },
  { args: ["-p", "convert", "in.conf", "out.bin"], files: { "in.conf": hello } },
  { args: ["convert", "missing.conf", "out.bin"] },
  { args: ["convert", "bad.conf", "out.bin"], files: { "bad.conf": bad } },
  { args: ["convert", "bad.conf", "/dev/null"], files: { "bad.conf": bad } },
  { args: ["convert", "-", "out.bin"], stdin: bad },
  { args: ["convert", "nul.conf", "out.bin"], files: { "nul.conf": "F1: type a\0b\n" } },
  { args: ["convert", "long.conf", "out.bin"], files: { "long.conf": `F1: type ${"x".repeat(5000)}\n` } },
  { args: ["convert", "twice.conf", "out.bin"], files: { "twice.conf": "FIRE = RUNSTOP\nFIRE = F1\n" } },
  { args: ["convert", "cut.bin", "out.conf"], files: { "cut.bin": helloImage.subarray(0, helloImage.length - 3) } },
  { args: ["convert", "in.conf", "out.bin"], files: { "in.conf": hello, "out.bin": "old content" } },
  { args: ["convert", "bad.conf", "out.bin"], files: { "bad.conf": bad, "out.bin": "old content" } },
  { args: ["convert", "in.conf", "in.conf"], files: { "in.conf": hello } },
  { args: ["convert", "empty.conf", "out.bin"], files: { "empty.conf": "" } },
  // No controller is attached: the device operations fail as the native tool's do.
  { args: ["-i"] },
  { args: ["reset"] },
  { args: ["set", "a3", "1"] },
  { args: ["-d", "usb:S1", "sleep", "1s"] },
  { args: ["-d", "usb:\u001b[2J", "-i"] },
  { args: ["configure", "in.conf"], files: { "in.conf": hello } },
  { args: ["configure"], stdin: hello },
  { args: ["configure", "bad.conf"], files: { "bad.conf": bad } },
  { args: ["update", "missing.hex"] },
  { args: ["script.txt"], files: { "script.txt": "set a3 1\nsleep 2s\n" } },
  { args: ["-"], stdin: "set a3 1\n" },
];

test("errors and device operations give the native tool's output, status and files", async () => {
  for (const { args, ...input } of errorCases) await same_as_native(args, input);
});

test("each run starts afresh: no file, option or definition of one run reaches the next", async () => {
  const first = await vx.run(["convert", "c.conf", "c.bin"], { files: { "c.conf": example("combination.conf") } });
  assert.equal(first.status, 0, first.stderr);
  const second = await vx.run(["convert", "c.conf", "c.bin"], { files: { "c.conf": example("combination.conf") } });
  assert.equal(second.status, 0, second.stderr);
  assert.deepEqual(Object.keys(second.files).sort(), ["c.bin", "c.conf"]);
  const listing = await vx.run([]);
  assert.deepEqual(listing.files, {});
});

test("check gives the parser's messages with their lines, as convert prints them", async () => {
  const cases = [
    { text: hello, lines: [] },
    { text: helloImage, lines: [] },
    { text: bad, lines: [3] },
    { text: "FIRE = RUNSTOP\n\nFIRE = F1\n", lines: [3] },
    { text: `# long\n# lines\nF1: type ${"x".repeat(5000)}\n`, lines: [3] },
    { text: "F1: type ok\r\nF2: type \\{999}\r\n", lines: [2] },
  ];
  for (const { text, lines } of cases) {
    const messages = vx.check(text);
    assert.deepEqual(messages.map((m) => m.line), lines, String(text));
    const printed = run_native(["convert", "t.conf", "/dev/null"], { files: { "t.conf": text } }).stderr;
    assert.equal(messages.map((m) => `${m.text}\n`).join(""), printed);
    for (const message of messages) assert.match(message.text, new RegExp(`^error: line ${message.line}: `));
  }
});

test("the keywords are those of the table of commands, synonyms included", () => {
  const keywords = vx.keywords();
  for (const word of ["set", "inv", "invert", "type", "sleep", "expand", "status", "speed"]) {
    assert.ok(keywords.includes(word), word);
  }
  assert.equal(new Set(keywords).size, keywords.length);
});
