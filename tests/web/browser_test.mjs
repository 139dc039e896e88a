// The page in a real browser: Debian's chromium, headless, driven by
// puppeteer-core (npm ci). Serves build/web/page from localhost, converts
// examples/colors.png with the options of the README's worked example and
// compares the console, every download and the preview canvas with the native
// program's run of the same command line; then a damaged PNG (its damage line,
// no download) and a second conversion after it. No message of the browser's
// console may be an error. A missing browser, puppeteer-core or native
// program skips the test (exit code 77); PIXMOLD_REQUIRE_TOOLS=1 fails it.
//
//   node tests/web/browser_test.mjs --page build/web/page --program build/linux-x64/converter/pixmold
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";

const option = (name) => path.resolve(process.argv[process.argv.indexOf(name) + 1]);
const [pageFolder, program, chromium] = [option("--page"), option("--program"), "/usr/bin/chromium"];
const work = fs.mkdtempSync(path.join(os.tmpdir(), "pixmold-browser-"));
const WORKED = "-s colors.png -d colors.asm -e colors.spr -b colors.bin -preview colors-preview.png -colors".split(" ");
const wait = { timeout: 20_000 };

async function puppeteerOrSkip() {
  const missing = [[chromium, "chromium (apt-get install chromium)"], [program, "native program"]]
    .filter(([file]) => !fs.existsSync(file)).map(([, what]) => what);
  const puppeteer = await import("puppeteer-core").catch(() => missing.push("puppeteer-core (npm ci)"));
  if (missing.length === 0) {
    return puppeteer.default;
  }
  console.log(`skipped: no ${missing.join(", no ")}`);
  process.exit(process.env.PIXMOLD_REQUIRE_TOOLS === "1" ? 1 : 77);
}

// The page's folder over HTTP, as any static host serves it.
function serve(folder) {
  const types = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm" };
  const server = http.createServer(({ url }, response) => fs.readFile(path.join(folder, path.normalize(url)),
    (error, bytes) => response.writeHead(error ? 404 : 200, { "Content-Type": types[path.extname(url)] }).end(bytes)));
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

const filesOf = (folder, names = fs.readdirSync(folder)) =>
  Object.fromEntries(names.map((name) => [name, fs.readFileSync(path.join(folder, name))]));

// The native program's console (after the banner, whose version tells 32 from
// 64 bits) and files for the worked example's words, its names begun with stem.
function nativeRun(stem, sheet) {
  const folder = fs.mkdtempSync(path.join(work, "native-"));
  const words = WORKED.map((word) => word.replace(/^colors/, stem));
  fs.copyFileSync(sheet, path.join(folder, words[1]));
  const console = execFileSync(program, words, { cwd: folder, encoding: "latin1" });
  fs.rmSync(path.join(folder, words[1]));
  return { console: console.replace(/\r\n$/, "").split("\r\n").slice(1), files: filesOf(folder) };
}

async function convert(page, sheet, status) {
  await (await page.$("#sheet")).uploadFile(sheet);
  await page.waitForFunction(() => !document.querySelector("#convert").disabled, wait);
  await page.click("#convert");
  await page.waitForFunction((text) => document.querySelector("#status").textContent === text, wait, status);
  return page.evaluate(() => ({
    command: document.querySelector("#command").textContent,
    console: document.querySelector("#console").textContent.split("\n").slice(1),
    downloads: [...document.querySelectorAll("#downloads a")].map((link) => link.download).sort(),
  }));
}

// Clicks every download link and reads the files once all have arrived.
async function download(page, folder, names) {
  for (const name of names) {
    await page.click(`#downloads a[download="${name}"]`);
  }
  for (let waited = 0; !fs.existsSync(folder) || fs.readdirSync(folder).sort().join() !== names.join(); waited += 100) {
    assert.ok(waited < wait.timeout, `downloads: ${fs.existsSync(folder) && fs.readdirSync(folder)}`);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  return filesOf(folder, names);
}

// The preview canvas's pixels against the native PNG, decoded by the browser's <img>.
function canvasMatches(page, png) {
  return page.evaluate(async (base64) => {
    const image = Object.assign(new Image(), { src: `data:image/png;base64,${base64}` });
    await image.decode();
    const [shown, drawn] = [document.querySelector("#preview"), new OffscreenCanvas(image.width, image.height)];
    drawn.getContext("2d").drawImage(image, 0, 0);
    const pixels = (canvas) => canvas.getContext("2d").getImageData(0, 0, image.width, image.height).data.join();
    return shown.width === image.width && shown.height === image.height && pixels(shown) === pixels(drawn);
  }, png.toString("base64"));
}

const puppeteer = await puppeteerOrSkip();
const server = await serve(pageFolder);
const browser = await puppeteer.launch({ executablePath: chromium, headless: true, userDataDir: path.join(work, "p"),
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
    "--disable-component-update", "--disable-sync"] });
try {
  const [errors, page] = [[], await browser.newPage()];
  page.on("console", (message) => message.type() === "error" && errors.push(message.text()));
  page.on("pageerror", (error) => errors.push(String(error)));
  const [cdp, downloads] = [await page.createCDPSession(), path.join(work, "downloads")];
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
  await page.goto(`http://127.0.0.1:${server.address().port}/index.html`);

  const colors = path.join(work, "colors.png");
  fs.copyFileSync(path.join(import.meta.dirname, "../../examples/colors.png"), colors);
  const native = nativeRun("colors", colors);
  await page.click("#colors"); // the options of the README's worked example: -colors
  const shown = await convert(page, colors, "Done.");
  assert.deepEqual([shown.command, shown.console], [`pixmold ${WORKED.join(" ")}`, native.console]);
  assert.deepEqual(await download(page, downloads, shown.downloads), native.files);
  assert.ok(await canvasMatches(page, native.files["colors-preview.png"]), "the preview canvas differs");

  const [damaged, bytes] = [path.join(work, "damaged.png"), fs.readFileSync(colors)];
  bytes[bytes.indexOf("IDAT") + 10] ^= 0xff; // one byte of the compressed picture changed
  fs.writeFileSync(damaged, bytes);
  const refused = await convert(page, damaged, "Nothing was written: see the console.");
  assert.deepEqual(refused.console, nativeRun("damaged", damaged).console);
  assert.ok(refused.console.includes("> Error: PNG file is damaged: its compressed picture data is broken.")
    && refused.downloads.length === 0);

  const again = await convert(page, colors, "Done.");
  assert.deepEqual([again.console, again.downloads], [native.console, shown.downloads]);
  assert.deepEqual(errors, []);
  console.log("the page converts as the native program does");
} finally {
  await browser.close();
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
