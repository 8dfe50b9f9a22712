// make bench's web page against its browser floor (scripts/web-cpu.sh runs it):
//   node bench/web-bench.mjs SITE [SECONDS] [OTHER-SITE]
// 1. records the page's presents (`index.html?seed=1&trace`) for the warm-up, SECONDS (120) and
//    five more, alone in headless Chromium with a 1920x1080 viewport;
// 2. then, side by side, each in a Chromium of its own at that viewport: the page (seed 1), its
//    floor (web-floor.html replaying that trace), and OTHER-SITE's page if given (another build);
//    after the warm-up (DETONIX_BENCH_WARMUP, 10 s) and again after SECONDS, the processor time
//    of all threads of each Chromium (every process of its session) and their context switches;
//    then the proportional memory (PSS) of each one's renderer and of the whole browser;
// 3. the time from the navigation to the first board (the page's title becoming "Detonix"), the
//    middle of five loads with an empty cache, over loopback and at 10 Mbit/s (DevTools' network
//    emulation, 20 ms round trip), the files sent as they are and gzipped, OTHER-SITE's too.
import { mkdtempSync, readdirSync, readFileSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { chromium, serve } from "../tests/shell/web/chromium.mjs";

const [site, secondsText = "120", other] = process.argv.slice(2);
const seconds = Number(secondsText);
const warmup = Number(process.env.DETONIX_BENCH_WARMUP || 10);
const program = process.env.CHROMIUM || "chromium";
const work = mkdtempSync(join(tmpdir(), "detonix-web-bench-"));
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const servers = [];
const browsers = [];
const finish = (status) => { browsers.forEach((b) => b.close()); servers.forEach((s) => s.close()); process.exit(status); };
async function served(folders, options) {
  const server = await serve(folders, options);
  servers.push(server);
  return server;
}
// A Chromium whose viewport is 1920x1080: headless counts its window's frame in the window size.
async function browser() {
  const why = {};
  const page = await chromium(program, ["--window-size=1920,1080"], why);
  if (!page) { console.log(`web bench: chromium did not start: ${why.text}`); finish(1); }
  browsers.push(page);
  await page.send("Page.navigate", { url: "about:blank" });
  const { windowId } = await page.send("Browser.getWindowForTarget");
  const frame = await page.evaluate("outerHeight - innerHeight");
  await page.send("Browser.setWindowBounds", { windowId, bounds: { width: 1920, height: 1080 + frame } });
  return page;
}

// Every process of a Chromium: its session, which it leads.
function processes(page) {
  const sid = String(page.browser.pid);
  return readdirSync("/proc").filter((p) => /^\d+$/.test(p)).filter((p) => {
    try { return readFileSync(`/proc/${p}/stat`, "utf8").replace(/^.*\) /, "").split(" ")[3] === sid; } catch { return false; }
  });
}
// [seconds of processor time, context switches] of all their threads so far.
function counters(page) {
  let ns = 0;
  let switches = 0;
  for (const p of processes(page)) {
    try {
      for (const t of readdirSync(`/proc/${p}/task`)) {
        ns += Number(readFileSync(`/proc/${p}/task/${t}/schedstat`, "utf8").split(" ")[0]);
        for (const m of readFileSync(`/proc/${p}/task/${t}/status`, "utf8").matchAll(/ctxt_switches:\s*(\d+)/g)) switches += Number(m[1]);
      }
    } catch {}  // ended meanwhile
  }
  return [ns / 1e9, switches];
}
// [the largest renderer's PSS, the whole browser's], in MB.
function pss(page) {
  let renderer = 0;
  let all = 0;
  for (const p of processes(page)) {
    try {
      const kb = Number(/^Pss:\s*(\d+)/m.exec(readFileSync(`/proc/${p}/smaps_rollup`, "utf8"))[1]);
      all += kb;
      if (readFileSync(`/proc/${p}/cmdline`, "utf8").includes("--type=renderer")) renderer = Math.max(renderer, kb);
    } catch {}
  }
  return [renderer / 1024, all / 1024];
}
const load = () => readFileSync("/proc/loadavg", "utf8").split(" ").slice(0, 3).join(" ");

const server = await served([site, dirname(fileURLToPath(import.meta.url)), work]);
const recorder = await browser();
const { product } = await recorder.send("Browser.getVersion", {}, true);
console.log(`web page against its floor: headless ${product}, 1920x1080 viewport, seed 1, load ${load()}`);
await recorder.send("Page.navigate", { url: server.base + "index.html?seed=1&trace" });
await sleep((warmup + seconds + 5) * 1000);
const size = await recorder.evaluate("innerWidth + 'x' + innerHeight");
const trace = await recorder.evaluate("JSON.stringify(Module.detonixTrace)");
recorder.close();
if (!trace || trace === "[]") { console.log("web bench: the page recorded no presents"); finish(1); }
writeFileSync(join(work, "trace.json"), trace);
const presents = JSON.parse(trace);
console.log(`  trace: ${presents.length} presents, ${presents.reduce((n, p) => n + (p.length - 1) / 4, 0)} rectangles, viewport ${size}`);

const sides = [["page", server.base + "index.html?seed=1"], ["floor", server.base + "web-floor.html?trace=trace.json"]];
if (other) sides.push(["other", (await served([other])).base + "index.html?seed=1"]);
const pages = [];
for (const _ of sides) pages.push(await browser());
await Promise.all(sides.map(([, url], i) => pages[i].send("Page.navigate", { url })));
await sleep(warmup * 1000);
const loadStart = load();
const before = pages.map(counters);
await sleep(seconds * 1000);
const after = pages.map(counters);
const loadEnd = load();
const titles = await Promise.all(pages.map((p) => p.evaluate("document.title")));
const memory = pages.map(pss);
pages.forEach((p) => p.close());
console.log(`  processor time over ${seconds} s after ${warmup} s, side by side (load ${loadStart}, then ${loadEnd}):`);
console.log("    side    % of a core  wake-ups/s  renderer PSS MB  browser PSS MB  title at the end");
const cpu = after.map(([s], i) => s - before[i][0]);
sides.forEach(([name], i) => {
  console.log(`    ${name.padEnd(6)} ${(100 * cpu[i] / seconds).toFixed(2).padStart(12)} ${((after[i][1] - before[i][1]) / seconds).toFixed(1).padStart(11)}` +
              ` ${memory[i][0].toFixed(1).padStart(16)} ${memory[i][1].toFixed(1).padStart(15)}  ${titles[i]}`);
});
console.log(`  page / floor: ${(cpu[0] / cpu[1]).toFixed(2)}${other ? `; other / floor: ${(cpu[2] / cpu[1]).toFixed(2)}` : ""}`);

// First boards, each load with an empty cache and no service worker.
const timer = await browser();
await timer.send("Page.enable");
await timer.send("Network.enable");
await timer.send("Network.setCacheDisabled", { cacheDisabled: true });
await timer.send("Network.setBypassServiceWorker", { bypass: true });
await timer.send("Page.addScriptToEvaluateOnNewDocument", { source: `new MutationObserver(() => {
  if (/^Detonix( \\(saver\\))?$/.test(document.title) && !window.detonixBenchBoard) window.detonixBenchBoard = performance.now();
}).observe(document, { subtree: true, childList: true, characterData: true });` });
// Loads taken in turns, so that a busy stretch of the machine falls on all of them alike.
const cases = [];
for (const [name, folder] of [["page", site], ...(other ? [["other", other]] : [])]) {
  const plain = await served([folder]);
  const gzipped = await served([folder], { gzip: true });
  for (const [how, base, rate] of [["loopback", plain.base, 0], ["10 Mbit/s", plain.base, 10e6], ["10 Mbit/s gzipped", gzipped.base, 10e6]])
    cases.push({ name, how, base, rate, runs: [] });
}
for (let i = 0; i < 5; ++i) {
  for (const c of cases) {
    await timer.send("Network.emulateNetworkConditions", { offline: false, latency: c.rate ? 20 : 0,
                                                           downloadThroughput: c.rate ? c.rate / 8 : -1, uploadThroughput: c.rate ? c.rate / 8 : -1 });
    await timer.send("Page.navigate", { url: "about:blank" });
    await timer.send("Page.navigate", { url: c.base + "index.html?seed=1" });
    let at;
    for (let w = 0; w < 300 && !(at = await timer.evaluate("window.detonixBenchBoard")); ++w) await sleep(20);
    c.runs.push(at ? at / 1000 : NaN);
  }
}
for (const name of new Set(cases.map((c) => c.name))) {
  const times = cases.filter((c) => c.name === name).map((c) => `${c.how} ${c.runs.sort((a, b) => a - b)[2].toFixed(2)} s`);
  console.log(`  ${name}'s first board, the middle of five loads: ${times.join(", ")}`);
}
finish(0);
