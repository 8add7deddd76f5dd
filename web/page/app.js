// SPDX-License-Identifier: GPL-3.0-or-later
// The station's page: the live view over a WebSocket and, after a login, the commands. Plain
// JavaScript, no framework, nothing fetched from elsewhere.
'use strict';

const $ = (id) => document.getElementById(id);

// What the page knows; woView is also read by the browser tests and the benchmark.
const page = { token: '', loggedIn: false, publicView: false, socket: null, reception: null };
const woView = window.woView = {
  rows: 0, lastRow: -1, arrivals: [], stored: 0, storedAt: 0, frames: 0,
  viewOpenMs: 0, // since the navigation began: the live view's first state shown
};

function say(text, bad) {
  const m = $('message');
  m.textContent = text;
  m.className = bad ? 'message bad' : 'message';
  m.hidden = !text;
}

async function post(path, body, type) {
  const headers = { 'X-CSRF-Token': page.token };
  if (type) headers['Content-Type'] = type;
  const r = await fetch(path, { method: 'POST', headers, body, credentials: 'same-origin' });
  let answer = {};
  try { answer = await r.json(); } catch (e) { answer = { text: r.statusText }; }
  say(answer.text || '', !r.ok);
  if (r.status === 401) await session();
  return { ok: r.ok, status: r.status, answer };
}

const command = (name, args) =>
  post('/api/command/' + name, JSON.stringify(args || {}), 'application/json');

// --- session ---

async function session() {
  const s = await (await fetch('/api/session', { credentials: 'same-origin' })).json();
  page.loggedIn = s.loggedIn;
  page.token = s.token || '';
  page.publicView = s.publicView;
  $('login').hidden = s.loggedIn;
  $('logout').hidden = !s.loggedIn;
  $('login-note').textContent = s.passwordSet
    ? 'Commands need the station\'s web password.'
    : 'No password is set: "orbisctl web-password" sets one.';
  document.body.classList.toggle('viewer', !s.loggedIn);
  const view = s.loggedIn || s.publicView;
  // Remembered, so that the next visit opens the live view without waiting for this answer.
  try { localStorage.setItem('woViewer', view ? '1' : ''); } catch (e) { /* private mode */ }
  $('view').hidden = !view;
  if (view && !page.socket) connect();
  if (view) loadGallery();
  if (s.loggedIn) loadCatalog();
}

$('login').addEventListener('submit', async (e) => {
  e.preventDefault();
  const r = await fetch('/api/login', {
    method: 'POST', credentials: 'same-origin',
    headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify({ password: $('password').value }),
  });
  const answer = await r.json().catch(() => ({ text: r.statusText }));
  say(answer.text || '', !r.ok);
  if (r.ok) {
    $('password').value = '';
    await session();
  }
});

$('logout').addEventListener('click', async () => {
  await post('/api/logout', '{}', 'application/json');
  if (page.socket && !page.publicView) page.socket.close();
  await session();
});

// --- live view ---

function connect() {
  const socket = new WebSocket((location.protocol === 'https:' ? 'wss://' : 'ws://') +
                               location.host + '/ws');
  socket.binaryType = 'arraybuffer';
  page.socket = socket;
  socket.onmessage = (e) => (typeof e.data === 'string' ? event(JSON.parse(e.data)) : frame(e.data));
  socket.onclose = () => {
    page.socket = null;
    $('presence').textContent = 'offline';
    $('presence').className = 'badge lost';
    if (page.loggedIn || page.publicView) setTimeout(() => session().catch(() => {}), 2000);
  };
}

function frame(buffer) {
  const bytes = new Uint8Array(buffer);
  const view = new DataView(buffer);
  woView.frames++;
  if (bytes[0] === 1) {
    const width = view.getUint16(1, true), height = view.getUint16(3, true);
    const first = view.getUint16(5, true), count = view.getUint16(7, true);
    const canvas = $('rx');
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
    }
    if (!width || !count || bytes.length < 9 + width * count * 3) return;
    const image = new ImageData(width, count);
    for (let i = 0, j = 9; i < width * count * 4; i += 4, j += 3) {
      image.data[i] = bytes[j];
      image.data[i + 1] = bytes[j + 1];
      image.data[i + 2] = bytes[j + 2];
      image.data[i + 3] = 255;
    }
    canvas.getContext('2d').putImageData(image, 0, first);
    const last = first + count - 1;
    woView.rows = Math.max(woView.rows, last + 1);
    woView.lastRow = last;
    if (woView.arrivals.length < 4096) woView.arrivals.push([last, Date.now()]);
  } else if (bytes[0] === 2) {
    waterfall(bytes.subarray(3, 3 + view.getUint16(1, true)));
  }
}

function waterfall(magnitudes) {
  const canvas = $('waterfall');
  canvas.hidden = false;
  const g = canvas.getContext('2d');
  g.drawImage(canvas, 0, 1);
  const row = g.createImageData(canvas.width, 1);
  for (let x = 0; x < canvas.width; x++) {
    const v = magnitudes[Math.floor(x * magnitudes.length / canvas.width)] || 0;
    row.data[x * 4] = Math.min(255, v * 2);
    row.data[x * 4 + 1] = v;
    row.data[x * 4 + 2] = Math.max(0, 160 - v);
    row.data[x * 4 + 3] = 255;
  }
  g.putImageData(row, 0, 0);
}

function presence(kind, state) {
  $('converter').textContent = kind;
  $('presence').textContent = state;
  $('presence').className = 'badge ' + state;
}

function reception(mode, airMs, leftMs) {
  page.reception = mode ? { mode, airMs, ends: Date.now() + leftMs } : null;
  $('rx-mode').textContent = mode ? '– ' + mode : '';
  tick();
}

function tick() {
  const r = page.reception;
  if (!r) {
    $('rx-left').textContent = '';
    $('rx-progress').style.width = '0';
    return;
  }
  const left = Math.max(0, r.ends - Date.now());
  $('rx-left').textContent = Math.ceil(left / 1000) + ' s left';
  $('rx-progress').style.width = (100 * (1 - left / Math.max(1, r.airMs))) + '%';
}
setInterval(tick, 500);

function event(e) {
  switch (e.type) {
  case 'state': {
    presence(e.kind, e.presence);
    $('status').textContent = e.status;
    const mode = $('mode');
    mode.replaceChildren(...e.modes.map((m) => new Option(m.name, m.short)));
    $('beacon').checked = e.beacon;
    $('repeater').checked = e.repeater;
    $('tx').src = '/api/tx.png?v=' + e.txVersion;
    if (e.reception) reception(e.reception.mode, e.reception.airMs, e.reception.leftMs);
    else reception(null);
    if (!woView.viewOpenMs) woView.viewOpenMs = performance.now();
    break;
  }
  case 'announced': {
    woView.rows = 0;
    woView.lastRow = -1;
    const canvas = $('rx');
    canvas.getContext('2d').clearRect(0, 0, canvas.width, canvas.height);
    reception(e.mode, e.airMs, e.airMs);
    break;
  }
  case 'stored':
    reception(null);
    woView.stored++;
    woView.storedAt = Date.now();
    if (e.entry.name) $('gallery').prepend(galleryItem(e.entry));
    break;
  case 'presence': presence(e.kind, e.presence); break;
  case 'status': $('status').textContent = e.text; break;
  case 'tx': $('tx').src = '/api/tx.png?v=' + e.version; break;
  case 'beacon': $('beacon').checked = e.on; break;
  case 'repeater': $('repeater').checked = e.on; break;
  }
}

// --- gallery ---

const galleryUrl = (name) => '/gallery/' + name.split('/').map(encodeURIComponent).join('/');

function galleryItem(entry) {
  const item = document.createElement('button');
  item.type = 'button';
  const img = document.createElement('img');
  img.loading = 'lazy';
  img.src = galleryUrl(entry.name) + '?thumb=1';
  img.alt = entry.mode + ' ' + entry.when;
  const caption = document.createElement('span');
  const when = new Date(entry.when);
  caption.textContent = when.toISOString().replace('T', ' ').slice(0, 19) + ' UTC · ' +
                        (entry.mode || '?') + (entry.callsign ? ' · ' + entry.callsign : '');
  item.append(img, caption);
  item.addEventListener('click', () => {
    $('full-picture').src = galleryUrl(entry.name);
    $('full-caption').textContent = caption.textContent;
    $('full').showModal();
  });
  return item;
}

async function loadGallery() {
  const r = await fetch('/api/gallery', { credentials: 'same-origin' });
  if (!r.ok) return;
  $('gallery').replaceChildren(...(await r.json()).map(galleryItem));
}

// --- commands ---

$('send').addEventListener('click', () => command('send', { mode: $('mode').value }));
$('rx-stop').addEventListener('click', () => command('rx-stop'));
for (const name of ['beacon', 'repeater']) {
  $(name).addEventListener('change', async (e) => {
    const want = e.target.checked;
    const r = await command(name, { on: want });
    if (!r.ok) e.target.checked = !want;
  });
}

async function upload(file) {
  if (!file) return;
  if (file.size > 10 * 1024 * 1024) return say('The picture is larger than 10 MB', true);
  await post('/api/tx-picture', file, file.type || 'application/octet-stream');
}
const drop = $('drop');
drop.addEventListener('dragover', (e) => { e.preventDefault(); drop.classList.add('over'); });
drop.addEventListener('dragleave', () => drop.classList.remove('over'));
drop.addEventListener('drop', (e) => {
  e.preventDefault();
  drop.classList.remove('over');
  if (page.loggedIn) upload(e.dataTransfer.files[0]);
});
$('file').addEventListener('change', (e) => upload(e.target.files[0]));

for (let p = 0; p < 18; p++) $('catalog-page').append(new Option('Page ' + p, p));
$('catalog-page').addEventListener('change', loadCatalog);

async function loadCatalog() {
  const p = Number($('catalog-page').value || 0);
  const r = await fetch('/api/catalog?page=' + p, { credentials: 'same-origin' });
  if (!r.ok) return;
  const { present } = await r.json();
  $('catalog-grid').replaceChildren(...present.map((has, k) => {
    const b = document.createElement('button');
    b.type = 'button';
    b.title = 'Page ' + p + ', position ' + k;
    b.disabled = !has;
    if (has) {
      const img = document.createElement('img');
      img.src = '/catalog/' + p + '/' + k;
      img.alt = b.title;
      b.append(img);
      b.addEventListener('click', () => command('tx-catalog', { page: p, position: k }));
    } else {
      b.textContent = k;
    }
    return b;
  }));
}

try { if (localStorage.getItem('woViewer')) connect(); } catch (e) { /* private mode */ }
session().catch((e) => say('The station does not answer: ' + e, true));
