'use strict';

// The native-messaging host KEVA_IE_BHO decides which URLs KEVA takes: it
// runs the capture filters and hands the URL to the running KEVA. This
// worker only asks it and passes the answer on.
const HOST = 'org.quillspan.keva_ie_bho';
const api = globalThis.browser ?? globalThis.chrome;

// URLs that the host left to the browser a moment ago. The browser fetches
// such a link itself right after, and that download need not be asked about
// again.
const leftToBrowser = new Map(); // url -> time of the answer
const LEFT_FOR_MS = 10000;

function rememberLeft(urls) {
  const now = Date.now();
  for (const [url, time] of leftToBrowser) {
    if (now - time > LEFT_FOR_MS) leftToBrowser.delete(url);
  }
  for (const url of urls) leftToBrowser.set(url, now);
}

function wasLeft(url) {
  const time = leftToBrowser.get(url);
  return time !== undefined && Date.now() - time <= LEFT_FOR_MS;
}

// The Cookie header the browser would send to `url`: its cookies for the
// URL, and the partitioned ones where the browser keeps them (Chromium by the
// top-level site of the tab, Firefox answers for all partitions at once).
// Browsers that know no partitions reject the key; their plain cookies serve.
async function cookieHeader(url, topLevelUrl) {
  const queries = [{ url }];
  if (typeof api.runtime.getBrowserInfo === 'function') {
    queries.push({ url, partitionKey: {} });
  } else if (topLevelUrl) {
    // A site is a scheme and a host, without the port.
    try {
      const top = new URL(topLevelUrl);
      queries.push({ url, partitionKey: { topLevelSite: `${top.protocol}//${top.hostname}` } });
    } catch {
      // no address to take a site from
    }
  }
  const pairs = [];
  for (const query of queries) {
    try {
      for (const cookie of await api.cookies.getAll(query)) {
        const pair = `${cookie.name}=${cookie.value}`;
        if (!pairs.includes(pair)) pairs.push(pair);
      }
    } catch (error) {
      console.debug('no cookies for', query, error?.message ?? error);
    }
  }
  return pairs.join('; ');
}

function withoutFragment(address) {
  return typeof address === 'string' ? address.split('#')[0] : '';
}

// The last part of a path, as a browser's download names its file.
function baseName(path) {
  return typeof path === 'string' ? path.split(/[\\/]/).pop() : '';
}

// What goes to KEVA_IE_BHO about a link: the URL, and what the browser knows
// of it, so that KEVA asks for it as the browser would have. `page` is the
// address of the page the link is on, `topLevel` that of its tab; `fileName`
// and `mime` are known for a download the browser had started. Empty fields
// are left out.
async function question(url, { page, topLevel, fileName, mime }) {
  const fields = {
    referrer: withoutFragment(page),
    userAgent: navigator.userAgent,
    cookies: await cookieHeader(url, topLevel ?? page),
    fileName: baseName(fileName),
    mime,
  };
  const message = { url };
  for (const [name, value] of Object.entries(fields)) {
    if (typeof value === 'string' && value !== '') message[name] = value;
  }
  return message;
}

// True only when the host answered "take", that is KEVA received the URL.
// A host that is not installed (capture switched off), fails or answers with
// an error leaves the URL to the browser.
async function takenByKeva(url, known) {
  try {
    const reply = await api.runtime.sendNativeMessage(HOST, await question(url, known));
    return reply?.answer === 'take';
  } catch (error) {
    console.debug('KEVA_IE_BHO did not answer:', error?.message ?? error);
    return false;
  }
}

// A link or form the page is about to follow (content.js); the page is the
// frame that holds it.
api.runtime.onMessage.addListener((message, sender, sendResponse) => {
  if (typeof message?.url !== 'string') return false;
  takenByKeva(message.url, { page: sender.url, topLevel: sender.tab?.url }).then((take) => {
    if (!take) rememberLeft([message.url, message.resolved].filter((url) => typeof url === 'string'));
    sendResponse({ take });
  });
  return true; // the answer comes later
});

async function cancelDownload(id) {
  try {
    await api.downloads.cancel(id);
    await api.downloads.erase({ id });
  } catch (error) {
    console.debug('could not cancel download', id, error?.message ?? error);
  }
}

// What the browser knows of a download it started: the page it came from,
// and the file name and type the server gave it.
function knownOf(item) {
  return { page: item.referrer, fileName: item.filename, mime: item.mime };
}

// A download of a link the host left to the browser a moment ago is asked
// about again only when it brings what the click did not know, the file
// name: a link whose address names no file type ("download.php?id=7") may be
// a file KEVA takes.
function askAgain(item) {
  return !wasLeft(item.url) || baseName(item.filename) !== '';
}

// Downloads that no click announced (a script, a redirect, a typed address),
// and those a click led to. Chromium holds a download before it gets its name
// until the listener suggests one, so a file KEVA takes is never saved;
// elsewhere the download is cancelled as soon as the host has answered.
if (api.downloads.onDeterminingFilename) {
  api.downloads.onDeterminingFilename.addListener((item, suggest) => {
    if (!askAgain(item)) {
      suggest();
      return false;
    }
    takenByKeva(item.url, knownOf(item)).then(async (take) => {
      if (take) await cancelDownload(item.id);
      else suggest();
    });
    return true; // suggest() is called later
  });
} else {
  api.downloads.onCreated.addListener(async (item) => {
    if (!askAgain(item)) return;
    if (await takenByKeva(item.url, knownOf(item))) await cancelDownload(item.id);
  });
}
