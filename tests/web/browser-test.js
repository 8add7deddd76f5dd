// SPDX-License-Identifier: GPL-3.0-or-later
// The web face in a real browser: Debian's chromium, headless, against the station under test
// (station.js: web-test-server, or a running program given by WEB_URL, WEB_PASSWORD and
// WEB_RECEIVE; WEB_TX_START=R,G,B the colour of its transmit picture at the start, when it has
// one). One line per check and "N passed, N failed" at the end; the status is 1 when a check
// failed. SCREENSHOT=FILE keeps a screenshot of the page during a reception. The public view
// (web-test-server --public-view) is checked on a station of its own.
'use strict';

const { startStation, launchBrowser, curl } = require('./station.js');

let passed = 0;
let failed = 0;
function check(name, condition, detail) {
  if (condition) {
    console.log('ok: ' + name);
    passed++;
  } else {
    console.log('FAILED: ' + name + (detail !== undefined ? '\n    ' + JSON.stringify(detail) : ''));
    failed++;
  }
}

// How long a reception may take: the in-memory station's take seconds, the air's minutes.
const receptionMs = Number(process.env.WEB_RECEPTION_MS || 30000);

async function until(what, timeoutMs = 10000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const value = await what();
    if (value || Date.now() > end) return value;
    await new Promise((r) => setTimeout(r, 50));
  }
}

async function main() {
  const station = await startStation();
  const browser = await launchBrowser();
  const page = await browser.newPage();
  const api = (path) => station.url + path.replace(/^\//, '');
  try {
    // Without a login: the login form, nothing of the station.
    await page.goto(station.url);
    await page.waitForSelector('#login:not([hidden])');
    check('without a session the page asks for the password', await page.isHidden('#view'));
    check('without a session the state is refused', curl(api('/api/state')).status === 401);

    // A wrong password, then the right one (two of the minute's five tries).
    await page.fill('#password', 'not the password');
    await page.click('#login button');
    await page.waitForSelector('#message:not([hidden])');
    check('a wrong password is refused', /Wrong password/.test(await page.textContent('#message')));
    check('a wrong password opens nothing', await page.isHidden('#view'));
    await page.fill('#password', station.password);
    await page.click('#login button');
    await page.waitForSelector('#view:not([hidden])');
    check('the right password opens the station', await page.isVisible('#send'));
    await until(() => page.evaluate(() => window.woView.frames >= 0 &&
                                   document.getElementById('mode').options.length > 0));
    if (process.env.WEB_TX_START) {
      // The station's transmit picture as it started, in one colour.
      const want = process.env.WEB_TX_START.split(',').map(Number);
      const shown = await until(() => page.evaluate(() => {
        const img = document.getElementById('tx');
        if (!img.complete || !img.naturalWidth) return null;
        const c = document.createElement('canvas');
        c.width = img.naturalWidth;
        c.height = img.naturalHeight;
        c.getContext('2d').drawImage(img, 0, 0);
        return Array.from(c.getContext('2d').getImageData(c.width >> 1, c.height >> 1, 1, 1).data);
      }));
      check('the page shows the station\'s transmit picture',
            shown && want.every((v, i) => Math.abs(v - shown[i]) < 8), { want, shown });
    }

    // Three more wrong tries by a script make five; the sixth is refused even with the password.
    const login = (pass) => curl(api('/api/login'), '-X', 'POST', '-H',
                                 'Content-Type: application/json', '--data',
                                 JSON.stringify({ password: pass }));
    const tries = [login('x1'), login('x2'), login('x3')].map((r) => r.status);
    check('tries three to five with a wrong password get 401', tries.every((s) => s === 401), tries);
    const sixth = login(station.password);
    check('the sixth try in a minute gets 429, right password or not', sixth.status === 429, sixth);

    // A reception: its mode and time left once it is announced, its lines while it comes in
    // (each row as it arrives, at many moments before the picture is stored), a page opened
    // mid-picture with the picture so far, and the stored picture in the gallery after it.
    const before = await page.evaluate(() => {
      window.woView.arrivals = [];
      window.woView.storedAt = 0;
      return document.querySelectorAll('#gallery img').length;
    });
    station.receive();
    await until(() => page.evaluate(() => document.getElementById('rx-mode').textContent),
                receptionMs);
    const mode = await page.textContent('#rx-mode');
    check('the mode of the reception is shown', mode.length > 2, mode);
    check('the time left is shown', /s left/.test(await page.textContent('#rx-left')));
    const during = await until(() => page.evaluate(() => {
      const v = window.woView;
      return v.rows > 4 && v.stored === 0 ? v.rows : 0;
    }), receptionMs);
    const late = await browser.newPage();
    await late.goto(station.url);
    const lateRows = await until(() => late.evaluate(() => window.woView.rows), 10000);
    check('a page that connects mid-picture gets the picture so far', lateRows >= during,
          { during, lateRows });
    await late.close();
    if (process.env.SCREENSHOT && station.real) {
      // The real program's page during its reception, two thirds in.
      await until(() => page.evaluate(() => window.woView.rows >
                                      document.getElementById('rx').height * 0.66), receptionMs);
      await page.screenshot({ path: process.env.SCREENSHOT, fullPage: true });
      check('the screenshot is written', true);
    }
    await until(() => page.evaluate(() => window.woView.stored > 0), receptionMs);
    const growth = await page.evaluate(() => {
      const v = window.woView;
      const times = v.arrivals.filter(([, at]) => at <= v.storedAt).map(([, at]) => at);
      return { frames: times.length, moments: new Set(times).size,
               spanMs: times.length ? times[times.length - 1] - times[0] : 0 };
    });
    console.log(`    rows arrived in ${growth.frames} frames at ${growth.moments} moments ` +
                `over ${growth.spanMs} ms`);
    // Not all at once at the end: many frames, at several moments (a fast line takes the
    // whole picture in a quarter of a second).
    check('lines appear while the picture arrives', growth.frames >= 16 && growth.moments >= 4,
          growth);
    const rows = await page.evaluate(() => window.woView.rows);
    check('the whole picture has arrived', rows >= 16, rows);
    const lit = await page.evaluate(() => {
      const c = document.getElementById('rx');
      const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
      let sum = 0;
      for (let i = 0; i < d.length; i += 4) sum += d[i] + d[i + 1] + d[i + 2];
      return sum;
    });
    check('the received picture is drawn', lit > 0, lit);
    if (/sound card/.test(await page.textContent('#converter')))
      check('the sound card\'s waterfall is shown', await page.isVisible('#waterfall'));
    const thumbs = await until(() => page.evaluate((n) => {
      const imgs = [...document.querySelectorAll('#gallery img')];
      return imgs.length > n && imgs[0].complete && imgs[0].naturalWidth > 0 ? imgs.length : 0;
    }, before));
    check('the gallery shows the new picture', thumbs > before, thumbs);
    await page.click('#gallery button');
    const full = await until(() => page.evaluate(() => {
      const img = document.getElementById('full-picture');
      return document.getElementById('full').open && img.complete && img.naturalWidth;
    }));
    check('a click shows the full picture', full > 0, full);
    await page.click('#full button');

    // The screenshot of the in-memory station: a picture two thirds in, with the sound card's
    // waterfall.
    if (process.env.SCREENSHOT && !station.real) {
      station.send('waterfall 96');
      station.send('receive Martin_1 256 15');
      await until(() => page.evaluate(() => window.woView.rows > 170));
      await page.screenshot({ path: process.env.SCREENSHOT, fullPage: true });
      check('the screenshot is written', true);
      await until(() => page.evaluate(() => window.woView.stored > 1), receptionMs);
    }

    // Commands: without the session or its token they are refused and change nothing ...
    const cookies = await browser.cookies(station.url);
    const session = cookies.find((c) => c.name === 'wo_session');
    check('the session cookie is HttpOnly and SameSite=Strict',
          session && session.httpOnly && session.sameSite === 'Strict', session);
    const cookie = `Cookie: wo_session=${session.value}`;
    const token = await page.evaluate(() => fetch('/api/session').then((r) => r.json())
                                              .then((s) => s.token));
    const command = (name, body, ...headers) =>
      curl(api('/api/command/' + name), '-X', 'POST', '-H', 'Content-Type: application/json',
           ...headers.flatMap((h) => ['-H', h]), '--data', body).status;
    const sendBody = JSON.stringify({ mode: station.sendMode });
    const sendsBefore = await station.sends();
    const refused = {
      sendWithoutSession: command('send', sendBody, `X-CSRF-Token: ${token}`),
      sendWithoutToken: command('send', sendBody, cookie),
      sendWithAnotherToken: command('send', sendBody, cookie, `X-CSRF-Token: ${'0'.repeat(64)}`),
      repeaterWithoutSession: command('repeater', '{"on":true}', `X-CSRF-Token: ${token}`),
      repeaterWithoutToken: command('repeater', '{"on":true}', cookie),
    };
    check('a command without a session is refused (401)',
          refused.sendWithoutSession === 401 && refused.repeaterWithoutSession === 401, refused);
    check('a command without its session\'s token is refused (403)',
          refused.sendWithoutToken === 403 && refused.sendWithAnotherToken === 403 &&
          refused.repeaterWithoutToken === 403, refused);
    const inPage = await page.evaluate(() => fetch('/api/command/repeater', {
      method: 'POST', headers: { 'Content-Type': 'application/json' }, body: '{"on":true}',
    }).then((r) => r.status));
    check('the page itself without the token is refused too', inPage === 403, inPage);
    await new Promise((r) => setTimeout(r, 1500));
    const state = curl(api('/api/state'), '-H', cookie).body;
    check('the refused commands changed nothing', state.includes('"repeater":false'), state);
    const sendsRefused = await station.sends();
    if (sendsBefore !== null)
      check('the refused sends sent nothing', sendsRefused === sendsBefore,
            { sendsBefore, sendsRefused });

    // A file dragged into the page becomes the transmit picture.
    const txBefore = await page.getAttribute('#tx', 'src');
    const drop = await page.evaluateHandle(async () => {
      const canvas = document.createElement('canvas');
      canvas.width = 200;
      canvas.height = 150;
      const g = canvas.getContext('2d');
      g.fillStyle = '#ff0000';
      g.fillRect(0, 0, 200, 150);
      const blob = await new Promise((resolve) => canvas.toBlob(resolve, 'image/png'));
      const transfer = new DataTransfer();
      transfer.items.add(new File([blob], 'red.png', { type: 'image/png' }));
      return transfer;
    });
    await page.dispatchEvent('#drop', 'drop', { dataTransfer: drop });
    const tx = await until(() => page.evaluate((old) => {
      const img = document.getElementById('tx');
      if (img.getAttribute('src') === old || !img.complete || !img.naturalWidth) return null;
      const c = document.createElement('canvas');
      c.width = img.naturalWidth;
      c.height = img.naturalHeight;
      c.getContext('2d').drawImage(img, 0, 0);
      return Array.from(c.getContext('2d').getImageData(c.width >> 1, c.height >> 1, 1, 1).data);
    }, txBefore));
    check('a dragged file becomes the transmit picture', tx && tx[0] > 240 && tx[1] < 16, tx);
    const notPicture = curl(api('/api/tx-picture'), '-X', 'POST', '-H', cookie, '-H',
                            `X-CSRF-Token: ${token}`, '-H', 'Content-Type: image/png',
                            '--data-binary', 'GIF89a not a png');
    check('an upload that is no picture is refused with 4xx',
          notPicture.status >= 400 && notPicture.status < 500, notPicture);

    // ... and with the session and its token they act: the page sends the transmit picture, and
    // the converter transmits it; RX Stop ends the transmission.
    await page.selectOption('#mode', station.sendMode);
    await page.click('#send');
    const sent = await until(async () => {
      const n = await station.sends();
      return n === null || n > sendsRefused ? n : 0;
    }, 30000);
    await until(() => page.evaluate(() => /Sending|Refused/.test(
      document.getElementById('message').textContent)));
    check('the page\'s Send is taken', /Sending/.test(await page.textContent('#message')),
          await page.textContent('#message'));
    if (sent !== null)
      check('a command with session and token sends the picture: the converter transmits',
            sent === sendsRefused + 1, { sendsRefused, sent });
    await page.click('#rx-stop');
    await until(() => page.evaluate(() => /stopped/i.test(
      document.getElementById('message').textContent)));
    check('RX Stop is taken', /stopped/i.test(await page.textContent('#message')),
          await page.textContent('#message'));
    await page.check('#beacon');
    const beaconOn = await until(() => curl(api('/api/state'), '-H', cookie)
                                     .body.includes('"beacon":true'));
    check('the beacon switch acts', beaconOn);
    await until(() => page.evaluate(() => /beacon/i.test(
      document.getElementById('message').textContent)));
    check('the page shows the command\'s outcome',
          /beacon/i.test(await page.textContent('#message')), await page.textContent('#message'));

    // The gallery serves what received.log names, and nothing outside the folder.
    const entries = JSON.parse(curl(api('/api/gallery'), '-H', cookie).body);
    const named = curl(station.url + 'gallery/' + entries[0].name.split('/')
                         .map(encodeURIComponent).join('/'), '-H', cookie, '-o', '/dev/null');
    check('a picture that received.log names is served', named.status === 200, named);
    for (const attack of ['gallery/../station.conf', 'gallery/%2e%2e/station.conf',
                          'gallery/AutoSpeichern/../../station.conf', 'gallery//etc/passwd',
                          'gallery/%2Fetc%2Fpasswd', 'gallery/AutoSpeichern/none.jpg']) {
      const r = curl(station.url + attack, '--path-as-is', '-H', cookie, '-o', '/dev/null');
      check(`gallery request ${attack} gets 404`, r.status === 404, r);
    }

    // Logged out, the session commands nothing, and its other pages lose the live view.
    const watcher = await browser.newPage();
    await watcher.goto(station.url);
    await watcher.waitForFunction(() => document.getElementById('presence').className !== 'badge');
    await page.click('#logout');
    await page.waitForSelector('#login:not([hidden])');
    const after = curl(api('/api/command/rx-stop'), '-X', 'POST', '-H', cookie, '-H',
                       `X-CSRF-Token: ${token}`, '--data', '{}').status;
    check('after the logout the session commands nothing', after === 401, after);
    const closed = await until(() => watcher.evaluate(
      () => document.getElementById('presence').textContent === 'offline'));
    check('after the logout the session\'s other pages lose the live view', closed);
  } finally {
    await browser.closeAll();
    await station.stop();
  }
}

// With the public view: the live view and the gallery without a login, the commands still not.
async function publicView() {
  if (process.env.WEB_URL) return; // a running program is started with its own options
  const station = await startStation({ args: ['--public-view'], rows: 16, lineMs: 20 });
  const browser = await launchBrowser();
  try {
    const page = await browser.newPage();
    await page.goto(station.url);
    await page.waitForSelector('#view:not([hidden])');
    check('the public view shows the station without a login', await page.isVisible('#rx'));
    check('the public view offers no commands', await page.isHidden('#send'));
    station.receive();
    const stored = await until(() => page.evaluate(() => window.woView.stored > 0 &&
                                                   window.woView.rows === 16));
    check('the public view shows a reception', stored);
    const api = (path) => station.url + path.replace(/^\//, '');
    const beacon = curl(api('/api/command/beacon'), '-X', 'POST', '--data', '{"on":true}');
    check('the public view takes no command without a login', beacon.status === 401, beacon);
    check('nor does it change anything', curl(api('/api/state')).body.includes('"beacon":false'));
  } finally {
    await browser.closeAll();
    await station.stop();
  }
}

main().then(publicView).catch((e) => {
  console.log('FAILED: ' + (e.stack || e));
  failed++;
}).finally(() => {
  console.log(`${passed} passed, ${failed} failed`);
  process.exitCode = failed ? 1 : 0;
});
