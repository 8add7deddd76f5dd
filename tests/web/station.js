// SPDX-License-Identifier: GPL-3.0-or-later
// What the browser tests and the benchmark share: the station under test and a headless chromium.
//
// The station under test is a parameter. With WEB_URL set, it is a running program: WEB_URL its
// page, WEB_PASSWORD its web password, WEB_RECEIVE a shell command that makes one reception happen
// and returns at once (e.g. "echo 'receive R36 picture.png' >sim.in" for an orbis-sim, or a WAV
// file played to the sound card in the background), WEB_SENT a shell command that prints how many
// transmissions the converter has made so far (what orbis-sim logged, what a listener heard), and
// WEB_SEND_MODE the mode the page sends in (R36 unless given). Without it, web-test-server
// (WEB_TEST_SERVER) runs on the in-memory station in a fresh program folder whose password
// orbisctl (ORBISCTL) sets, and a reception is a command on its standard input.
'use strict';

const { spawn, execFileSync, execSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const password = 'correct horse battery';

// The number a shell command prints; a command that prints a number and fails (grep -c of
// nothing) counts as well.
function shellCount(command) {
  let out;
  try {
    out = execSync(command, { shell: '/bin/sh', stdio: ['ignore', 'pipe', 'inherit'] });
  } catch (e) {
    out = e.stdout || '';
  }
  const n = parseInt(out.toString().trim(), 10);
  return Number.isNaN(n) ? 0 : n;
}

async function startStation({ args = [], rows = 64, lineMs = 40 } = {}) {
  if (process.env.WEB_URL) {
    return {
      url: process.env.WEB_URL.replace(/\/?$/, '/'),
      password: process.env.WEB_PASSWORD,
      real: true,
      sendMode: process.env.WEB_SEND_MODE || 'R36',
      receive: () => execSync(process.env.WEB_RECEIVE, { stdio: 'inherit', shell: '/bin/sh' }),
      sends: async () => (process.env.WEB_SENT ? shellCount(process.env.WEB_SENT) : null),
      stop: async () => {},
    };
  }
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'winorbis-web-'));
  execFileSync(process.env.ORBISCTL, ['--folder', folder, 'web-password', '--stdin'],
               { input: password + '\n', stdio: ['pipe', 'ignore', 'inherit'] });
  const server = spawn(process.env.WEB_TEST_SERVER,
                       ['--folder', folder, '--listen', '127.0.0.1:0', ...args],
                       { stdio: ['pipe', 'pipe', 'inherit'] });
  const lines = [];
  const waiters = [];
  let buffered = '';
  server.stdout.on('data', (chunk) => {
    buffered += chunk;
    let end;
    while ((end = buffered.indexOf('\n')) >= 0) {
      lines.push(buffered.slice(0, end));
      buffered = buffered.slice(end + 1);
      waiters.splice(0).forEach((w) => w());
    }
  });
  // The next line of the server's output that matches pattern.
  const expectLine = (pattern, timeoutMs = 10000) => new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error('no line ' + pattern)), timeoutMs);
    const look = () => {
      const i = lines.findIndex((l) => pattern.test(l));
      if (i >= 0) {
        clearTimeout(timer);
        resolve(lines.splice(0, i + 1).pop());
      } else {
        waiters.push(look);
      }
    };
    look();
  });
  const url = (await expectLine(/^listening /)).split(' ')[1];
  // The commands the station was given, as the server lists them up to its line ".".
  const calls = async () => {
    server.stdin.write('calls\n');
    const given = [];
    for (let line; (line = await expectLine(/./)) !== '.';) given.push(line);
    return given;
  };
  return {
    url,
    password,
    folder,
    sendMode: 'R36',
    receive: () => server.stdin.write(`receive Martin_1 ${rows} ${lineMs}\n`),
    sends: async () => (await calls()).filter((c) => c.startsWith('send ')).length,
    send: (line) => server.stdin.write(line + '\n'),
    expectLine,
    stop: async () => {
      server.stdin.end('quit\n');
      await new Promise((resolve) => server.on('exit', resolve));
      fs.rmSync(folder, { recursive: true, force: true });
    },
  };
}

// Debian's chromium, headless, in a fresh profile; nothing downloads a browser. The flags keep a
// closed network from refusing chromium's own background connections by the dozen.
async function launchBrowser() {
  const { chromium } = require('playwright-core');
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'winorbis-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    viewport: { width: 1280, height: 900 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  context.closeAll = async () => {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return context;
}

// One HTTP request by curl: its status and body.
function curl(url, ...options) {
  const out = execFileSync('curl', ['-s', '--max-time', '10', '-w', '\n%{http_code}', ...options,
                                    url]).toString();
  const end = out.lastIndexOf('\n');
  return { status: Number(out.slice(end + 1)), body: out.slice(0, end) };
}

module.exports = { startStation, launchBrowser, curl };
