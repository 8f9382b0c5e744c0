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

// True only when the host answered "take", that is KEVA received the URL.
// A host that is not installed (capture switched off), fails or answers with
// an error leaves the URL to the browser.
async function takenByKeva(url) {
  try {
    const reply = await api.runtime.sendNativeMessage(HOST, { url });
    return reply?.answer === 'take';
  } catch (error) {
    console.debug('KEVA_IE_BHO did not answer:', error?.message ?? error);
    return false;
  }
}

// A link or form the page is about to follow (content.js).
api.runtime.onMessage.addListener((message, _sender, sendResponse) => {
  if (typeof message?.url !== 'string') return false;
  takenByKeva(message.url).then((take) => {
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

// Downloads that no click announced (a script, a redirect, a typed address).
// Chromium holds a download before it gets its name until the listener
// suggests one, so a file KEVA takes is never saved; elsewhere the download
// is cancelled as soon as the host has answered.
if (api.downloads.onDeterminingFilename) {
  api.downloads.onDeterminingFilename.addListener((item, suggest) => {
    if (wasLeft(item.url)) {
      suggest();
      return false;
    }
    takenByKeva(item.url).then(async (take) => {
      if (take) await cancelDownload(item.id);
      else suggest();
    });
    return true; // suggest() is called later
  });
} else {
  api.downloads.onCreated.addListener(async (item) => {
    if (wasLeft(item.url)) return;
    if (await takenByKeva(item.url)) await cancelDownload(item.id);
  });
}
