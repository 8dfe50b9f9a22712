// Drives the web page in headless Chromium: SITE (build-web) served on a loopback port of its
// own, opened as a file, and offline from its service worker. Prints one line a check ("ok: ..."
// or "FAIL: ...") and leaves the screenshots in OUT for the board comparison. HEADLESS is the
// native headless tool, whose option parser the settings form is held to. Status 77 when
// Chromium does not start.
import { spawnSync } from "node:child_process";
import { writeFile } from "node:fs/promises";
import { join } from "node:path";
import { chromium, serve } from "./chromium.mjs";

const [site, out, program, headless] = process.argv.slice(2);
const server = await serve([site]);
const base = server.base + "index.html";
// The browsers' default: sound only after a gesture.
const why = {};
const page = await chromium(program, ["--autoplay-policy=document-user-activation-required"], why);
if (!page) { console.log(`skip: chromium did not start: ${why.text}`); process.exit(77); }
const finish = (status) => { page.close(); server.close(); process.exit(status); };
page.exited.then(() => { console.log("FAIL: chromium ended before the checks did"); finish(1); });
const { send, evaluate } = page;
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
async function titled(title, seconds = 20) {
  for (let i = 0; i < seconds * 20; ++i) {
    if ((await evaluate("document.title")) === title) return true;
    await sleep(50);
  }
  return false;
}
function check(ok, what) { console.log(`${ok ? "ok" : "FAIL"}: ${what}`); }
async function open(query, ratio = 1, screen = {}, url = base) {
  await send("Emulation.setDeviceMetricsOverride", { width: 1280, height: 800, deviceScaleFactor: ratio, mobile: false, ...screen });
  await send("Page.navigate", { url: url + query });
}
async function shot(name) {
  const { data } = await send("Page.captureScreenshot", { format: "png" });
  await writeFile(join(out, name), Buffer.from(data, "base64"));
}
const key = async (key = "a", code = "KeyA", text = "a", windowsVirtualKeyCode = 65) => {
  for (const type of ["keyDown", "keyUp"]) await send("Input.dispatchKeyEvent", { type, key, code, text, windowsVirtualKeyCode });
  await sleep(300);
};
const settings = async () => (await evaluate("JSON.stringify(settingsState().values)")).replace(/"/g, "");

// Before the service worker keeps anything: a program that does not come is said in the page.
server.refused.add("/detonix.wasm");
await open("?seed=7");
check(await titled("Detonix: failed") && (await evaluate("document.body.textContent")).includes("detonix.wasm: 404"),
      "a program that does not load is said in the page, with why");
server.refused.clear();
await open("?seed=7", 1, {}, `file://${site}/index.html`);
check(await titled("Detonix"), "the page opened as a file plays");

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

// Settings: stored in the browser, the address's over them, a bad value said beside its control.
await evaluate("localStorage.setItem('detonix.settings', 'speed=200\\nplayer2=Tavvy')");
await open("?seed=7&player1=Murvex&player2=Olandrix&fixed-blocks=2");
await titled("Detonix");
check((await settings()).includes("fixed-blocks:0.4,destructible-blocks:0.15,powerups:30,player1:Murvex,player2:Olandrix,speed:200"),
      `settings from the browser's store and the address: ${await settings()}`);
// The keyboard reaches the Settings button, which shows, and opens the form. (The button was
// shown for the value not applied; as three seconds later, it is not.)
await evaluate("document.getElementById('open').classList.remove('shown')");
await key("Tab", "Tab", "", 9);
await sleep(400);
const shown = await evaluate("getComputedStyle(document.activeElement).opacity > 0.5 && document.activeElement.id === 'open'");
await key("Enter", "Enter", "\r", 13);
check(shown && (await evaluate("document.getElementById('settings').open")), "Tab shows the Settings button and Enter opens the form");
check((await evaluate("document.getElementById('n-fixed-blocks').textContent")).includes("fixed-blocks=2 was not applied"),
      "the value not applied is said beside its control");
// Each field of the form takes what the game's option parser takes, and nothing else: its
// range's ends and the values just past them, a half step, an exponent, nothing, each choice.
const rows = await evaluate(`[...document.querySelectorAll("#rows [name]")].filter((f) => f.type !== "checkbox")
  .map((f) => [f.name, f.type === "number" ? [f.min, f.max, String(+f.min - 1), String(+f.max + 1), String((+f.min + +f.max) / 2 + 0.25), "1e1", "1e-1", ""]
                                          : [...f.options].map((o) => o.value)])`);
for (const [name, values] of rows) {
  const wrong = [];
  for (const value of values) {
    const form = await evaluate(`(() => { const f = document.querySelector("#rows [name='${name}']"); f.value = ${JSON.stringify(value)};
      f.dispatchEvent(new Event("input", { bubbles: true })); return f.checkValidity(); })()`);
    const parser = spawnSync(headless, ["play", "--minutes", "0", "--width", "300", "--height", "300", `--${name}`, value]).status === 0;
    if (form !== parser) wrong.push(`${value || "nothing"} (form ${form}, parser ${parser})`);
  }
  check(rows.length >= 6 && wrong.length === 0, `the form's ${name} takes what the option takes of ${values.join(" ")}${wrong.length ? ": not " + wrong.join(", ") : ""}`);
}
await evaluate("document.getElementById('settings').close()");

// Hostile store and address: two megabytes, a NUL, a line break in the address.
await evaluate(`localStorage.setItem('detonix.settings', 'speed=' + '9'.repeat(2 << 20))`);
await open("?seed=7");
check(await titled("Detonix") && (await evaluate("localStorage.getItem('detonix.settings')")) === null,
      "two megabytes of stored settings are refused, said and cleared, and the page plays");
await evaluate(`localStorage.setItem('detonix.settings', 'speed=200\\n\\0junk\\nplayer1=Murvex')`);
await open("?seed=7&x=1%0Aspeed%3D300");
check(await titled("Detonix") && /player1:Murvex,.*speed:200/.test(await settings()) &&
      (await evaluate("localStorage.getItem('detonix.settings')")) === "speed=200\nplayer1=Murvex\n",
      `a NUL in the store costs only its line, which is dropped; a line break in the address sets nothing: ${await settings()}`);
await evaluate("localStorage.clear()");

// A key does not end the page; sound only with the setting and after a gesture.
await key();
check((await evaluate("document.title")) === "Detonix", "a key leaves the page playing");
check(await evaluate("!Module.detonixAudio"), "no sound without the setting");
await open("?seed=7&sound");
await titled("Detonix");
const before = await evaluate("Module.detonixAudio.state");
await key();
check(before !== "running" && (await evaluate("Module.detonixAudio.state")) === "running",
      "with the setting, sound starts at the first gesture, not before");

// The saver's ends: a move only beyond 20 CSS pixels, a wheel turn, and the first key on a page
// smaller than its screen (a kiosk's window without a window manager).
const move = (x, y) => send("Input.dispatchMouseEvent", { type: "mouseMoved", x, y });
await open("?seed=7#saver", 2);
check(await titled("Detonix (saver)"), "the saver page plays");
await move(100, 100);
await move(120, 80);
await sleep(300);
check((await evaluate("document.title")) === "Detonix (saver)", "a move of 20 CSS pixels at ratio 2 leaves the saver playing");
await move(121, 100);
check(await titled("Detonix: ended", 2), "a move of 21 CSS pixels ends the saver");
await open("?seed=7&saver=on");
await titled("Detonix (saver)");
await send("Input.dispatchMouseEvent", { type: "mouseWheel", x: 100, y: 100, deltaX: 0, deltaY: 120 });
check(await titled("Detonix: ended", 2), "a wheel turn ends the saver");
await open("?seed=7&saver=off");
check(await titled("Detonix"), "saver=off is no saver");
await open("?seed=7&saver", 1, { screenWidth: 1920, screenHeight: 1080 });
check(await titled("Detonix (saver)"), "the saver page plays, asked for by a parameter");
await key();
check(await titled("Detonix: ended", 2), "the first key ends the saver, on a page smaller than its screen too");
check(!(await evaluate("!!document.querySelector('canvas')")), "the ended saver shows no board");

// The service worker has kept the site: the next visit plays with the server gone.
check(await evaluate("Promise.race([navigator.serviceWorker.ready.then(() => true), new Promise((done) => setTimeout(done, 10000, false))])"),
      "the service worker is ready");
server.offline = true;
await open("?seed=7");
check(await titled("Detonix"), "offline, the second visit plays from the service worker");
finish(0);
