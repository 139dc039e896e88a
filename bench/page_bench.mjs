// The page's size and speed: the transfer of every file a visitor loads
// (raw and gzip-compressed, as a static host with compression sends it), and
// the time from a click on Convert to the result, for examples/colors.png
// with -colors (median of 7, each in a new instance of the module), in
// Debian's chromium driven by puppeteer-core (npm ci). Run by hand:
//
//   node bench/page_bench.mjs [build/web/page]
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import zlib from "node:zlib";
import puppeteer from "puppeteer-core";

const folder = path.resolve(process.argv[2] ?? "build/web/page");
const TARGET_SECONDS = 1;
const kb = (bytes) => `${(bytes / 1024).toFixed(1)} KB`;

let raw = 0;
let packed = 0;
for (const name of fs.readdirSync(folder).sort()) {
  const bytes = fs.readFileSync(path.join(folder, name));
  const gzip = zlib.gzipSync(bytes, { level: 9 }).length;
  [raw, packed] = [raw + bytes.length, packed + gzip];
  console.log(`${name.padEnd(20)} ${kb(bytes.length).padStart(10)} ${kb(gzip).padStart(10)} gzip`);
}
console.log(`${"the page, in all".padEnd(20)} ${kb(raw).padStart(10)} ${kb(packed).padStart(10)} gzip`);

const types = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm" };
const server = http.createServer(({ url }, response) => fs.readFile(path.join(folder, path.normalize(url)),
  (error, bytes) => response.writeHead(error ? 404 : 200, { "Content-Type": types[path.extname(url)] }).end(bytes)));
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const profile = fs.mkdtempSync(path.join(os.tmpdir(), "pixmold-page-bench-"));
const browser = await puppeteer.launch({ executablePath: "/usr/bin/chromium", headless: true, userDataDir: profile,
  args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update"] });
try {
  const page = await browser.newPage();
  await page.goto(`http://127.0.0.1:${server.address().port}/index.html`);
  await (await page.$("#sheet")).uploadFile(path.resolve(import.meta.dirname, "../examples/colors.png"));
  await page.click("#colors");
  const seconds = [];
  for (let run = 0; run < 7; run += 1) {
    await page.waitForFunction(() => !document.querySelector("#convert").disabled);
    seconds.push(await page.evaluate(() => new Promise((resolve) => {
      const status = document.querySelector("#status");
      const started = performance.now();
      new MutationObserver((_, observer) => {
        if (status.textContent === "Done.") {
          observer.disconnect();
          resolve((performance.now() - started) / 1000);
        }
      }).observe(status, { childList: true, characterData: true, subtree: true });
      document.querySelector("#convert").click();
    })));
  }
  const median = seconds.sort((a, b) => a - b)[3];
  const figure = `${median.toFixed(3)} s (median of 7; target < ${TARGET_SECONDS} s)`;
  console.log(`examples/colors.png -colors in the page: ${figure}`);
  process.exitCode = median < TARGET_SECONDS ? 0 : 1;
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}
