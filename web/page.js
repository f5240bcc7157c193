// The page's half of the saver: it lends the core the browser's text drawing
// and clock, shows the pixels the core leaves every tick, and edits the
// settings through the core's own reader and writer.
'use strict';

const TICK_MS = 100;  // the saver's tick
const MOUSE_SLACK = 4;  // the travel the saver allows before it ends
const VALUE_SIZE = 1, VALUE_MODE = 2, VALUE_LIMIT = 3, VALUE_LOOP = 4;  // the settings file's keys, in order
const MENDED_FIRE_MODE = 1, MENDED_FONT_SIZE = 2, MENDED_TEXT = 4;  // what the core set back to its default
const FACT_COUNT = 6;
const REFERENCE_PX = 100;
const SUPERSAMPLE = 4;
const FULL_WIDTH_CELLS = 2;
// The Mincho faces of Linux, Windows and macOS, then any serif face.
const FACES = '"IPAMincho", "IPA明朝", "MS Mincho", "ＭＳ 明朝", "Hiragino Mincho ProN", "Yu Mincho", ' +
              '"Noto Serif CJK JP", serif';
const SETTINGS_FILE_NAME = 'TamblornScrS';

const canvas = document.getElementById('fire');
const context = canvas.getContext('2d', {alpha: false});
const scratch = document.createElement('canvas');
const scratchContext = scratch.getContext('2d', {willReadFrequently: true});
const field = id => document.getElementById(id);
const japaneseFirst = (navigator.language || '').toLowerCase().startsWith('ja');
// Test and picture switches, as the renderer's: a fixed noise seed, a number of steps run at once and then
// held, the mode.
const switches = new URLSearchParams(location.search);

let core = null;
let timer = 0;
let firstFrameShown = false;
let mouseStart = null;
let filesOpened = 0;

function say(japanese, english) {
  return japaneseFirst ? `${japanese} — ${english}` : `${english} — ${japanese}`;
}

function memoryBytes(at, length) {
  return new Uint8Array(core.memory.buffer, at, length);
}

function putBytes(bytes) {
  const at = core.WebBuffer(Math.max(bytes.length, 1));
  if (at)
    memoryBytes(at, bytes.length).set(bytes);
  return at;
}

// The core's text-drawing hook: the characters in a cell of cellSize pixels a
// byte, sized by the face's cell as Windows sizes it, full-width characters
// two cells wide. The browser hides the faintest edges of small text that
// FreeType and GDI draw, so the text is drawn at SUPERSAMPLE times the size
// and a pixel is lit where any part of it is. The RGBA bytes go back through
// the core's buffer.
function drawText(unitsAt, bytesAt, count, width, cellSize) {
  const units = Array.from(new Uint16Array(core.memory.buffer, unitsAt, count));
  const cells = Array.from(new Uint8Array(core.memory.buffer, bytesAt, count));
  if (width <= 0 || cellSize <= 0)
    return 0;
  const wide = width * SUPERSAMPLE, high = cellSize * SUPERSAMPLE;
  scratch.width = wide;
  scratch.height = high;
  const ink = scratchContext;
  ink.font = `${REFERENCE_PX}px ${FACES}`;
  const metrics = ink.measureText('火');
  const cellHeight = metrics.fontBoundingBoxAscent + metrics.fontBoundingBoxDescent;
  const em = Math.max(1, Math.round(cellSize * REFERENCE_PX / cellHeight));
  const ascent = Math.round(cellSize * metrics.fontBoundingBoxAscent / cellHeight);
  const stretch = FULL_WIDTH_CELLS * cellSize / em;
  ink.font = `${em * SUPERSAMPLE}px ${FACES}`;
  ink.fillStyle = '#f00';
  ink.setTransform(stretch, 0, 0, 1, 0, 0);
  let pen = 0;
  units.forEach((unit, i) => {
    if (unit)
      ink.fillText(String.fromCharCode(unit), pen * SUPERSAMPLE / stretch, ascent * SUPERSAMPLE);
    pen += cells[i] * cellSize;
  });
  const drawn = ink.getImageData(0, 0, wide, high).data;
  const lit = new Uint8Array(width * cellSize * 4);
  for (let y = 0; y < high; ++y)
    for (let x = 0; x < wide; ++x)
      if (drawn[(y * wide + x) * 4 + 3])
        lit[(Math.floor(y / SUPERSAMPLE) * width + Math.floor(x / SUPERSAMPLE)) * 4 + 3] = 255;
  return putBytes(lit);
}

function canvasFacts() {
  const [width, height, left, top, fuel, level] = new Int32Array(core.memory.buffer, core.WebCanvasFacts(),
                                                                 FACT_COUNT);
  return {width, height, left, top, fuel, level};
}

function paint(blacken) {
  const facts = canvasFacts();
  if (blacken) {
    context.fillStyle = '#000';
    context.fillRect(0, 0, canvas.width, canvas.height);
  }
  const frame = core.WebFrame();
  if (!frame)
    return;
  const pixels = new Uint8ClampedArray(core.memory.buffer, frame, facts.width * facts.height * 4);
  context.putImageData(new ImageData(pixels, facts.width, facts.height), facts.left, facts.top);
  if (!firstFrameShown) {
    firstFrameShown = true;
    document.body.dataset.firstFrame = Math.round(performance.now());
  }
}

// Says which settings the core set back to their defaults because nothing would burn from them, as the X11
// program says it; `asked` holds the numbers before.
function tellMends(mends, asked) {
  const lines = [];
  if (mends & MENDED_FIRE_MODE)
    lines.push(say(`火の種類 (FIRE) の ${asked.mode} は文字でも焚き火でもありません: 文字を燃やします`,
                   `fire mode ${asked.mode} (FIRE) is neither text nor bonfire: the text burns`));
  if (mends & MENDED_FONT_SIZE)
    lines.push(say(`大きさ (SIZE) は ${asked.size} と読め、燃やせません: 既定の ${core.WebNumber(VALUE_SIZE)} にします`,
                   `the font size (SIZE) reads as ${asked.size}, which cannot burn: the default ` +
                   `${core.WebNumber(VALUE_SIZE)} is used`));
  if (mends & MENDED_TEXT)
    lines.push(say('文字 (TEXT) は何も燃やしません: 既定の文字にします',
                   'the text (TEXT) burns nothing: the default text is used'));
  field('mended').textContent = lines.join('\n');
}

// The canvas for the settings, the text as the field holds it, with what cannot burn set back to its default.
function setUp() {
  takeText();
  const asked = {size: core.WebNumber(VALUE_SIZE), mode: core.WebNumber(VALUE_MODE)};
  tellMends(core.WebSetUp(canvas.width, canvas.height), asked);
  const facts = canvasFacts();
  document.body.dataset.fuel = facts.fuel;
  field('facts').textContent = say(`${facts.width}×${facts.height} 点、燃料 ${facts.fuel} 点`,
                                   `${facts.width}×${facts.height} pixels, ${facts.fuel} fuel points`);
  paint(true);
}

function tick() {
  paint(core.WebTick());
}

function fitWindow() {
  canvas.width = window.innerWidth;
  canvas.height = window.innerHeight;
}

// The text as the programs count it; a character code page 932 lacks or a
// text over the settings' bytes is refused and the fire keeps the last text.
function takeText() {
  const limit = core.WebTextBytes();
  const text = field('text').value;
  const units = Uint16Array.from(text, (_, i) => text.charCodeAt(i));
  putBytes(new Uint8Array(units.buffer));
  const result = core.WebSetText(units.length);
  let refusal = '';
  if (result < 0) {
    const at = -1 - result;
    const pair = at + 1 < text.length && /[\ud800-\udbff]/.test(text[at]);
    const character = text.substr(at, pair ? 2 : 1);
    refusal = say(`「${character}」は Shift-JIS（コードページ 932）にない文字です`,
                  `"${character}" is not in Shift-JIS (code page 932)`);
  } else if (result > limit) {
    refusal = say(`${result} バイト: ${limit} バイトまでです`, `${result} bytes: at most ${limit}`);
  }
  field('refusal').textContent = refusal;
  field('text').setAttribute('aria-invalid', refusal ? 'true' : 'false');
  field('text').style.outline = refusal ? '2px solid #f44' : '';
  if (!refusal)
    field('bytes').textContent = say(`${result}/${limit} バイト`, `${result}/${limit} bytes`);
  return !refusal;
}

function showSettings() {
  const count = core.WebTextUnits();
  field('text').value = String.fromCharCode(...new Uint16Array(core.memory.buffer, core.WebBuffer(0), count));
  field('size').value = core.WebNumber(VALUE_SIZE);
  const mode = core.WebNumber(VALUE_MODE);
  document.querySelectorAll('input[name=mode]').forEach(radio => { radio.checked = Number(radio.value) === mode; });
  const strength = field('strength');
  const limit = String(core.WebNumber(VALUE_LIMIT));
  if (![...strength.options].some(option => option.value === limit))
    strength.add(new Option(limit, limit));
  strength.value = limit;
  field('loop').checked = core.WebNumber(VALUE_LOOP) !== 0;
  takeText();
}

function settingsFileBytes() {
  const length = core.WebWriteSettings();
  return length < 0 ? null : memoryBytes(core.WebBuffer(0), length).slice();
}

function saveSettingsFile() {
  const bytes = settingsFileBytes();
  if (!bytes)
    return;
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
  link.download = SETTINGS_FILE_NAME;
  link.click();
  URL.revokeObjectURL(link.href);
}

// The controls show the file's settings as they burn: any value set back to its default shows its default.
async function openSettingsFile(file) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  putBytes(bytes);
  core.WebReadSettings(bytes.length);
  showSettings();
  setUp();
  showSettings();
  document.body.dataset.filesOpened = ++filesOpened;
}

function leaveFullScreen() {
  if (document.fullscreenElement)
    document.exitFullscreen();
}

function followMouse(event) {
  if (!document.fullscreenElement)
    return;
  if (!mouseStart) {
    mouseStart = {x: event.screenX, y: event.screenY};
    return;
  }
  if (Math.abs(event.screenX - mouseStart.x) + Math.abs(event.screenY - mouseStart.y) > MOUSE_SLACK)
    leaveFullScreen();
}

// The size's range and the strengths come from the core's settings table.
function offerTheSettingsRanges() {
  field('size').min = core.WebSettingsRange(VALUE_SIZE, false);
  field('size').max = core.WebSettingsRange(VALUE_SIZE, true);
  [...field('strength').options].forEach((option, place) => { option.value = core.WebStrength(place); });
}

function wireControls() {
  document.body.className = japaneseFirst ? 'ja-first' : 'en-first';
  document.documentElement.lang = japaneseFirst ? 'ja' : 'en';
  field('text').addEventListener('input', () => takeText() && setUp());
  field('size').addEventListener('change', () => {
    const size = Number(field('size').value);
    if (Number.isInteger(size) && size >= Number(field('size').min) && size <= Number(field('size').max)) {
      core.WebSetNumber(VALUE_SIZE, size);
      setUp();
    }
  });
  document.querySelectorAll('input[name=mode]').forEach(radio => radio.addEventListener('change', () => {
    core.WebSetNumber(VALUE_MODE, Number(radio.value));
    setUp();
  }));
  field('strength').addEventListener('change', () => {
    core.WebSetNumber(VALUE_LIMIT, Number(field('strength').value));
    setUp();
  });
  field('loop').addEventListener('change', () => core.WebSetNumber(VALUE_LOOP, field('loop').checked ? 1 : 0));
  field('full').addEventListener('click', () => document.documentElement.requestFullscreen());
  field('open').addEventListener('click', () => field('file').click());
  field('file').addEventListener('change', () => {
    const file = field('file').files[0];
    // Emptied, so that picking the same file again, changed or not, reads it again.
    field('file').value = '';
    if (file)
      openSettingsFile(file);
  });
  field('save').addEventListener('click', saveSettingsFile);
  document.addEventListener('fullscreenchange', () => {
    mouseStart = null;
    document.body.classList.toggle('full', Boolean(document.fullscreenElement));
  });
  document.addEventListener('keydown', leaveFullScreen);
  document.addEventListener('mousedown', leaveFullScreen);
  document.addEventListener('mousemove', followMouse);
  window.addEventListener('resize', () => {
    fitWindow();
    core.WebFollowSize(canvas.width, canvas.height);
    paint(true);
  });
}

async function start() {
  const page = {drawText, clockMilliseconds: () => Date.now()};
  // The C library asks for an environment it never gets here.
  const wasi = {
    environ_sizes_get: (countAt, sizeAt) => {
      new Uint32Array(core.memory.buffer, countAt, 1)[0] = 0;
      new Uint32Array(core.memory.buffer, sizeAt, 1)[0] = 0;
      return 0;
    },
    environ_get: () => 0,
    proc_exit: code => { throw new Error(`the core ended with ${code}`); },
  };
  const [module, logs] = await Promise.all([
    fetch('tamblorn.wasm').then(reply => reply.arrayBuffer())
        .then(bytes => WebAssembly.instantiate(bytes, {page, wasi_snapshot_preview1: wasi})),
    fetch('logs.bmp').then(reply => reply.arrayBuffer())]);
  core = module.instance.exports;
  core._initialize();
  const logsBytes = new Uint8Array(logs);
  putBytes(logsBytes);
  core.WebKeepLogs(logsBytes.length);
  core.WebSeedJumps(crypto.getRandomValues(new Uint32Array(1))[0]);
  core.WebReadSettings(0);
  if (switches.get('mode') === 'bonfire')
    core.WebSetNumber(VALUE_MODE, 1);
  offerTheSettingsRanges();
  showSettings();
  wireControls();
  fitWindow();
  setUp();
  if (switches.has('seed'))
    core.WebSeedNoise(Number(switches.get('seed')) >>> 0);
  if (switches.has('ticks')) {
    for (let i = Number(switches.get('ticks')); i > 0; --i)
      core.WebStep();
    paint(true);
    document.body.dataset.state = 'held';
    return;
  }
  timer = setInterval(tick, TICK_MS);
  document.body.dataset.state = 'burning';
}

start().catch(error => {
  clearInterval(timer);
  document.body.dataset.state = 'failed';
  field('facts').textContent = String(error);
  console.error(error);
});
