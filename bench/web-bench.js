// SPDX-License-Identifier: GPL-3.0-or-later
// The browser side of bench_web: Debian's chromium, headless, with pages of the web face.
// Commands on standard input, answers on standard output, one line each:
//   (start)   with URL given: "load MS" the first page's load until its live view is open (by
//             the page's clock: from the navigation's start to the first state shown),
//             "load-again MS" a second page's, then "ready 1"; without one "ready 0"
//   open N [URL]  N more pages (of URL, else the first one), each with its view open, then
//             "ready TOTAL"
//   collect   "arrivals ROW:MS ..." of every page (epoch milliseconds when each line first arrived)
//   close     closes every page, then "ready 0"
//   quit
'use strict';

const readline = require('readline');
const { launchBrowser } = require('../tests/web/station.js');

let url = process.argv[2];

async function open(browser) {
  const page = await browser.newPage();
  const started = Date.now();
  await page.goto(url);
  const loaded = Date.now();
  await page.waitForFunction(() => document.getElementById('mode').options.length > 0,
                             null, { polling: 5 });
  // The page's own clock, from the navigation's start to the live view shown; the driver's
  // polling adds its own delay to the time seen from here.
  const viewOpenMs = await page.evaluate(() => window.woView.viewOpenMs);
  if (process.env.WEB_BENCH_VERBOSE) {
    console.error(`goto ${loaded - started} ms, view open at ${viewOpenMs} ms, seen after ` +
                  `${Date.now() - started} ms`);
  }
  return { page, ms: Math.round(viewOpenMs) };
}

async function main() {
  const browser = await launchBrowser();
  let pages = [];
  if (url) {
    // A first load warms nothing up that a user's first visit would not have.
    const first = await open(browser);
    pages.push(first.page);
    console.log(`load ${first.ms}`);
    // A second page: the load once the browser runs.
    const second = await open(browser);
    await second.page.close();
    console.log(`load-again ${second.ms}`);
  }
  console.log(`ready ${pages.length}`);
  for await (const line of readline.createInterface({ input: process.stdin })) {
    const [verb, arg, where] = line.trim().split(' ');
    if (verb === 'open') {
      if (where) url = where;
      for (let i = 0; i < Number(arg); i++) pages.push((await open(browser)).page);
      console.log(`ready ${pages.length}`);
    } else if (verb === 'collect') {
      const all = [];
      for (const page of pages) {
        const arrivals = await page.evaluate(() => window.woView.arrivals.splice(0));
        // A row's first arrival on each page: the last row comes again with the stored picture.
        const seen = new Set();
        for (const [row, ms] of arrivals) {
          if (seen.has(row)) continue;
          seen.add(row);
          all.push(`${row}:${ms}`);
        }
      }
      console.log(`arrivals ${all.join(' ')}`);
    } else if (verb === 'close') {
      await Promise.all(pages.map((p) => p.close()));
      pages = [];
      console.log('ready 0');
    } else if (verb === 'quit') {
      break;
    }
  }
  await browser.closeAll();
  // Standard input, still open, would keep Node waiting.
  process.exit(0);
}

main().catch((e) => {
  console.log(`error ${e.stack || e}`.replace(/\n/g, ' '));
  process.exit(1);
});
