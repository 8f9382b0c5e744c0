'use strict';

// Drives Chromium with the capture extension loaded, the way a user would:
// opens a page, clicks each link with the mouse, and tells what the browser
// did with the click: where the tab is afterwards, the page's User-Agent, and
// every download it started, with how it ended and the sha256 of the file it
// saved.
//
//   node drive-chromium.js SPEC.json
//
// SPEC: { browser, extension, userDataDir, downloads, page, settleMs,
//         clicks: [selector, ...], browsersOwnDownloads }. Playwright saves
// downloads itself, and the extension then never sees one before it is
// named; with browsersOwnDownloads the browser saves them as it does for a
// user, and they are not reported. The result, a JSON array with one entry
// per click, goes to standard output.
const { chromium } = require('playwright-core');
const crypto = require('crypto');
const fs = require('fs');

function sha256(path) {
  return crypto.createHash('sha256').update(fs.readFileSync(path)).digest('hex');
}

async function main() {
  const spec = JSON.parse(fs.readFileSync(process.argv[2], 'utf8'));
  const extension = spec.extension;
  const context = await chromium.launchPersistentContext(spec.userDataDir, {
    executablePath: spec.browser,
    headless: false, // --headless=new below: the headless mode that runs extensions
    acceptDownloads: true,
    downloadsPath: spec.downloads,
    args: [
      '--headless=new',
      '--no-sandbox',
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      `--disable-extensions-except=${extension}`,
      `--load-extension=${extension}`,
    ],
  });
  try {
    if (context.serviceWorkers().length === 0) await context.waitForEvent('serviceworker', { timeout: 30000 });
    const page = await context.newPage();
    if (spec.browsersOwnDownloads) {
      const session = await context.newCDPSession(page);
      await session.send('Browser.setDownloadBehavior', { behavior: 'default' });
    }
    const results = [];
    for (const selector of spec.clicks) {
      await page.goto(spec.page);
      const downloads = [];
      const onDownload = (download) => downloads.push(download);
      page.on('download', onDownload);
      await page.click(selector);
      // The extension asks KEVA_IE_BHO first; the browser follows the link
      // (or not) once it has answered.
      await page.waitForTimeout(spec.settleMs);
      page.off('download', onDownload);
      const userAgent = await page.evaluate(() => navigator.userAgent).catch(() => '');
      const result = { selector, page: page.url(), userAgent, downloads: [] };
      for (const download of downloads) {
        const failure = await download.failure();
        const path = failure ? null : await download.path();
        result.downloads.push({ url: download.url(), failure, sha256: path ? sha256(path) : null });
      }
      results.push(result);
    }
    process.stdout.write(JSON.stringify(results));
  } finally {
    await context.close();
  }
}

main().catch((error) => {
  console.error(error?.stack ?? error);
  process.exit(1);
});
