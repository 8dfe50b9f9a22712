// Drives the web page in headless Chromium: SITE (build-web) served on a loopback port of its
// own, Chromium spoken to through its DevTools protocol on a pipe. Prints one line a check
// ("ok: ..." or "FAIL: ...") and leaves the screenshots in OUT for the board comparison.
// Status 77 when Chromium does not start.
import { spawn } from "node:child_process";
import { readFile, writeFile, mkdtemp } from "node:fs/promises";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { extname, join } from "node:path";

const [site, out, chromium = "chromium"] = process.argv.slice(2);
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };
const server = createServer(async (req, res) => {
  const path = new URL(req.url, "http://x").pathname;
  try {
    const body = await readFile(join(site, path === "/" ? "index.html" : path));
    res.writeHead(200, { "Content-Type": types[extname(path)] || "application/octet-stream" }).end(body);
  } catch {
    res.writeHead(404).end();
  }
});
await new Promise((done) => server.listen(0, "127.0.0.1", done));
const base = `http://127.0.0.1:${server.address().port}/index.html`;

const browser = spawn(chromium, ["--headless", "--no-sandbox", "--remote-debugging-pipe", "--no-first-run", "--mute-audio",
  "--hide-scrollbars", "--disable-gpu", `--user-data-dir=${await mkdtemp(join(tmpdir(), "detonix-chromium-"))}`, "about:blank"],
  { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"] });
let errors = "";
browser.stderr.on("data", (d) => { errors += d; });
const finish = (status) => { browser.removeAllListeners("exit"); browser.kill(); server.close(); process.exit(status); };
browser.on("error", (e) => { console.log(`skip: chromium cannot start: ${e.message}`); finish(77); });
browser.stdio[3].on("error", () => {});  // it ended: said below
browser.on("exit", (code) => {
  if (!session) { console.log(`skip: chromium ended at once (${code}): ${errors.trim().split("\n").slice(-2).join(" ")}`); finish(77); }
  console.log(`FAIL: chromium ended (${code}) before the checks did`);
  finish(1);
});

// The protocol: JSON messages ended by a NUL byte, each way.
let next = 1;
let session;
const waiting = new Map();
const console_ = [];
let pending = "";
browser.stdio[4].on("data", (chunk) => {
  const parts = (pending + chunk).split("\0");
  pending = parts.pop();
  for (const part of parts) {
    const m = JSON.parse(part);
    if (m.id && waiting.has(m.id)) waiting.get(m.id)(m);
    if (m.method === "Runtime.consoleAPICalled") console_.push(m.params.args.map((a) => a.value).join(" "));
  }
});
function send(method, params = {}, toBrowser = false) {
  const id = next++;
  browser.stdio[3].write(JSON.stringify({ id, method, params, ...(toBrowser ? {} : { sessionId: session }) }) + "\0");
  return new Promise((done, fail) => waiting.set(id, (m) => (m.error ? fail(new Error(`${method}: ${m.error.message}`)) : done(m.result))));
}
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const evaluate = async (expression) => (await send("Runtime.evaluate", { expression, returnByValue: true })).result.value;
async function titled(title, seconds = 20) {
  for (let i = 0; i < seconds * 20; ++i) {
    if ((await evaluate("document.title")) === title) return true;
    await sleep(50);
  }
  return false;
}
function check(ok, what) { console.log(`${ok ? "ok" : "FAIL"}: ${what}`); }
async function open(query, ratio, screen = {}) {
  await send("Emulation.setDeviceMetricsOverride", { width: 1280, height: 800, deviceScaleFactor: ratio, mobile: false, ...screen });
  await send("Page.navigate", { url: base + query });
}
async function shot(name) {
  const { data } = await send("Page.captureScreenshot", { format: "png" });
  await writeFile(join(out, name), Buffer.from(data, "base64"));
}

const started = await Promise.race([send("Target.getTargets", {}, true), sleep(20000).then(() => null)]);
const page = started && started.targetInfos.find((t) => t.type === "page");
if (!page) { console.log(`skip: chromium did not start: ${errors.split("\n").slice(-3).join(" ")}`); finish(77); }
session = (await send("Target.attachToTarget", { targetId: page.targetId, flatten: true }, true)).sessionId;
await send("Runtime.enable");

// The board of seed 7 at both ratios, each taken as soon as it is shown.
for (const ratio of [1, 2]) {
  await open("?seed=7", ratio);
  const shown = await titled("Detonix");
  check(shown, `the page plays at device pixel ratio ${ratio}`);
  if (shown) await shot(`ratio${ratio}.png`);
}
// A new size, then a new ratio: each a new game of the same seed, once the window settles.
for (const [ratio, name] of [[2, "resized.png"], [1, "reratioed.png"]]) {
  await send("Emulation.setDeviceMetricsOverride", { width: 1000, height: 700, deviceScaleFactor: ratio, mobile: false });
  for (let i = 0; i < 100 && (await evaluate("document.querySelector('canvas').width")) !== 1000 * ratio; ++i) await sleep(50);
  await sleep(300);
  await shot(name);
}

// Settings: stored in the browser, the address's over them, a bad value said and passed over.
await evaluate("localStorage.setItem('detonix.settings', 'speed=200\\nplayer2=Tavvy')");
await open("?seed=7&player1=Murvex&player2=Olandrix&fixed-blocks=2", 1);
await titled("Detonix");
const rows = Object.fromEntries(JSON.parse(await evaluate("Module.ccall('detonix_settings_json', 'string')")).map((r) => [r.name, r.value]));
check(rows.speed === "200" && rows.player1 === "Murvex" && rows.player2 === "Olandrix" && rows["fixed-blocks"] === "0.4",
      `settings from the browser's store and the address: ${JSON.stringify(rows)}`);
check(console_.some((line) => line.includes("fixed-blocks=2 ignored")), "a bad value in the address is said on the console");
await evaluate("localStorage.clear()");

// A key does not end the page, but does end the saver; a move ends the saver only beyond 20 CSS pixels.
const key = async () => {
  for (const type of ["keyDown", "keyUp"]) await send("Input.dispatchKeyEvent", { type, key: "a", code: "KeyA", text: "a" });
  await sleep(300);
};
const move = (x, y) => send("Input.dispatchMouseEvent", { type: "mouseMoved", x, y });
await key();
check((await evaluate("document.title")) === "Detonix", "a key leaves the page playing");
check(await evaluate("!Module.detonixAudio"), "no sound without the setting");
await open("?seed=7&sound", 1);
await titled("Detonix");
const before = await evaluate("!!Module.detonixAudio");
await key();
check(!before && (await evaluate("!!Module.detonixAudio")), "with the setting, sound starts at the first gesture, not before");
await open("?seed=7#saver", 2);
check(await titled("Detonix (saver)"), "the saver page plays");
await move(100, 100);
await move(120, 80);
await sleep(300);
check((await evaluate("document.title")) === "Detonix (saver)", "a move of 20 CSS pixels at ratio 2 leaves the saver playing");
await move(121, 100);
check(await titled("Detonix: ended", 2), "a move of 21 CSS pixels ends the saver");
// On a larger screen the first key asks for full screen instead.
await open("?seed=7&saver", 1, { screenWidth: 1920, screenHeight: 1080 });
check(await titled("Detonix (saver)"), "the saver page plays, asked for by a parameter");
await key();
check((await evaluate("document.title")) === "Detonix (saver)", "the saver's first key, on a page smaller than the screen, is for full screen");
await key();
check(await titled("Detonix: ended", 2), "the next key ends the saver");
check(!(await evaluate("!!document.querySelector('canvas')")), "the ended saver shows no board");
finish(0);
