// The explorer: one canvas that shows the server's images of a view at one
// image pixel per canvas pixel, with the command line's mapping (the radius
// is half the shorter side). The view lives in the address's query, in the
// command line's keys, so that back and forward walk the views and a link
// shares one. Its numbers are decimal texts throughout: moves are worked
// out by the server (GET /view), exactly, never with a JavaScript number.
'use strict';

const VIEW_KEYS = ['center-x', 'center-y', 'radius', 'iterations', 'figure', 'palette'];
const START = { 'center-x': '0', 'center-y': '0', 'radius': '2', 'iterations': '1000', 'figure': '0', 'palette': '0' };
const EXTRA_KEYS = ['smooth', 'samples'];
// One wheel notch: 100 pixels, 3 lines or 1 page of deltaY.
const NOTCH = [100, 3, 1];
// Auto iterations: raise the limit while more than this share of the
// escaping pixels' counts sit in the top tenth of it.
const CROWDED_TOP = 0.01;

const canvas = document.getElementById('view');
const context = canvas.getContext('2d');
const statusLine = document.getElementById('status');
const panel = document.getElementById('panel');
const page = Math.random().toString(36).slice(2) + Date.now().toString(36);

let view = readView(new URLSearchParams(location.search));
let shown = null;       // the bitmap on the canvas, and the view it shows
let rendering = null;   // AbortController of the images being fetched
let wheelRest = 0;      // deltaY of wheel events not yet a whole notch
let drag = null;        // {x, y, dx, dy} while the pointer pans

function readView(params) {
  const v = {};
  for (const key of VIEW_KEYS) v[key] = params.get(key) ?? START[key];
  for (const key of EXTRA_KEYS) if (params.has(key)) v[key] = params.get(key);
  return v;
}

function query(v, extra = {}) {
  const params = new URLSearchParams();
  for (const [key, value] of Object.entries(v)) params.set(key, value);
  for (const [key, value] of Object.entries(extra)) params.set(key, value);
  return params.toString();
}

function size() { return { width: canvas.width, height: canvas.height }; }

// The radius as a power of ten, from its text: exponent and leading digits.
function powerOfTen(text) {
  const m = /^[+-]?(\d*)\.?(\d*)(?:[eE]([+-]?\d+))?$/.exec(text);
  if (!m) return '?';
  const digits = (m[1] + m[2]).replace(/^0+/, '');
  if (!digits) return '0';
  const lead = m[1].replace(/^0+/, '').length > 0 ? m[1].replace(/^0+/, '').length - 1
                                                   : -(m[2].length - m[2].replace(/^0+/, '').length) - 1;
  const e = Number(m[3] ?? 0) + lead;
  const mantissa = Number(digits.slice(0, 1) + '.' + digits.slice(1, 15));
  return '10^' + (e + Math.log10(mantissa)).toFixed(2);
}

function setStatus(text) {
  statusLine.textContent = 'r = ' + powerOfTen(view.radius) + '   ' + view.iterations + ' iterations   ' + text;
}

function fieldFor(message) {
  const m = /^--([a-z-]+)/.exec(message);
  return m ? panel.querySelector('output[for="' + m[1] + '"]') : null;
}

function showRefusal(message) {
  for (const out of panel.querySelectorAll('output')) out.textContent = '';
  const out = fieldFor(message);
  if (out) out.textContent = message;
  openPanel(true);
  setStatus('refused: ' + message);
  document.body.dataset.state = 'refused';
}

async function fetchImage(v, width, height, signal, extra = {}) {
  const response = await fetch('/image?' + query(v, { size: width + 'x' + height, ...extra }),
                               { signal, headers: { 'X-Quellarin-Page': page } });
  if (!response.ok) throw new Error(await response.text());
  return { response, blob: await response.blob() };
}

// Draws a bitmap of the whole view over the canvas.
function draw(bitmap) {
  context.imageSmoothingEnabled = bitmap.width < canvas.width;
  context.drawImage(bitmap, 0, 0, canvas.width, canvas.height);
}

// A quarter-size image first, then the full one.
async function render() {
  if (rendering) rendering.abort();
  const controller = new AbortController();
  rendering = controller;
  const { width, height } = size();
  const v = { ...view };
  document.body.dataset.state = 'rendering';
  const started = performance.now();
  try {
    setStatus('rendering a quarter-size image...');
    const quarter = await fetchImage(v, Math.max(16, Math.round(width / 4)), Math.max(16, Math.round(height / 4)),
                                     controller.signal);
    draw(await createImageBitmap(quarter.blob));
    const method = quarter.response.headers.get('X-Quellarin-Method');
    setStatus(method + '   ' + Math.round(performance.now() - started) + ' ms: a quarter; rendering the full image...');
    const full = await fetchImage(v, width, height, controller.signal);
    const bitmap = await createImageBitmap(full.blob);
    if (controller !== rendering) return;
    draw(bitmap);
    shown = { bitmap, view: v };
    setStatus(method + '   ' + Math.round(performance.now() - started) + ' ms');
    document.body.dataset.view = query(v);
    document.body.dataset.state = 'ready';
    if (panel.elements['auto-iterations'].checked) await raiseIterations(v, controller);
  } catch (error) {
    if (error.name !== 'AbortError' && controller === rendering) showRefusal(String(error.message).trim());
  }
}

// Raises the limit while the escaping pixels crowd its top tenth.
async function raiseIterations(v, controller) {
  const { width, height } = size();
  const { blob } = await fetchImage(v, Math.max(16, Math.round(width / 4)), Math.max(16, Math.round(height / 4)),
                                    controller.signal, { format: 'npy' });
  const bytes = new DataView(await blob.arrayBuffer());
  const headerLength = bytes.getUint16(8, true);
  const limit = Number(v.iterations);
  let escaping = 0;
  let top = 0;
  for (let at = 10 + headerLength; at + 4 <= bytes.byteLength; at += 4) {
    const n = bytes.getInt32(at, true);
    if (n >= limit) continue;
    ++escaping;
    if (n >= 0.9 * limit) ++top;
  }
  if (escaping > 0 && top > CROWDED_TOP * escaping && limit < 1073741823 && controller === rendering) {
    go({ ...view, iterations: String(limit * 2) });
  }
}

// Shows a new view: in the address (so that back returns), the panel and the canvas.
function go(v, replace = false) {
  view = v;
  const url = '/?' + query(view);
  if (replace) history.replaceState(null, '', url); else history.pushState(null, '', url);
  fillPanel();
  render();
}

async function move(extra) {
  const { width, height } = size();
  const response = await fetch('/view?' + query(view, { size: width + 'x' + height, ...extra }));
  const text = (await response.text()).trim();
  if (!response.ok) { showRefusal(text); return; }
  const moved = readView(new URLSearchParams(text));
  for (const key of EXTRA_KEYS) if (view[key] !== undefined) moved[key] = view[key];
  go(moved);
}

// The old image moved by (dx, dy), or scaled by `scale` about (atX, atY),
// while the new one comes.
function preview(dx, dy, scale = 1, atX = 0, atY = 0) {
  if (!shown) return;
  context.fillStyle = '#000';
  context.fillRect(0, 0, canvas.width, canvas.height);
  context.imageSmoothingEnabled = scale < 1;
  context.drawImage(shown.bitmap, dx + atX - atX * scale, dy + atY - atY * scale, canvas.width * scale,
                    canvas.height * scale);
}

function zoom(notches, x, y) {
  const scale = Math.pow(2, notches);
  preview(0, 0, scale, x, y);
  move({ zoom: String(notches), at: Math.round(x) + ',' + Math.round(y) });
}

canvas.addEventListener('pointerdown', (event) => {
  canvas.setPointerCapture(event.pointerId);
  canvas.classList.add('dragging');
  drag = { x: event.clientX, y: event.clientY, dx: 0, dy: 0 };
});
canvas.addEventListener('pointermove', (event) => {
  if (!drag) return;
  drag.dx = event.clientX - drag.x;
  drag.dy = event.clientY - drag.y;
  preview(drag.dx, drag.dy);
});
canvas.addEventListener('pointerup', () => {
  canvas.classList.remove('dragging');
  const d = drag;
  drag = null;
  if (d && (d.dx !== 0 || d.dy !== 0)) move({ drag: Math.round(d.dx) + ',' + Math.round(d.dy) });
});
canvas.addEventListener('wheel', (event) => {
  event.preventDefault();
  wheelRest += event.deltaY / NOTCH[event.deltaMode];
  const notches = Math.trunc(wheelRest);
  if (notches === 0) return;
  wheelRest -= notches;
  // Away from the user (deltaY < 0) zooms in: the radius halves per notch.
  zoom(-notches, event.offsetX, event.offsetY);
}, { passive: false });
window.addEventListener('keydown', (event) => {
  if (event.target !== document.body && event.target !== canvas) return;
  if (event.key === '+' || event.key === '=') zoom(1, canvas.width / 2, canvas.height / 2);
  else if (event.key === '-') zoom(-1, canvas.width / 2, canvas.height / 2);
});
window.addEventListener('popstate', () => {
  view = readView(new URLSearchParams(location.search));
  fillPanel();
  render();
});

let resizeTimer = 0;
// Even sides, so that the centre of the view is a pixel's corner that the
// wheel and the keys can name; one image pixel per canvas pixel.
function fit() {
  canvas.width = window.innerWidth - window.innerWidth % 2;
  canvas.height = window.innerHeight - window.innerHeight % 2;
  canvas.style.width = canvas.width + 'px';
  canvas.style.height = canvas.height + 'px';
}
window.addEventListener('resize', () => {
  fit();
  clearTimeout(resizeTimer);
  resizeTimer = setTimeout(render, 150);
});

function openPanel(open) {
  panel.hidden = !open;
  document.getElementById('open-panel').setAttribute('aria-expanded', String(open));
}
document.getElementById('open-panel').addEventListener('click', () => openPanel(panel.hidden));

function fillPanel() {
  const f = panel.elements;
  for (const key of VIEW_KEYS) f[key].value = view[key];
  f.smooth.checked = view.smooth !== undefined;
  f.samples.value = view.samples ?? '1';
  updateSaves();
}

function updateSaves() {
  const saveSize = panel.elements['save-size'].value.trim();
  document.getElementById('save-image').href = '/image?' + query(view, { size: saveSize });
  document.getElementById('save-location').href = '/location.kfr?' + query(view);
  const flags = Object.entries(view).map(([key, value]) => key === 'smooth' ? '--smooth' : '--' + key + ' ' + value);
  document.getElementById('command-line').value =
    'quellarin-render ' + flags.join(' ') + ' --size ' + saveSize + ' --output poster.png\n' +
    'quellarin-render ' + flags.join(' ') + ' --zoom-from 2 --frames 300 --size 1280x720 --output frame-%04d.png';
}
panel.elements['save-size'].addEventListener('input', updateSaves);

panel.addEventListener('submit', (event) => {
  event.preventDefault();
  const f = panel.elements;
  const v = {};
  for (const key of VIEW_KEYS) v[key] = f[key].value.trim();
  if (f.smooth.checked) v.smooth = 'on';
  if (f.samples.value.trim() !== '1') v.samples = f.samples.value.trim();
  for (const out of panel.querySelectorAll('output')) out.textContent = '';
  go(v);
});

fit();
fillPanel();
history.replaceState(null, '', '/?' + query(view));
render();
