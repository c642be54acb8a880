// Puts the page together: node web/build.mjs CORE_DIR SITE_DIR
//
// CORE_DIR holds the tool built with emscripten (vorlanex-core.js and .wasm);
// SITE_DIR becomes a static site that needs nothing from elsewhere. The words
// the editor highlights are asked of the tool itself, the examples are read
// from examples/, and both are bundled into app.js with CodeMirror.

import { createHash } from "node:crypto";
import { copyFile, mkdir, readFile, readdir, writeFile } from "node:fs/promises";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";
import * as esbuild from "esbuild";

const here = dirname(fileURLToPath(import.meta.url));
const [coreDir, siteDir] = process.argv.slice(2).map((path) => resolve(path));
if (!coreDir || !siteDir) {
  console.error("usage: node web/build.mjs CORE_DIR SITE_DIR");
  process.exit(2);
}

await mkdir(siteDir, { recursive: true });
for (const name of ["vorlanex-core.js", "vorlanex-core.wasm"]) {
  await copyFile(join(coreDir, name), join(siteDir, name));
}
await copyFile(join(here, "src", "vorlanex.js"), join(siteDir, "vorlanex.js"));
await copyFile(join(here, "index.html"), join(siteDir, "index.html"));
await copyFile(join(here, "style.css"), join(siteDir, "style.css"));
// Node takes the site's .js files for ES modules, as browsers do.
await writeFile(join(siteDir, "package.json"), '{ "type": "module" }\n');

// The words of the language, from the tool just built.
const { createVorlanex } = await import(pathToFileURL(join(siteDir, "vorlanex.js")).href);
const vx = await createVorlanex();
const listing = await vx.run(["--keys"]);
if (listing.status !== 0) throw new Error(`vorlanex --keys: ${listing.stderr}`);
const keys = new TextDecoder()
  .decode(listing.stdout)
  .split("\n")
  .filter((line) => line.startsWith("$"))
  .flatMap((line) => line.replace(/^\$[0-9A-F]{2}\s+\d+\s+/, "").split(", "));
const words = { keywords: vx.keywords(), keys };
await writeFile(join(coreDir, "words.json"), JSON.stringify(words, null, 1) + "\n");

const examplesDir = join(here, "..", "examples");
const examples = {};
for (const name of (await readdir(examplesDir)).filter((n) => n.endsWith(".conf")).sort()) {
  examples[name] = await readFile(join(examplesDir, name), "utf8");
}

// vorlanex:words and vorlanex:examples are the data above (words.json, beside
// the tool, shows what the editor got); the tool's module stays a file of its
// own beside app.js.
const pageData = {
  name: "vorlanex page data",
  setup(build) {
    build.onResolve({ filter: /^vorlanex:/ }, (args) => ({ path: args.path, namespace: "vorlanex" }));
    build.onLoad({ filter: /.*/, namespace: "vorlanex" }, (args) => ({
      contents: JSON.stringify(args.path === "vorlanex:words" ? words : examples),
      loader: "json",
    }));
    build.onResolve({ filter: /^\.\/vorlanex\.js$/ }, (args) => ({ path: args.path, external: true }));
  },
};

await esbuild.build({
  entryPoints: [join(here, "src", "app.js")],
  outfile: join(siteDir, "app.js"),
  bundle: true,
  format: "esm",
  minify: true,
  target: ["es2020"],
  legalComments: "eof",
  plugins: [pageData],
  logLevel: "warning",
});
// The service worker caches the site as it is now, under a version that
// changes with any of its files.
const siteFiles = ["index.html", "app.js", "style.css", "vorlanex.js", "vorlanex-core.js", "vorlanex-core.wasm"];
const hash = createHash("sha256");
for (const name of siteFiles) hash.update(await readFile(join(siteDir, name)));
const worker = (await readFile(join(here, "src", "sw.js"), "utf8"))
  .replace("__VORLANEX_VERSION__", `vorlanex-${hash.digest("hex").slice(0, 16)}`)
  .replace("__VORLANEX_FILES__", JSON.stringify(["./", ...siteFiles]));
await writeFile(join(siteDir, "sw.js"), worker);

console.log(`web: ${siteDir} (${words.keywords.length} keywords, ${keys.length} key names, ${Object.keys(examples).length} examples)`);
