// vorlanex in a browser or in node: the command-line tool built as
// WebAssembly, one entry point for everything the page does.
//
//   const vx = await createVorlanex();
//   const r = await vx.run(["convert", "my.conf", "my.bin"], { files: { "my.conf": text } });
//   // r.status, r.stdout (Uint8Array), r.stderr (string), r.files["my.bin"]
//   vx.check(text);     // [{ line, text }]: the messages of loading the text
//   vx.keywords();      // the command words of the language
//
// Every run starts a fresh instance of the tool from one compiled module, on
// a private in-memory file system: nothing of one run (options, definitions,
// files) reaches the next, as with separate processes.

import createVorlanexModule from "./vorlanex-core.js";

const kWorkingDirectory = "/work";
const encoder = new TextEncoder();
const decoder = new TextDecoder();

function bytes_of(value) {
  if (value === undefined || value === null) return new Uint8Array(0);
  if (typeof value === "string") return encoder.encode(value);
  if (value instanceof Uint8Array) return value;
  if (value instanceof ArrayBuffer || ArrayBuffer.isView(value)) {
    return new Uint8Array(value.buffer ?? value, value.byteOffset ?? 0, value.byteLength);
  }
  throw new TypeError("expected a string or bytes");
}

// The bytes of vorlanex-core.wasm beside this file: read from the disk in
// node, fetched by the browser.
async function wasm_bytes(url) {
  if (typeof process === "object" && process.versions?.node && url.protocol === "file:") {
    const { readFile } = await import("node:fs/promises");
    return readFile(url);
  }
  const response = await fetch(url);
  if (!response.ok) throw new Error(`${url}: ${response.status} ${response.statusText}`);
  return response.arrayBuffer();
}

// A growing byte buffer for what the tool writes, one byte at a time.
class ByteSink {
  constructor() {
    this.bytes = new Uint8Array(1024);
    this.length = 0;
  }
  push(byte) {
    if (this.length === this.bytes.length) {
      const larger = new Uint8Array(this.bytes.length * 2);
      larger.set(this.bytes);
      this.bytes = larger;
    }
    this.bytes[this.length++] = byte & 0xff;
  }
  take() {
    return this.bytes.slice(0, this.length);
  }
}

// An instance of the tool that has not run main. `streams` has its standard
// streams: stdin() gives a byte or null at the end, stdout(byte), stderr(byte).
function instantiate(compiled, streams) {
  return createVorlanexModule({
    noInitialRun: true,
    thisProgram: "vorlanex",
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled));
      return {};
    },
    // The tool's end throws out of callMain, which answers the status;
    // nothing may end the host process (node's default).
    quit(status, toThrow) {
      throw toThrow;
    },
    stdin: streams.stdin,
    stdout: (byte) => byte !== null && streams.stdout(byte),
    stderr: (byte) => byte !== null && streams.stderr(byte),
    print() {},
    printErr() {},
  });
}

function place_files(FS, files) {
  FS.mkdir(kWorkingDirectory);
  FS.chdir(kWorkingDirectory);
  for (const [name, content] of Object.entries(files)) {
    if (name.includes("/")) throw new Error(`${name}: files go in the working directory`);
    FS.writeFile(name, bytes_of(content));
  }
}

function collect_files(FS) {
  const files = {};
  for (const name of FS.readdir(kWorkingDirectory)) {
    const path = `${kWorkingDirectory}/${name}`;
    if (FS.isFile(FS.stat(path).mode)) files[name] = FS.readFile(path);
  }
  return files;
}

/// Loads the tool. `options.wasm` may give the module's URL or its bytes.
export async function createVorlanex(options = {}) {
  let source = options.wasm ?? new URL("vorlanex-core.wasm", import.meta.url);
  if (typeof source === "string" || source instanceof URL) {
    source = await wasm_bytes(new URL(source, import.meta.url));
  }
  const compiled = source instanceof WebAssembly.Module ? source : await WebAssembly.compile(source);
  // One instance, which never runs main, answers check() and keywords().
  const helper = await instantiate(compiled, { stdin: () => null, stdout() {}, stderr() {} });

  /// Runs the command line (without the program's name) as the native tool
  /// would; resolves to { status, stdout, stderr, files }.
  async function run(args = [], { stdin, files = {} } = {}) {
    const input = bytes_of(stdin);
    let position = 0;
    const out = new ByteSink();
    const err = new ByteSink();
    const tool = await instantiate(compiled, {
      stdin: () => (position < input.length ? input[position++] : null),
      stdout: (byte) => out.push(byte),
      stderr: (byte) => err.push(byte),
    });
    place_files(tool.FS, files);
    const status = tool.callMain(args.map(String));
    return {
      status: status & 0xff,
      stdout: out.take(),
      stderr: decoder.decode(err.take()),
      files: collect_files(tool.FS),
    };
  }

  /// The messages of loading the text as convert does, each with its line
  /// (0 when it belongs to none): [{ line, text }].
  function check(text) {
    const input = bytes_of(text);
    const address = helper._malloc(Math.max(input.length, 1));
    helper.HEAPU8.set(input, address);
    const result = helper.UTF8ToString(helper._vorlanex_check(address, input.length));
    helper._free(address);
    return result
      .split("\n")
      .filter((line) => line !== "")
      .map((line) => JSON.parse(line));
  }

  /// The command words of the language, from its table of commands.
  function keywords() {
    return JSON.parse(helper.UTF8ToString(helper._vorlanex_keywords()));
  }

  return { run, check, keywords };
}

export default createVorlanex;
