// node site.mjs SOURCE ASSETS SITE VERSION LICENSE COPYRIGHT: the site around detonix.js and
// detonix.wasm (already in SITE), at build time. index.html gets the settings form's rows, the
// version and the program's size; detonix-wasm.js holds the program for a page opened as a file,
// where a browser fetches nothing; the service worker's cache is named by the bytes it keeps, so
// that a new build replaces it. Nothing in them depends on when or where they were made.
import { createHash } from "node:crypto";
import { copyFileSync, readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";

const [source, assets, site, version, license, copyright] = process.argv.slice(2);
const wasm = readFileSync(join(site, "detonix.wasm"));
const filled = (text, values) => text.replace(/@([A-Z_]+)@/g, (all, name) => {
  if (!(name in values)) throw new Error(`nothing for ${all}`);
  return values[name];
});

writeFileSync(join(site, "index.html"), filled(readFileSync(join(source, "index.html"), "utf8"), {
  SETTINGS_ROWS: readFileSync(join(assets, "settings-rows.html"), "utf8"),
  VERSION: version,
  WASM_BYTES: String(wasm.length),
}));
writeFileSync(join(site, "detonix-wasm.js"), `detonixWasmBase64 = "${wasm.toString("base64")}";\n`);
for (const name of ["icon-192.png", "icon-512.png", "favicon.png"]) copyFileSync(join(assets, name), join(site, name));
copyFileSync(join(source, "manifest.webmanifest"), join(site, "manifest.webmanifest"));
copyFileSync(license, join(site, "LICENSE.txt"));
copyFileSync(copyright, join(site, "copyright.txt"));

// Everything a visit may ask for, but the file page's copy of the program.
const kept = ["index.html", "detonix.js", "detonix.wasm", "manifest.webmanifest", "icon-192.png", "icon-512.png",
              "favicon.png", "LICENSE.txt", "copyright.txt"];
const hash = createHash("sha256");
for (const name of kept) hash.update(readFileSync(join(site, name)));
writeFileSync(join(site, "sw.js"), filled(readFileSync(join(source, "sw.js"), "utf8"), {
  CACHE: "detonix-" + hash.digest("hex").slice(0, 16),
  FILES: JSON.stringify(["./", ...kept]),
}));
