// Headless Chromium on its DevTools protocol (a pipe), and a loopback server of a folder: what
// the web test (page.mjs) and the bench's page against its floor (bench/web-bench.mjs) share.
import { spawn } from "node:child_process";
import { mkdtemp, readFile } from "node:fs/promises";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { extname, join } from "node:path";
import { gzipSync } from "node:zlib";

const types = { ".html": "text/html", ".js": "text/javascript", ".mjs": "text/javascript", ".wasm": "application/wasm",
                ".webmanifest": "application/manifest+json", ".png": "image/png", ".txt": "text/plain", ".json": "application/json" };

// FOLDERS served on a loopback port, the first that has the file; gzipped when GZIP, as most
// servers send text and programs. Its `requests` counts what it was asked; `refuse(path)` answers
// 404 for that path, `offline` drops every connection.
export async function serve(folders, { gzip = false } = {}) {
  const server = createServer(async (req, res) => {
    const path = new URL(req.url, "http://x").pathname;
    server.requests++;
    if (server.offline) return req.socket.destroy();
    for (const folder of server.refused.has(path) ? [] : folders) {
      try {
        let body = await readFile(join(folder, path === "/" ? "index.html" : path));
        const headers = { "Content-Type": types[extname(path)] || "application/octet-stream" };
        if (gzip) [body, headers["Content-Encoding"]] = [gzipSync(body), "gzip"];
        return res.writeHead(200, headers).end(body);
      } catch {}
    }
    res.writeHead(404).end();
  });
  Object.assign(server, { requests: 0, offline: false, refused: new Set() });
  await new Promise((done) => server.listen(0, "127.0.0.1", done));
  server.base = `http://127.0.0.1:${server.address().port}/`;
  return server;
}

// Chromium with ARGS, attached to its first page. Resolves to null when it cannot start (the
// reason in `why`). `send` speaks the protocol to the page (or to the browser, TOBROWSER),
// `evaluate` runs an expression in the page, `console` gathers the page's console lines.
export async function chromium(program, args = [], why = {}) {
  const browser = spawn(program, ["--headless", "--no-sandbox", "--remote-debugging-pipe", "--no-first-run",
    "--mute-audio", "--hide-scrollbars", "--disable-gpu", `--user-data-dir=${await mkdtemp(join(tmpdir(), "detonix-chromium-"))}`,
    ...args, "about:blank"], { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"], detached: true });
  let errors = "";
  browser.stderr.on("data", (d) => { errors += d; });
  browser.stdio[3].on("error", () => {});
  const exited = new Promise((done) => browser.on("exit", done).on("error", (e) => { errors += e.message; done(); }));
  // The protocol: JSON messages ended by a NUL byte, each way.
  let next = 1;
  let pending = "";
  const waiting = new Map();
  const page = { browser, console: [], session: undefined, exited };
  browser.stdio[4].on("data", (chunk) => {
    const parts = (pending + chunk).split("\0");
    pending = parts.pop();
    for (const part of parts) {
      const m = JSON.parse(part);
      if (m.id && waiting.has(m.id)) waiting.get(m.id)(m);
      if (m.method === "Runtime.consoleAPICalled") page.console.push(m.params.args.map((a) => a.value).join(" "));
    }
  });
  page.send = (method, params = {}, toBrowser = false) => {
    const id = next++;
    browser.stdio[3].write(JSON.stringify({ id, method, params, ...(toBrowser ? {} : { sessionId: page.session }) }) + "\0");
    return new Promise((done, fail) => waiting.set(id, (m) => (m.error ? fail(new Error(`${method}: ${m.error.message}`)) : done(m.result))));
  };
  page.evaluate = async (expression) => (await page.send("Runtime.evaluate", { expression, returnByValue: true, awaitPromise: true })).result.value;
  page.close = () => { try { process.kill(-browser.pid); } catch {} };
  const targets = await Promise.race([page.send("Target.getTargets", {}, true), exited.then(() => null),
                                      new Promise((done) => setTimeout(done, 20000, null))]);
  const target = targets && targets.targetInfos.find((t) => t.type === "page");
  if (!target) {
    why.text = errors.trim().split("\n").slice(-2).join(" ");
    page.close();
    return null;
  }
  page.session = (await page.send("Target.attachToTarget", { targetId: target.targetId, flatten: true }, true)).sessionId;
  await page.send("Runtime.enable");
  return page;
}
