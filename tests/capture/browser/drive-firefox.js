'use strict';

// Drives Firefox with the capture extension installed, the way a user
// would: opens a page, clicks each link with the mouse, and tells what the
// browser did with the click, in the same form as drive-chromium.js: where
// the tab is afterwards, and the files it saved (with their sha256) or left
// unfinished.
//
//   node drive-firefox.js SPEC.json
//
// SPEC: { browser, extension, downloads, page, settleMs, clicks: [selector, ...] }.
// Firefox is driven through WebDriver BiDi; it saves downloads straight into
// SPEC.downloads, which is read after each click.
const puppeteer = require('puppeteer-core');
const crypto = require('crypto');
const fs = require('fs');
const path = require('path');

function sha256(file) {
  return crypto.createHash('sha256').update(fs.readFileSync(file)).digest('hex');
}

function files(folder) {
  return fs.existsSync(folder) ? fs.readdirSync(folder) : [];
}

async function main() {
  const spec = JSON.parse(fs.readFileSync(process.argv[2], 'utf8'));
  fs.mkdirSync(spec.downloads, { recursive: true });
  const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: spec.browser,
    headless: true,
    extraPrefsFirefox: {
      'browser.download.dir': spec.downloads,
      'browser.download.folderList': 2,
      'browser.download.useDownloadDir': true,
      'browser.download.always_ask_before_handling_new_types': false,
    },
  });
  try {
    await browser.installExtension(spec.extension);
    const results = [];
    for (const selector of spec.clicks) {
      const before = new Set(files(spec.downloads));
      // A tab of its own for each click: a download leaves the tab's
      // navigation unfinished for the driver.
      const page = await browser.newPage();
      await page.goto(spec.page);
      await page.click(selector);
      await new Promise((resolve) => setTimeout(resolve, spec.settleMs));
      const userAgent = await page.evaluate(() => navigator.userAgent).catch(() => '');
      const result = { selector, page: page.url(), userAgent, downloads: [] };
      for (const name of files(spec.downloads).filter((name) => !before.has(name))) {
        const unfinished = name.endsWith('.part');
        result.downloads.push({
          url: name,
          failure: unfinished ? 'unfinished' : null,
          sha256: unfinished ? null : sha256(path.join(spec.downloads, name)),
        });
      }
      results.push(result);
      await page.close();
    }
    process.stdout.write(JSON.stringify(results));
  } finally {
    await browser.close();
  }
}

main().catch((error) => {
  console.error(error?.stack ?? error);
  process.exit(1);
});
