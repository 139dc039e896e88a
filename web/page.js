// pixmold's page: takes a sheet and the options, runs the converter in a
// worker (worker.js) as the command line would run it, and shows its console,
// its downloads and the preview of what the C64 shows.
"use strict";

// The C64's colours, named as the program names them, drawn in its first palette.
const C64_COLORS = [
  ["black", "000000"], ["white", "FFFFFF"], ["red", "68372B"], ["cyan", "70A4B2"],
  ["purple", "6F3D86"], ["green", "588D43"], ["blue", "352879"], ["yellow", "B8C76F"],
  ["orange", "6F4F25"], ["brown", "433900"], ["light red", "9A6759"], ["dark grey", "444444"],
  ["grey", "6C6C6C"], ["light green", "9AD284"], ["light blue", "6C5EB5"], ["light grey", "959595"],
];
const KINDS = [[".asm", "Source"], [".spr", "SpritePad"], [".bin", "Binary"], ["-preview.png", "Preview"]];

const $ = (id) => document.getElementById(id);
let sheet = null; // {name, bytes} of the sheet chosen
let worker = null;
let busy = false; // a conversion is under way
let links = []; // the downloads' object URLs, revoked when the next result comes

function fillColorPickers() {
  for (const select of document.querySelectorAll("select.color")) {
    select.add(new Option("as pixmold chooses", ""));
    C64_COLORS.forEach(([name], number) => select.add(new Option(`${number} (${name})`, String(number))));
    select.addEventListener("change", () => showSwatch(select));
    showSwatch(select);
  }
}

function showSwatch(select) {
  const swatch = select.nextElementSibling;
  swatch.classList.toggle("none", select.value === "");
  swatch.style.background = select.value === "" ? "" : `#${C64_COLORS[Number(select.value)][1]}`;
}

// -mixed, -bg, -mc and -overlay read the C64 colours: they go with -colors.
function updateControls() {
  const mixed = document.querySelector("input[name=mode]:checked").value === "-mixed";
  $("colors").disabled = mixed;
  if (mixed) {
    $("colors").checked = true;
  }
  const colors = $("colors").checked;
  for (const id of ["bg", "mc1", "mc2", "overlay"]) {
    $(id).disabled = !colors;
    $(id).closest("label").classList.toggle("disabled", !colors);
  }
  $("convert").disabled = sheet === null || busy;
}

// The run's parameters, as a command line would give them, or a reason why there is none.
function parametersFor(name) {
  const stem = name.replace(/\.[^.]*$/, "") || "sprites";
  const words = ["-s", name];
  for (const [ending, option] of [[".asm", "-d"], [".spr", "-e"], [".bin", "-b"], ["-preview.png", "-preview"]]) {
    words.push(option, stem + ending);
  }
  const mode = document.querySelector("input[name=mode]:checked").value;
  if (mode !== "") {
    words.push(mode);
  }
  if ($("colors").checked) {
    if (mode !== "-mixed") {
      words.push("-colors");
    }
    if ($("bg").value !== "") {
      words.push("-bg", $("bg").value);
    }
    if (($("mc1").value === "") !== ($("mc2").value === "")) {
      return { reason: "Choose both multicolours, or let pixmold choose both." };
    }
    if ($("mc1").value !== "") {
      words.push("-mc", `${$("mc1").value},${$("mc2").value}`);
    }
    if ($("overlay").checked) {
      words.push("-overlay");
    }
  }
  for (const id of ["dialect", "hex"]) {
    const word = id === "hex" ? ($("hex").checked ? "-hex" : "") : $(id).value;
    if (word !== "") {
      words.push(word);
    }
  }
  return { words };
}

function quoted(word) {
  return /^[\w.,$-]+$/.test(word) ? word : `"${word.replace(/"/g, '\\"')}"`;
}

function setStatus(text, working) {
  $("status").textContent = text;
  $("status").classList.toggle("busy", working);
}

function startWorker() {
  worker = new Worker("worker.js");
  worker.onmessage = ({ data }) => finish(data);
  worker.onerror = (event) => {
    event.preventDefault();
    finish({ failure: event.message || "the converter could not be started" });
  };
}

function convert(event) {
  event.preventDefault();
  const { words, reason } = parametersFor(sheet.name);
  if (reason) {
    setStatus(reason, false);
    return;
  }
  $("command").textContent = ["pixmold", ...words].map(quoted).join(" ");
  busy = true;
  updateControls();
  setStatus("Converting ...", true);
  worker.postMessage({ parameters: words, files: [{ name: sheet.name, bytes: sheet.bytes }] });
}

async function finish({ result, failure }) {
  busy = false;
  links.forEach((url) => URL.revokeObjectURL(url));
  links = [];
  $("downloads").replaceChildren();
  $("preview").hidden = true;
  $("result").hidden = false;
  if (failure) {
    $("console").textContent = "";
    setStatus(`The converter failed: ${failure}`, false);
    worker.terminate();
    startWorker();
  } else {
    $("console").textContent = result.lines.join("\n");
    const outputs = result.files.filter((file) => file.name !== sheet.name);
    outputs.forEach(offerDownload);
    const preview = outputs.find((file) => file.name.endsWith("-preview.png"));
    if (preview) {
      await showPreview(preview.bytes);
    }
    setStatus(outputs.length > 0 ? "Done." : "Nothing was written: see the console.", false);
  }
  updateControls();
}

function offerDownload(file) {
  const url = URL.createObjectURL(new Blob([file.bytes], { type: "application/octet-stream" }));
  links.push(url);
  const link = document.createElement("a");
  const kind = KINDS.find(([ending]) => file.name.endsWith(ending));
  link.href = url;
  link.download = file.name;
  link.textContent = `${kind ? kind[1] : "File"}: ${file.name}`;
  $("downloads").append(link);
}

// The preview at its own size, scaled up by whole pixels with sharp edges.
async function showPreview(bytes) {
  const picture = await createImageBitmap(new Blob([bytes], { type: "image/png" }));
  const canvas = $("preview");
  canvas.width = picture.width;
  canvas.height = picture.height;
  canvas.getContext("2d").drawImage(picture, 0, 0);
  const room = Math.max(1, Math.floor(canvas.parentElement.clientWidth / picture.width));
  canvas.style.width = `${picture.width * Math.min(room, 4)}px`;
  canvas.hidden = false;
}

async function takeSheet(file) {
  if (!file) {
    return;
  }
  sheet = { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) };
  $("sheet-name").textContent = `${file.name} (${sheet.bytes.length} bytes)`;
  setStatus("", false);
  updateControls();
}

function listen() {
  const drop = $("drop");
  $("sheet").addEventListener("change", () => takeSheet($("sheet").files[0]));
  drop.addEventListener("dragover", (event) => {
    event.preventDefault();
    drop.classList.add("over");
  });
  drop.addEventListener("dragleave", () => drop.classList.remove("over"));
  drop.addEventListener("drop", (event) => {
    event.preventDefault();
    drop.classList.remove("over");
    takeSheet(event.dataTransfer.files[0]);
  });
  $("options").addEventListener("change", updateControls);
  $("options").addEventListener("submit", convert);
}

fillColorPickers();
listen();
startWorker();
updateControls();
